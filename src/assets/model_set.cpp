#include "assets/model_set.h"

#include <cstdio>

#include "assets/material_gl.h"

namespace vorn {

const VornModelFile kModelTable[kModelCount] = {
    {"data/models/cow_without_ht.3DS", false},
    // Stored without its folder once; it lives with the others.
    {"data/models/saule_end_2.3DS", true},
    {"data/models/booze.3DS", true},
    {"data/models/saeule.3DS", true},
    {"data/models/tree.3DS", true},
    {"data/models/ork_3_anim.3DS", false},
    {"data/models/ork_2_anim.3DS", false},
    {"data/models/root_1.3DS", true},
    {"data/models/mushrooms_1.3DS", true},
    {"data/models/reduced_ghost.3DS", false},
};

namespace {

// Models loaded by loading steps 2 to 10, in order.
constexpr int kFirstModelStep = 2;
constexpr int kStepModels[][2] = {
    {1, -1}, {3, -1}, {0, -1}, {6, -1}, {4, -1}, {2, -1}, {7, -1}, {8, 9}, {5, -1},
};
constexpr int kModelStepCount = static_cast<int>(sizeof kStepModels / sizeof kStepModels[0]);

// The "s", "8", "t", "5" keys.
constexpr int kKeyS = 115;
constexpr int kKeyEight = 56;
constexpr int kKeyT = 116;
constexpr int kKeyFive = 53;

}  // namespace

// An attached player as an animated instance: the body's model matrix, shifted
// so that a rider modelled in the cow's frame lands where the cow has it (each
// model is centred on its own bounds when drawn), and the player's own frame.
class VornModelSet::Instance : public VornAnimatedInstance {
 public:
  Instance(const VornPlayer* body, const VornPlayer* self, const VornObject* bodyModel, const VornObject* ownModel)
      : body_(body), self_(self), bodyModel_(bodyModel), ownModel_(ownModel) {}

  const float* modelMatrix() const override {
    matrix_ = body_->modelTransform.modelMatrix();
    if (ownModel_ != bodyModel_) {
      matrix_.translate(ownModel_->center.x - bodyModel_->center.x, ownModel_->center.y - bodyModel_->center.y,
                        ownModel_->center.z - bodyModel_->center.z);
    }
    return matrix_.data();
  }
  float animationFrame() const override { return self_->frame; }

 private:
  const VornPlayer* body_;
  const VornPlayer* self_;
  const VornObject* bodyModel_;
  const VornObject* ownModel_;
  mutable VornMatrix matrix_;
};

VornModelSet::VornModelSet() = default;

VornModelSet::~VornModelSet() {
  // Instances die with the set; the models must not point at them afterwards.
  for (auto& m : models) {
    if (m) m->animatedInstances.clear();
  }
}

void VornModelSet::runLoadingStep(int step, VornTextureCache& textures) {
  const int slot = step - kFirstModelStep;
  if (slot < 0 || slot >= kModelStepCount) return;
  if (step == kFirstModelStep) {
    models.clear();
    for (int i = 0; i < kModelCount; ++i) models.push_back(std::make_unique<VornObject>());
  }
  for (int index : kStepModels[slot]) {
    if (index >= 0) loadModel(index, textures);
  }
}

void VornModelSet::loadModel(int index, VornTextureCache& textures) {
  if (index < 0 || index >= kModelCount || index >= static_cast<int>(models.size())) return;
  std::printf("object_%d ....\n", index);
  std::fflush(stdout);
  VornObject& m = *models[static_cast<size_t>(index)];
  const VornModelFile& file = kModelTable[index];
  if (file.isStatic) {
    m.loadStatic(file.path, textures, tables);
  } else {
    m.load3ds(file.path, textures, tables);
  }
  VornClipTable& clips = clipTables_[static_cast<size_t>(index)];
  clips.firstFrame = m.clipStart;
  clips.frameCount = m.clipLength;
  clips.duration = m.clipDuration;
}

const VornClipTable* VornModelSet::clips(int index) const {
  if (index < 0 || index >= kModelCount) return nullptr;
  return &clipTables_[static_cast<size_t>(index)];
}

void VornModelSet::attachPlayer(VornPlayer* body, VornPlayer* riderHorn, VornPlayer* riderHead) {
  const struct {
    VornPlayer* player;
    int model;
  } members[3] = {{body, kModelCow}, {riderHorn, kModelRiderHorn}, {riderHead, kModelRiderHead}};
  VornObject* bodyModel = model(kModelCow);
  for (const auto& member : members) {
    VornObject* own = model(member.model);
    if (!member.player || !own || !bodyModel) continue;
    member.player->model = member.model;
    member.player->clips = clips(member.model);
    instances_.push_back(std::make_unique<Instance>(body, member.player, bodyModel, own));
    own->animatedInstances.push_back(instances_.back().get());
    players_[static_cast<size_t>(member.model)].push_back(member.player);
  }
}

void VornModelSet::startAnimation(int modelIndex, int instance, int clip) {
  if (modelIndex < 0 || modelIndex >= kModelCount) return;
  const auto& list = players_[static_cast<size_t>(modelIndex)];
  if (instance < 0 || static_cast<size_t>(instance) >= list.size()) return;
  list[static_cast<size_t>(instance)]->startSequence(clip);
}

bool VornModelSet::animationKeyDown(int code) {
  switch (code) {
    case kKeyS: startAnimation(kModelRiderHorn, 0, kRiderWaveClip); return true;
    case kKeyEight: startAnimation(kModelRiderHorn, 1, kRiderWaveClip); return true;
    case kKeyT: startAnimation(kModelRiderHorn, 0, kRiderSecondClip); return true;
    default: return false;
  }
}

bool VornModelSet::animationKeyUp(int code, bool singleRace) {
  if (!singleRace) return false;
  switch (code) {
    case kKeyS: startAnimation(kModelRiderHorn, 0, kRiderReleaseClip); return true;
    case kKeyFive: startAnimation(kModelRiderHorn, 1, kRiderReleaseClip); return true;
    default: return false;
  }
}

void VornModelSet::startHornAnimation(int player) {
  startAnimation(kModelRiderHead, player, kHeadHornClip);
  startAnimation(kModelRiderHorn, player, kRiderHornClip);
}

void VornModelSet::advanceAnimations(float dt) {
  for (const auto& list : players_) {
    for (VornPlayer* p : list) p->advanceAnimation(dt);
  }
}

void VornModelSet::drawModels(int view) const {
  VornObject::beginViewCulling();
  drawModelPass(tables, view);
  VornObject::endViewCulling();
}

void VornModelSet::drawGhost(const std::function<void()>& applyTransform) {
  if (VornObject* ghost = model(kModelGhost)) ghost->drawGhost(applyTransform);
}

}  // namespace vorn
