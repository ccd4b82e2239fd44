// The game's objects on the slope: the beer bottles and their shadow meshes
// (load step 16), the baked shadows (steps 18 and 19), the object tests of
// the race update, the bottle shadows of the race frame and the resets.
#include <GL/glew.h>

#include <cstdio>

#include "app/game.h"
#include "app/platform.h"
#include "base/error_log.h"
#include "world/object_shadows.h"
#include "world/object_shadows_gl.h"

namespace vorn {

namespace {

constexpr const char* kBeerListFile = "data/maps/twin_paths_beer.txt";
constexpr const char* kPlacementLogFile = "placier.txt";
constexpr const char* kProjectionShadowFile = "projectionShadow.txt";
// The beer list is a few dozen lines; anything near this is not one.
constexpr size_t kMaxBeerListBytes = 1u << 20;

// A bottle as the model pass sees it: drawn while it is still to be taken
// and near the player of the view.
class BeerInstance final : public VornPlacedInstance {
 public:
  BeerInstance(const VornManageActionObject& beers, size_t index) : beers_(beers), index_(index) {}
  const float* modelMatrix() const override { return beers_.records[index_].modelMatrix(); }
  bool visibleInView(int view) const override {
    const VornManageActionObject::Record& r = beers_.records[index_];
    return r.active != 0 && r.visible[view & 1] != 0;
  }

 private:
  const VornManageActionObject& beers_;
  size_t index_;
};

}  // namespace

void VornGame::loadBeers() {
  std::printf("beers ....\n");
  // The shadow diagnostics of this load start from an empty file.
  if (FILE* f = std::fopen(kProjectionShadowFile, "w")) std::fclose(f);

  std::vector<uint8_t> bytes;
  if (!readWholeFile(kBeerListFile, bytes, kMaxBeerListBytes)) {
    logErrorRaw("Error VornManageActionObject::add\n", "\tobjectmap not found: %s\n", kBeerListFile);
    return;
  }
  const std::vector<VornVector> bottles = parseBeerList(bytes.data(), bytes.size());
  const size_t first = actionObjects.records.size();
  actionObjects.add(bottles, kModelBeer);

  VornObject* beer = models.model(kModelBeer);
  // The bottles' shadows fall with the game's light, like the shadows of the
  // placed objects and the shading of the slopes.
  const VornVector light = lightPosition;
  std::string diagnostics;
  for (size_t i = first; i < actionObjects.records.size(); ++i) {
    if (beer) {
      beerInstances.push_back(std::make_unique<BeerInstance>(actionObjects, i));
      beer->actionInstances.push_back(beerInstances.back().get());
    }
    VornShadowMesh mesh;
    if (beer && world && world->usable()) {
      mesh = makeProjectionShadow(*beer, actionObjects.records[i].transform, light, world->terrain(), diagnostics);
    }
    beerShadows.push_back(std::move(mesh));
  }
  if (!diagnostics.empty()) {
    if (FILE* f = std::fopen(kProjectionShadowFile, "a")) {
      std::fwrite(diagnostics.data(), 1, diagnostics.size(), f);
      std::fclose(f);
    }
  }
}

void VornGame::makeBeerShadowImage() {
  std::printf("createShadowTexture ....\n");
  if (VornObject* beer = models.model(kModelBeer)) shadowTexture = makeShadowImage(*beer, viewportWidth, viewportHeight);
  uploadShadowMeshes(beerShadows);
  std::printf("projection ....\n");
}

void VornGame::bakeObjectShadows() {
  if (world && world->usable()) {
    const unsigned texture = createShadowTexture(models.models, world->objects(), lightPosition, world->terrain(),
                                                 viewportWidth, viewportHeight);
    if (texture != 0) world->setShadowTexture(texture);
  }
  std::printf("scene loaded ....\n");
}

float VornGame::collideObjects(int player, VornPlayer& body) {
  if (!world) return 0.0f;
  return objectContacts_.collide(world->objects(), kModelTree, player, body, [this](int who, float speed) {
    if (!trace_) return;
    std::printf("tree hit: player %d speed %.1f\n", who + 1, static_cast<double>(speed));
    std::fflush(stdout);
  });
}

bool VornGame::takeBeers(int player, const VornVector& position) {
  const int taken = objectContacts_.takeBeers(actionObjects, player, position);
  if (taken > 0 && trace_) {
    std::printf("bottle taken: player %d\n", player + 1);
    std::fflush(stdout);
  }
  return taken > 0;
}

void VornGame::resetActionObjects() {
  actionObjects.reset();
  objectContacts_.forget();
}

void VornGame::writePlacement() {
  if (players[0]) actionObjects.writePlacement(kPlacementLogFile, players[0]->position());
}

void VornGame::drawBeerShadows() {
  glBindTexture(GL_TEXTURE_2D, shadowTexture);
  drawShadowMeshes(beerShadows, actionObjects.shadowFlags, shadowTexture);
}

}  // namespace vorn
