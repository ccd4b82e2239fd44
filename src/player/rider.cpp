#include "player/rider.h"

#include <cmath>

namespace vorn {

namespace {
using T = VornRiderTuning;

// Jump thresholds on the squared take-off-to-landing distance.
constexpr int64_t kMonsterJump = 200000;
constexpr int64_t kMegaJump = 100000;
constexpr int64_t kNiceJump = 80000;
constexpr int64_t kBabyJump = 50000;

// A contact can shorten a sub-step to nothing (or turn it back) and so give
// back distance instead of using it; this many probes beyond the nominal
// count end the frame's motion, so a wedged player never hangs the frame.
constexpr int kSpareProbes = 16;

bool held(const uint8_t* keys, int code, int alternative = kNoKey) {
  return keys[code] != 0 || (alternative != kNoKey && keys[alternative] != 0);
}
}  // namespace

const char* jumpRating(int64_t q) {
  if (q > kMonsterJump) return "MONSTERJUMP";
  if (q > kMegaJump) return "MEGAJUMP";
  if (q > kNiceJump) return "NICE JUMP";
  if (q > kBabyJump) return "BABY JUMP";
  return nullptr;
}

void VornRider::reset(const VornVector& groundPosition) {
  jumpKeyState = kJumpKeyUp;
  steering = Steering::kNone;
  onGround = false;
  endOfTrack = false;
  lastGroundPosition = groundPosition;
  lastGroundTime = 0;
  awakeChange = 0.0f;
  probes = 0;
}

bool VornRider::move(VornPlayer& player, VornGround& ground, float dt, bool stopAtEnd) {
  bool touched = false;
  endOfTrack = false;
  float remaining = dt * player.speed;
  // Nominal sub-steps plus the spare ones; counted in double so that an
  // enormous frame cannot overflow the count.
  const double nominal = std::ceil(static_cast<double>(remaining) / T::kMaxSubStep);
  const double limit = 2.0 * nominal + kSpareProbes;
  probes = 0;
  while (remaining > T::kLeastRemaining && probes < limit) {
    ++probes;
    float step = remaining <= T::kMaxSubStep ? remaining : T::kMaxSubStep;
    VornVector newDirection = player.direction;
    VornVector normal;
    float depth = 0.0f;
    const int contact =
        ground.collidePlayer(player.position(), player.direction, newDirection, step, normal, depth, endOfTrack);
    // At the end barrier only the wall would hold the player: gravity would
    // pull it down along the wall and through the ground.
    if (stopAtEnd && endOfTrack) break;
    if (contact == 0) {
      touched = true;
      player.slide(step, newDirection, depth, normal);
    } else {
      player.advance(step);
    }
    remaining -= step;
  }
  return touched;
}

void VornRider::race(VornPlayer& player, VornGround& ground, VornRaceHooks& hooks, const uint8_t* keys,
                     float dt, int64_t now, bool advanceShared) {
  // 3. Jump key: one jump per press.
  if (!held(keys, keys_.jump)) {
    jumpKeyState = kJumpKeyUp;
  } else if (jumpKeyState == kJumpKeyUp) {
    jumpKeyState = kJumpKeyPressed;
  }

  // 4. Steering; ice takes the grip away. Both keys may act in one frame.
  steering = Steering::kNone;
  if (held(keys, keys_.left, keys_.leftAlt)) {
    const float ice = ground.getMaterial(player.position(), kMaterialIce);
    player.direction.rotateY(T::kSteerDegPerTenth * dt * (1.0f - ice));
    steering = Steering::kLeft;
  }
  if (held(keys, keys_.right, keys_.rightAlt)) {
    const float ice = ground.getMaterial(player.position(), kMaterialIce);
    player.direction.rotateY(-T::kSteerDegPerTenth * dt * (1.0f - ice));
    steering = Steering::kRight;
  }

  // 5. Speed keys.
  if (held(keys, keys_.accelerate, keys_.accelerateAlt) && player.speed < T::kAccelerationLimit) {
    player.speed += T::kAcceleration * dt;
  }
  if (held(keys, keys_.brake, keys_.brakeAlt) && T::kBrakeMargin * dt < player.speed) {
    player.speed -= T::kBraking * dt;
    if (player.speed < T::kLowestBrakedSpeed) player.speed = T::kLowestBrakedSpeed;
  }

  // 6. Gravity, on the ground as in the air.
  player.applyGravity(T::kGravity * dt);

  // 7. Particles and the animated instances.
  if (advanceShared) advanceSharedState(player, ground, hooks, dt);

  // 8. Motion in terrain-probing sub-steps.
  onGround = move(player, ground, dt);

  // 9. A pending jump goes off at the first ground contact.
  if (jumpKeyState == kJumpKeyPressed && onGround) {
    player.jump();
    jumpKeyState = kJumpKeyUsed;
    hooks.playSound(RaceSound::kJump);
  }

  // 10. / 11. Ground contact bookkeeping.
  if (onGround) {
    groundFrame(player, ground, hooks, now);
  } else {
    airFrame(player, hooks, now);
  }

  // 12. Obstacles and scenery.
  awakeChange += hooks.collideObjects(index_, player);

  // 13. Model pose, leaning into the turn.
  player.updatePose(steering);
}

void VornRider::groundFrame(VornPlayer& player, VornGround& ground, VornRaceHooks& hooks, int64_t now) {
  const VornVector& p = player.position();
  hooks.emitSpray(p, player.direction, player.speed);

  const int64_t q = static_cast<int64_t>(lastGroundPosition.distanceSquared(p));
  if (const char* rating = jumpRating(q)) {
    hooks.showMessage(RaceText::kJumpRating, index_, rating);
    hooks.playSound(RaceSound::kHeya);
  }
  lastGroundPosition = p;
  lastGroundTime = now;

  hooks.startSlidingSounds(index_);
  SlidingSoundLevels levels;
  const float loudness = player.speed / T::kSoundSpeed;
  levels.snowGain = ground.getMaterial(p.x, p.z, kMaterialSnow) * loudness;
  levels.iceGain = ground.getMaterial(p.x, p.z, kMaterialIce) * loudness;
  levels.grassGain = ground.getMaterial(p.x, p.z, kMaterialGrass) * loudness;
  levels.pitch = loudness;
  if (levels.pitch < T::kLowestPitch) levels.pitch = T::kLowestPitch;
  if (levels.pitch >= T::kHighestPitch) levels.pitch = T::kHighestPitch;
  hooks.setSlidingSounds(index_, levels);
}

void VornRider::airFrame(VornPlayer& player, VornRaceHooks& hooks, int64_t now) {
  const int64_t t = now - lastGroundTime;
  if (t > T::kSilentAfterMicros) {
    hooks.silenceSlidingSounds(index_);
  } else if (t < T::kTakeOffMicros) {
    hooks.emitTakeOff(player.position(), player.direction, player.speed);
  }
}

void VornRider::advanceSharedState(const VornPlayer& player, const VornGround& ground, VornRaceHooks& hooks,
                                   float dt) {
  float grass = 0.0f;
  float ice = 0.0f;
  ground.getGrassAndIce(player.position(), grass, ice);
  hooks.advanceParticles(T::kGravity * dt, grass, ice);
  hooks.advanceAnimations(dt);
}

void VornRider::coast(VornPlayer& player, VornGround& ground, VornRaceHooks& hooks, float dt,
                      bool advanceShared) {
  if (player.speed <= 0.0f) return;
  player.applyGravityToDirection(T::kGravity * dt);
  if (advanceShared) advanceSharedState(player, ground, hooks, dt);
  onGround = move(player, ground, dt, true);
  hooks.collideObjects(index_, player);
  // The player comes to rest at the end barrier.
  if (endOfTrack) player.speed = 0.0f;
  player.speed -= T::kCoastBraking * dt;
  if (player.speed > T::kCoastPoseSpeed) player.updatePose(Steering::kNone);
}

}  // namespace vorn
