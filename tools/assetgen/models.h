// The game's ten models and their side files: the cow (the players' body),
// the two figures that ride it, the ghost cow, and the scenery (pillar and
// pillar end, beer bottle, fir tree, root, mushrooms), with the textures they
// reference, their .ani clip lists and the tree's .mat cut-out overlay.
//
// Frames: scenery stands z-up on z = 0 as 3DS files do (placement records
// and the beer's tilt turn it upright). The cow, its riders and the ghost are
// drawn through the player's orient(direction, roll ~90) transform, which
// sends file +x along the direction of travel and file -z to world up: they
// are modelled with the head towards +x and the back towards -z, centred on
// x = y = 0, the riders sitting on the cow's back in the cow's own frame.
// Units: file units (the player draws at 0.08, beer at 0.1, trees ~0.08).
// Cost: the whole set builds in well under a second.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "assetgen/image_write.h"
#include "assetgen/tds_writer.h"

namespace assetgen {

struct GeneratedModel {
  std::string fileName;  // below data/models/
  TdsModel model;
  std::string clips;     // .ani text, empty: no clip file
  std::string overlays;  // .mat text, empty: no overlay file
};

struct GeneratedTexture {
  std::string fileName;  // below data/textures/, at most 12 characters
  Pixels pixels;
};

// The ten models in the game's model-table order (0 cow .. 9 ghost).
std::vector<GeneratedModel> buildModels();

// Every texture the models name, as map or overlay.
std::vector<GeneratedTexture> buildModelTextures();

// The cow's eye flip-book, data/textures/auge.txt: its frame files (below data/textures/, the
// first one the eyes' map) in showing order, the open eye listed many times so that it is
// mostly open, a glance back at the chase camera, then a blink (half shut, shut, half shut).
constexpr const char* kEyeFlipBookFile = "auge.txt";
std::string eyeFlipBookList();

// Writes models, side files and textures below <root>/data.
int generateModels(const std::string& root);

// Renders the ten models (and the cow with its riders) into one picture for
// the docs, written as <root>/models_sheet.bmp.
int generateModelSheet(const std::string& root);

}  // namespace assetgen
