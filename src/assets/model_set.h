// VornModelSet: the game's ten models, their shared material tables, the players' instances and
// clips, and the model pass. Units: clip time in tenths of a second, views 0/1.
// Cost: loading as VornObject; the model pass as material_gl.h.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "assets/model.h"
#include "assets/model_loader.h"
#include "assets/texture.h"
#include "player/player.h"

namespace vorn {

enum VornModelIndex : int {
  kModelCow = 0,
  kModelPillarEnd = 1,
  kModelBeer = 2,
  kModelPillar = 3,
  kModelTree = 4,
  kModelRiderHorn = 5,  // "ork_3_anim": four clips, the horn is clip 3
  kModelRiderHead = 6,  // "ork_2_anim": two clips, the horn is clip 1
  kModelRoot = 7,
  kModelMushrooms = 8,
  kModelGhost = 9,
  kModelCount = 10
};

struct VornModelFile {
  const char* path;
  bool isStatic;  // scenery: loaded with rest matrices, drawn by placed instances
};

extern const VornModelFile kModelTable[kModelCount];

// Clip numbers the keys start.
constexpr int kRiderWaveClip = 0;
constexpr int kRiderReleaseClip = 1;
constexpr int kRiderSecondClip = 2;
constexpr int kRiderHornClip = 3;
constexpr int kHeadHornClip = 1;

// The game owns one. Besides the models and tables it keeps the players'
// instances (the cow with its two riders, per player), the animation keys that
// start the riders' clips, the clip advance and the ghost.
class VornModelSet {
 public:
  VornModelSet();
  ~VornModelSet();
  VornModelSet(const VornModelSet&) = delete;
  VornModelSet& operator=(const VornModelSet&) = delete;

  // Loading step 2 creates the ten objects and loads model 1; steps 3 to 10
  // load the others in the game's order. Other steps do nothing.
  void runLoadingStep(int step, VornTextureCache& textures);
  // Prints "object_<i> ....", loads model i as its table entry says and
  // refreshes its clip table.
  void loadModel(int index, VornTextureCache& textures);

  VornObject* model(int index) { return index >= 0 && index < static_cast<int>(models.size()) ? models[index].get() : nullptr; }
  // The clips of model `index` in the players' form; empty before its load.
  const VornClipTable* clips(int index) const;

  // Registers player `player`'s cow and its two riders as animated instances
  // of models 0, 5 and 6 and gives them their models' clips. The riders are
  // modelled in the cow's frame, so they are drawn with the body's transform.
  // The players must outlive the set.
  void attachPlayer(VornPlayer* body, VornPlayer* riderHorn, VornPlayer* riderHead);

  // Clip `clip` on instance `instance` of model `model`; ignored when either
  // does not exist.
  void startAnimation(int model, int instance, int clip);
  // The race keys that start clips: "s" (115) and "8" (56) on key down, "t"
  // (116); on key up (single race only) "s" and "5" (53). True when handled.
  bool animationKeyDown(int code);
  bool animationKeyUp(int code, bool singleRace);
  // A player's horn: clip 1 of model 6 and clip 3 of model 5, that player's instance.
  void startHornAnimation(int player);
  // Moves every attached instance's clip on by dt tenths of a second.
  void advanceAnimations(float dt);

  // Step 3 of a race frame for one view (0 single or bottom, 1 top).
  void drawModels(int view) const;
  // Model 9 as the ghost silhouette; `applyTransform` multiplies the current
  // matrix by the ghost's placement for this frame.
  void drawGhost(const std::function<void()>& applyTransform);

  VornModelList models;
  VornModelTables tables;

 private:
  class Instance;
  std::array<VornClipTable, kModelCount> clipTables_;
  std::vector<std::unique_ptr<Instance>> instances_;
  std::array<std::vector<VornPlayer*>, kModelCount> players_;
};

}  // namespace vorn
