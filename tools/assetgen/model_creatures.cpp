// The cow, its ghost and the two riders. Built in the design frame (x
// forward, y left, z up, hooves on z = 0) and turned into the creature file
// frame at the end (see models.h).
#include <cmath>

#include "assetgen/model_rig.h"

namespace assetgen {
namespace {

constexpr float kHideScale = 1.0f / 160.0f;  // hide texture: one repeat per 160 units
const Vec3 kAxisX{1.0f, 0.0f, 0.0f};
const Vec3 kAxisY{0.0f, 1.0f, 0.0f};
const Vec3 kAxisZ{0.0f, 0.0f, 1.0f};

Turn about(const Vec3& axis, float degrees) { return {degrees, axis}; }

Vec3 at(const Vec3& origin, float x, float y, float z) { return add(origin, Vec3{x, y, z}); }

// Fraction of a polygonised part's triangles kept by the simplifier, and the
// surface error it may make, as a fraction of the grid cell.
constexpr float kKeepTriangles = 0.35f;
constexpr float kMaxErrorPerCell = 0.3f;

// A smooth part: the field polygonised, then thinned out where it is flat.
Mesh shape(const Field& field, const Vec3& lo, const Vec3& hi, float cell,
           const std::function<uint8_t(const Vec3&)>& classify = nullptr) {
  Mesh dense = polygonize(field, lo, hi, cell);
  if (classify) tagMaterials(dense, classify);
  return simplify(dense, static_cast<size_t>(dense.triangles.size() * kKeepTriangles), cell * kMaxErrorPerCell);
}

// A closed sphere to stick on a part (eyes), tagged with one material.
Mesh ball(const Vec3& c, float r, uint8_t material) {
  Mesh m = shape([&](const Vec3& p) { return sdSphere(p, c, r); }, sub(c, Vec3{r + 1.0f, r + 1.0f, r + 1.0f}),
                 add(c, Vec3{r + 1.0f, r + 1.0f, r + 1.0f}), r * 0.6f);
  m.setMaterial(material);
  return m;
}

// A big cartoon eyeball bulging from the side of the head, finer than ball() so the
// flip-book's lids and iris stay round. Mapped side-on: u runs back to front, v bottom to
// top, and the ball's outermost point (towards `outward` in y) sits in the texture's middle.
constexpr float kCowEyeRadius = 10.0f;

Mesh eyeBall(const Vec3& c, float r, uint8_t material) {
  Mesh m = shape([&](const Vec3& p) { return sdSphere(p, c, r); }, sub(c, Vec3{r + 1.0f, r + 1.0f, r + 1.0f}),
                 add(c, Vec3{r + 1.0f, r + 1.0f, r + 1.0f}), r * 0.22f);
  m.setMaterial(material);
  const float perUnit = 0.5f / r;
  mapPlanar(m, {perUnit, 0.0f, 0.0f}, {0.0f, 0.0f, perUnit}, 0.5f - c[0] * perUnit, 0.5f - c[2] * perUnit);
  return m;
}

// ---------------------------------------------------------------- the cow
enum CowMaterial : uint8_t { kHide, kPink, kHoof, kHorn, kEye, kTuft };
const std::vector<std::string> kCowMaterials = {"cow_hide", "cow_pink", "cow_hoof", "cow_horn", "cow_eye", "cow_tuft"};

const Vec3 kUdder{-20.0f, 0.0f, 55.0f};
const Vec3 kUdderRadii{13.0f, 11.0f, 9.0f};

float cowBody(const Vec3& p) {
  float d = sdEllipsoid(p, {0.0f, 0.0f, 78.0f}, {50.0f, 26.0f, 24.0f});
  d = smoothUnion(d, sdEllipsoid(p, {30.0f, 0.0f, 80.0f}, {24.0f, 24.0f, 25.0f}), 12.0f);
  d = smoothUnion(d, sdEllipsoid(p, {-33.0f, 0.0f, 82.0f}, {24.0f, 24.0f, 23.0f}), 12.0f);
  d = smoothUnion(d, sdCapsule(p, {40.0f, 0.0f, 86.0f}, {58.0f, 0.0f, 100.0f}, 15.0f, 11.0f), 8.0f);
  d = smoothUnion(d, sdEllipsoid(p, kUdder, kUdderRadii), 6.0f);
  for (const float dx : {-6.0f, 6.0f}) {
    for (const float dy : {-6.5f, 6.5f}) {
      d = smoothUnion(d, sdCapsule(p, {kUdder[0] + dx, dy, 50.0f}, {kUdder[0] + dx, dy, 44.0f}, 3.2f, 2.8f), 2.0f);
    }
  }
  return d;
}

float cowHead(const Vec3& p) {
  float d = sdEllipsoid(p, {68.0f, 0.0f, 108.0f}, {15.0f, 13.0f, 14.0f});
  d = smoothUnion(d, sdEllipsoid(p, {82.0f, 0.0f, 99.0f}, {12.0f, 11.5f, 10.0f}), 7.0f);
  d = smoothUnion(d, sdCapsule(p, {56.0f, 0.0f, 97.0f}, {66.0f, 0.0f, 104.0f}, 10.0f, 11.0f), 5.0f);
  for (const float side : {-1.0f, 1.0f}) {
    d = smoothUnion(d, sdEllipsoid(p, {64.0f, 17.0f * side, 113.0f}, {4.0f, 9.0f, 4.5f}), 3.0f);
    d = smoothUnion(d, sdCapsule(p, {64.0f, 9.0f * side, 119.0f}, {62.0f, 15.0f * side, 127.0f}, 3.6f, 2.3f), 2.0f);
  }
  return d;
}

const std::array<Vec3, 4> kLegTops = {Vec3{30.0f, 14.0f, 68.0f}, Vec3{30.0f, -14.0f, 68.0f}, Vec3{-34.0f, 14.0f, 68.0f},
                                      Vec3{-34.0f, -14.0f, 68.0f}};

Field cowLeg(const Vec3& top, bool rear) {
  return [top, rear](const Vec3& p) {
    const float x = top[0], y = top[1];
    const float knee = rear ? -5.0f : 1.0f;
    float d = sdCapsule(p, {x, y, 76.0f}, {x + knee, y, 38.0f}, rear ? 12.0f : 10.0f, 6.5f);
    d = smoothUnion(d, sdCapsule(p, {x + knee, y, 38.0f}, {x, y, 12.0f}, 5.8f, 5.0f), 3.0f);
    d = smoothUnion(d, sdCapsule(p, {x + 0.5f, y, 11.0f}, {x + 0.5f, y, 6.2f}, 6.2f, 6.2f), 2.0f);
    return std::max(d, -p[2]);  // flat sole on the ground
  };
}

float cowTail(const Vec3& p) {
  float d = sdCapsule(p, {-56.0f, 0.0f, 96.0f}, {-63.0f, 0.0f, 80.0f}, 3.0f, 2.4f);
  d = smoothUnion(d, sdCapsule(p, {-63.0f, 0.0f, 80.0f}, {-65.0f, 0.0f, 62.0f}, 2.4f, 2.0f), 2.0f);
  return smoothUnion(d, sdEllipsoid(p, {-65.0f, 0.0f, 55.0f}, {4.5f, 4.5f, 8.0f}), 2.5f);
}

}  // namespace

GeneratedModel buildCow() {
  GeneratedModel out;
  out.fileName = "cow_without_ht.3DS";
  TdsModel& model = out.model;
  model.materials = {makeMaterial("cow_hide", {235, 235, 235}, "cowhide.bmp", 15),
                     makeMaterial("cow_pink", {236, 160, 160}, "", 30),
                     makeMaterial("cow_hoof", {62, 52, 46}, "", 40),
                     makeMaterial("cow_horn", {232, 222, 192}, "", 50),
                     makeMaterial("cow_eye", {240, 240, 240}, "auge0.bmp", 90),
                     makeMaterial("cow_tuft", {40, 34, 30}, "", 10)};

  Mesh body = shape(cowBody, {-64.0f, -32.0f, 36.0f}, {74.0f, 32.0f, 116.0f}, 5.0f, [](const Vec3& c) -> uint8_t {
    const Vec3 grown = mul(kUdderRadii, 1.2f);
    return (sdEllipsoid(c, kUdder, grown) < 0.0f || c[2] < 47.0f) ? kPink : kHide;
  });
  mapCylindrical(body, {0.0f, 0.0f, 78.0f}, kAxisX, kAxisZ, kHideScale);
  model.meshes.push_back(toTdsMesh(body, "cow_body", kCowMaterials));

  Mesh head = shape(cowHead, {46.0f, -30.0f, 82.0f}, {100.0f, 30.0f, 134.0f}, 3.0f, [](const Vec3& c) -> uint8_t {
    if (c[2] > 118.5f && std::fabs(c[1]) > 7.5f) return kHorn;
    if (c[0] > 87.5f) return kPink;
    return kHide;
  });
  mapCylindrical(head, {70.0f, 0.0f, 104.0f}, kAxisX, kAxisZ, kHideScale);
  for (const float side : {-1.0f, 1.0f}) {
    head.append(eyeBall({76.0f, 17.0f * side, 116.0f}, kCowEyeRadius, kEye));
    head.append(ball({93.0f, 4.5f * side, 100.0f}, 1.8f, kTuft));
  }
  model.meshes.push_back(toTdsMesh(head, "cow_head", kCowMaterials));

  const char* legNames[4] = {"cow_leg_fl", "cow_leg_fr", "cow_leg_rl", "cow_leg_rr"};
  for (int i = 0; i < 4; ++i) {
    const Vec3& top = kLegTops[i];
    Mesh leg =
        shape(cowLeg(top, i >= 2), {top[0] - 20.0f, top[1] - 15.0f, -3.0f}, {top[0] + 16.0f, top[1] + 15.0f, 92.0f},
              3.5f, [](const Vec3& c) -> uint8_t { return c[2] < 12.5f ? kHoof : kHide; });
    mapCylindrical(leg, {top[0], top[1], 0.0f}, kAxisZ, {0.0f, top[1] > 0.0f ? 1.0f : -1.0f, 0.0f}, kHideScale, 0.5f);
    model.meshes.push_back(toTdsMesh(leg, legNames[i], kCowMaterials));
  }

  Mesh tail = shape(cowTail, {-73.0f, -8.0f, 44.0f}, {-50.0f, 8.0f, 102.0f}, 2.0f,
                    [](const Vec3& c) -> uint8_t { return c[2] < 64.0f ? kTuft : kHide; });
  mapCylindrical(tail, {-62.0f, 0.0f, 0.0f}, kAxisZ, kAxisX, kHideScale, 0.1f);
  model.meshes.push_back(toTdsMesh(tail, "cow_tail", kCowMaterials));

  // A trot cycle over 40 frames; frame 0 is the rest pose the race shows.
  Rig rig;
  const int bodyJoint = rig.addJoint("cow_body", -1, {0.0f, 0.0f, 78.0f});
  const int headJoint = rig.addJoint("cow_head", bodyJoint, {56.0f, 0.0f, 98.0f});
  int legJoints[4];
  for (int i = 0; i < 4; ++i) legJoints[i] = rig.addJoint(legNames[i], bodyJoint, kLegTops[i]);
  const int tailJoint = rig.addJoint("cow_tail", bodyJoint, {-56.0f, 0.0f, 96.0f});
  for (const int f : {10, 30}) {
    rig.shift(bodyJoint, f, {0.0f, 0.0f, 3.0f});
    rig.turn(headJoint, f, about(kAxisY, 8.0f));
  }
  for (const int f : {20, 40}) rig.shift(bodyJoint, f, {0.0f, 0.0f, 0.0f});
  rig.scale(bodyJoint, 20, {1.0f, 1.03f, 1.03f});
  rig.scale(bodyJoint, 40, {1.0f, 1.0f, 1.0f});
  rig.turn(headJoint, 20, about(kAxisY, -6.0f));
  rig.turn(headJoint, 40, {});
  for (int i = 0; i < 4; ++i) {
    const float phase = (i == 0 || i == 3) ? 1.0f : -1.0f;
    rig.turn(legJoints[i], 10, about(kAxisY, 16.0f * phase));
    rig.turn(legJoints[i], 30, about(kAxisY, -16.0f * phase));
    rig.turn(legJoints[i], 40, {});
  }
  for (int k = 1; k <= 4; ++k) rig.turn(tailJoint, k * 8, about(kAxisX, (k % 2 ? 25.0f : -25.0f)));
  rig.turn(tailJoint, 40, {});
  model.nodes = rig.nodes();
  // The tail's keys carry ease-to and ease-from values, as an exporter writes them.
  model.nodes[tailJoint].splineFlags = 0x18;
  model.frameCount = 40;
  designToCreatureFrame(model);
  return out;
}

GeneratedModel buildGhost() {
  GeneratedModel out;
  out.fileName = "reduced_ghost.3DS";
  TdsModel& model = out.model;
  model.materials = {makeMaterial("ghost_white", {225, 230, 255}, "", 10)};
  const std::vector<std::string> names = {"ghost_white"};
  // The cow's silhouette at a coarse grid: body, neck and head in one piece.
  Mesh body = polygonize([](const Vec3& p) { return smoothUnion(cowBody(p), cowHead(p), 6.0f); },
                         {-66.0f, -34.0f, 34.0f}, {104.0f, 34.0f, 136.0f}, 10.0f);
  model.meshes.push_back(toTdsMesh(body, "ghost_body", names));
  const char* legNames[4] = {"ghost_leg_fl", "ghost_leg_fr", "ghost_leg_rl", "ghost_leg_rr"};
  for (int i = 0; i < 4; ++i) {
    const Vec3& top = kLegTops[i];
    Mesh leg = shape(cowLeg(top, i >= 2), {top[0] - 20.0f, top[1] - 15.0f, -5.0f},
                     {top[0] + 16.0f, top[1] + 15.0f, 92.0f}, 7.5f);
    model.meshes.push_back(toTdsMesh(leg, legNames[i], names));
  }
  Rig rig;
  const int bodyJoint = rig.addJoint("ghost_body", -1, {0.0f, 0.0f, 78.0f});
  for (int i = 0; i < 4; ++i) {
    const int leg = rig.addJoint(legNames[i], bodyJoint, kLegTops[i]);
    const float phase = (i == 0 || i == 3) ? 1.0f : -1.0f;
    rig.turn(leg, 10, about(kAxisY, 18.0f * phase));
    rig.turn(leg, 30, about(kAxisY, -18.0f * phase));
    rig.turn(leg, 40, {});
  }
  rig.shift(bodyJoint, 10, {0.0f, 0.0f, 3.0f});
  rig.shift(bodyJoint, 20, {0.0f, 0.0f, 0.0f});
  rig.shift(bodyJoint, 30, {0.0f, 0.0f, 3.0f});
  rig.shift(bodyJoint, 40, {0.0f, 0.0f, 0.0f});
  model.nodes = rig.nodes();
  model.frameCount = 40;
  designToCreatureFrame(model);
  return out;
}

// ------------------------------------------------------------- the riders
namespace {

enum RiderMaterial : uint8_t { kSkin, kTunic, kPants, kBoot, kHat, kBone, kRiderEye };

struct RiderLook {
  std::string prefix;  // material and mesh name prefix
  Vec3 seat;           // where the rider sits on the cow's back
  std::array<uint8_t, 3> skin, tunic, pants, boot, hat;
  float girth;  // belly size factor
  bool pointedHat;
};

std::vector<std::string> riderMaterialNames(const RiderLook& look) {
  const std::string& p = look.prefix;
  return {p + "_skin", p + "_tunic", p + "_pants", p + "_boot", p + "_hat", p + "_bone", p + "_eye"};
}

std::vector<TdsMaterial> riderMaterials(const RiderLook& look) {
  const std::vector<std::string> n = riderMaterialNames(look);
  return {makeMaterial(n[0], look.skin, "", 25),
          makeMaterial(n[1], look.tunic, "", 10),
          makeMaterial(n[2], look.pants, "", 10),
          makeMaterial(n[3], look.boot, "", 30),
          makeMaterial(n[4], look.hat, "", look.pointedHat ? 10 : 80),
          makeMaterial(n[5], {236, 226, 200}, "", 40),
          makeMaterial(n[6], {12, 12, 12}, "", 90)};
}

// Torso, hips and legs astride the cow's back.
Mesh riderBody(const RiderLook& look, float legSpread) {
  const Vec3 o = look.seat;
  const float g = look.girth;
  auto field = [o, g, legSpread](const Vec3& p) {
    float d = sdEllipsoid(p, at(o, 0.0f, 0.0f, 17.0f), {9.0f * g, 11.0f * g, 13.0f});
    d = smoothUnion(d, sdEllipsoid(p, at(o, 3.0f * g, 0.0f, 10.0f), {9.0f * g, 10.0f * g, 9.0f}), 5.0f);
    d = smoothUnion(d, sdEllipsoid(p, at(o, 0.0f, 0.0f, 3.0f), {9.0f, 12.0f, 6.0f}), 4.0f);
    for (const float s : {-1.0f, 1.0f}) {
      d = smoothUnion(d, sdCapsule(p, at(o, 2.0f, 8.0f * s, 3.0f), at(o, 8.0f, legSpread * s, -7.0f), 5.5f, 5.0f),
                      3.0f);
      d = smoothUnion(
          d, sdCapsule(p, at(o, 8.0f, legSpread * s, -7.0f), at(o, 5.0f, (legSpread + 3.0f) * s, -22.0f), 4.6f, 4.0f),
          2.0f);
      d = smoothUnion(d, sdEllipsoid(p, at(o, 8.0f, (legSpread + 3.0f) * s, -25.0f), {7.0f, 4.5f, 4.0f}), 2.0f);
    }
    return d;
  };
  Mesh m = shape(field, at(o, -14.0f, -legSpread - 12.0f, -32.0f), at(o, 20.0f, legSpread + 12.0f, 34.0f), 2.6f,
                 [o](const Vec3& c) -> uint8_t {
                   if (c[2] < o[2] - 19.0f) return kBoot;
                   if (c[2] < o[2] + 4.0f || std::fabs(c[1]) > 12.0f) return kPants;
                   return kTunic;
                 });
  return m;
}

Mesh riderHead(const RiderLook& look) {
  const Vec3 o = look.seat;
  const bool hat = look.pointedHat;
  auto hornA = [o](float s) { return at(o, 0.0f, 7.0f * s, 48.0f); };
  auto hornB = [o](float s) { return at(o, -2.0f, 12.0f * s, 57.0f); };
  auto field = [o, hat, hornA, hornB](const Vec3& p) {
    float d = sdSphere(p, at(o, 2.0f, 0.0f, 40.0f), 10.0f);
    d = smoothUnion(d, sdEllipsoid(p, at(o, 6.0f, 0.0f, 35.0f), {7.0f, 8.0f, 5.0f}), 4.0f);
    d = smoothUnion(d, sdEllipsoid(p, at(o, 12.0f, 0.0f, 39.0f), {4.5f, 3.2f, 3.8f}), 2.0f);
    d = smoothUnion(d, sdCapsule(p, at(o, 0.0f, 0.0f, 26.0f), at(o, 1.0f, 0.0f, 34.0f), 5.0f, 5.0f), 3.0f);
    for (const float s : {-1.0f, 1.0f}) {
      d = smoothUnion(d, sdCapsule(p, at(o, 0.0f, 9.0f * s, 41.0f), at(o, -3.0f, 19.0f * s, 47.0f), 3.2f, 1.0f), 2.0f);
      d = smoothUnion(d, sdCapsule(p, at(o, 9.0f, 4.0f * s, 33.0f), at(o, 10.0f, 5.0f * s, 37.5f), 1.3f, 0.6f), 1.0f);
    }
    if (hat) {
      d = smoothUnion(d, sdEllipsoid(p, at(o, 1.0f, 0.0f, 47.0f), {13.5f, 13.5f, 2.2f}), 1.5f);
      d = smoothUnion(d, sdCapsule(p, at(o, 1.0f, 0.0f, 47.0f), at(o, -3.0f, 0.0f, 63.0f), 9.0f, 1.2f), 2.0f);
    } else {
      d = smoothUnion(d, sdEllipsoid(p, at(o, 2.0f, 0.0f, 44.0f), {11.0f, 11.0f, 8.5f}), 1.0f);
      for (const float s : {-1.0f, 1.0f}) d = smoothUnion(d, sdCapsule(p, hornA(s), hornB(s), 2.3f, 0.8f), 1.0f);
    }
    return d;
  };
  Mesh m = shape(field, at(o, -16.0f, -24.0f, 20.0f), at(o, 20.0f, 24.0f, 66.0f), 1.9f,
                 [o, hat, hornA, hornB](const Vec3& c) -> uint8_t {
                   if (c[2] < o[2] + 38.0f && c[0] > o[0] + 8.0f && std::fabs(c[1]) > 3.0f && c[2] > o[2] + 32.0f)
                     return kBone;
                   if (hat) return c[2] > o[2] + 44.5f ? kHat : kSkin;
                   for (const float s : {-1.0f, 1.0f}) {
                     if (sdCapsule(c, hornA(s), hornB(s), 2.3f, 0.8f) < 0.6f && c[2] > o[2] + 50.0f) return kBone;
                   }
                   return c[2] > o[2] + 44.0f ? kHat : kSkin;
                 });
  for (const float s : {-1.0f, 1.0f}) m.append(ball(at(o, 11.0f, 4.2f * s, 43.0f), 1.8f, kRiderEye));
  return m;
}

// One arm from the shoulder through the elbow to the hand.
Mesh riderArm(const Vec3& shoulder, const Vec3& elbow, const Vec3& hand) {
  auto field = [=](const Vec3& p) {
    float d = sdCapsule(p, shoulder, elbow, 4.0f, 3.6f);
    d = smoothUnion(d, sdCapsule(p, elbow, hand, 3.4f, 3.0f), 2.0f);
    return smoothUnion(d, sdSphere(p, hand, 4.2f), 1.5f);
  };
  Vec3 lo = shoulder, hi = shoulder;
  for (const Vec3& q : {elbow, hand}) {
    for (int i = 0; i < 3; ++i) {
      lo[i] = std::min(lo[i], q[i]);
      hi[i] = std::max(hi[i], q[i]);
    }
  }
  Mesh m = shape(field, sub(lo, Vec3{7.0f, 7.0f, 7.0f}), add(hi, Vec3{7.0f, 7.0f, 7.0f}), 2.1f,
                 [shoulder](const Vec3& c) -> uint8_t { return length(sub(c, shoulder)) < 8.0f ? kTunic : kSkin; });
  return m;
}

}  // namespace

GeneratedModel buildRiderFront() {
  const RiderLook look{"ork3",       {22.0f, 0.0f, 104.0f}, {104, 162, 70}, {176, 58, 42}, {112, 82, 52},
                       {64, 42, 30}, {168, 170, 182},       1.0f,           false};
  GeneratedModel out;
  out.fileName = "ork_3_anim.3DS";
  TdsModel& model = out.model;
  model.materials = riderMaterials(look);
  const std::vector<std::string> names = riderMaterialNames(look);
  const Vec3 o = look.seat;
  const Mesh body = riderBody(look, 24.0f);
  const Mesh head = riderHead(look);
  model.meshes.push_back(toTdsMesh(body, "ork3_body", names));
  model.meshes.push_back(toTdsMesh(head, "ork3_head", names));
  for (const float s : {1.0f, -1.0f}) {
    Mesh arm = riderArm(at(o, 0.0f, 11.0f * s, 25.0f), at(o, 6.0f, 15.0f * s, 13.0f), at(o, 17.0f, 10.0f * s, 9.0f));
    model.meshes.push_back(toTdsMesh(arm, s > 0 ? "ork3_arm_l" : "ork3_arm_r", names));
  }

  Rig rig;
  const int body_ = rig.addJoint("ork3_body", -1, o);
  const int head_ = rig.addJoint("ork3_head", body_, at(o, 0.0f, 0.0f, 30.0f));
  const int armL = rig.addJoint("ork3_arm_l", body_, at(o, 0.0f, 11.0f, 25.0f));
  const int armR = rig.addJoint("ork3_arm_r", body_, at(o, 0.0f, -11.0f, 25.0f));
  // Clip 0 (0-10): braces, leaning back; clip 1 (10-20): back to rest.
  rig.turn(body_, 10, about(kAxisY, -14.0f));
  rig.turn(head_, 10, about(kAxisY, -8.0f));
  rig.turn(armL, 10, about(kAxisY, -35.0f));
  rig.turn(armR, 10, about(kAxisY, -35.0f));
  for (const int j : {body_, head_, armL, armR}) rig.turn(j, 20, {});
  // Clip 2 (20-50): waves with the right arm, looking to its right.
  const Turn up = about(kAxisY, -150.0f);
  rig.turn(armR, 25, up);
  rig.turn(armR, 29, combine(up, about(kAxisX, 25.0f)));
  rig.turn(armR, 33, combine(up, about(kAxisX, -10.0f)));
  rig.turn(armR, 37, combine(up, about(kAxisX, 25.0f)));
  rig.turn(armR, 41, combine(up, about(kAxisX, -10.0f)));
  rig.turn(armR, 45, up);
  rig.turn(armR, 50, {});
  rig.turn(head_, 25, about(kAxisZ, -25.0f));
  rig.turn(head_, 45, about(kAxisZ, -25.0f));
  rig.turn(head_, 50, {});
  rig.shift(body_, 20, {0.0f, 0.0f, 0.0f});
  rig.shift(body_, 31, {0.0f, 0.0f, 2.0f});
  rig.shift(body_, 39, {0.0f, 0.0f, 0.0f});
  // Clip 3 (50-80): cheers for the horn, both arms up, bouncing and shouting.
  for (const int arm : {armL, armR}) {
    rig.turn(arm, 50, {});
    rig.turn(arm, 55, about(kAxisY, -160.0f));
    rig.turn(arm, 60, about(kAxisY, -140.0f));
    rig.turn(arm, 65, about(kAxisY, -165.0f));
    rig.turn(arm, 70, about(kAxisY, -140.0f));
    rig.turn(arm, 75, about(kAxisY, -160.0f));
    rig.turn(arm, 80, {});
  }
  rig.turn(head_, 55, about(kAxisY, -15.0f));
  rig.turn(head_, 75, about(kAxisY, -15.0f));
  rig.turn(head_, 80, {});
  for (const int f : {57, 67}) {
    rig.shift(body_, f, {0.0f, 0.0f, 4.0f});
    rig.scale(head_, f, {1.15f, 1.15f, 1.15f});
  }
  for (const int f : {50, 62, 72, 80}) {
    rig.shift(body_, f, {0.0f, 0.0f, 0.0f});
    rig.scale(head_, f, {1.0f, 1.0f, 1.0f});
  }
  model.nodes = rig.nodes();
  model.frameCount = 80;
  designToCreatureFrame(model);
  out.clips = clipText({{0, 10, 3.0f}, {10, 20, 3.0f}, {20, 50, 15.0f}, {50, 80, 20.0f}});
  return out;
}

GeneratedModel buildRiderBack() {
  const RiderLook look{"ork2",       {-24.0f, 0.0f, 104.0f}, {138, 170, 84}, {52, 92, 170}, {88, 70, 56},
                       {52, 36, 26}, {48, 96, 52},           1.18f,          true};
  GeneratedModel out;
  out.fileName = "ork_2_anim.3DS";
  TdsModel& model = out.model;
  model.materials = riderMaterials(look);
  const std::vector<std::string> names = riderMaterialNames(look);
  const Vec3 o = look.seat;
  model.meshes.push_back(toTdsMesh(riderBody(look, 26.0f), "ork2_body", names));
  model.meshes.push_back(toTdsMesh(riderHead(look), "ork2_head", names));

  // The arms are modelled blowing the horn and turned down into the rest
  // pose; the horn clip turns them back up by the same angle.
  constexpr float kRaise = 80.0f;
  const Vec3 mouth = at(o, 11.5f, 0.0f, 35.0f);
  const Vec3 dir = normalized({0.87f, 0.0f, 0.5f});
  const Vec3 shoulderL = at(o, 0.0f, 12.0f, 25.0f), shoulderR = at(o, 0.0f, -12.0f, 25.0f);
  const Vec3 handR = add(add(mouth, mul(dir, 8.0f)), {0.0f, -2.0f, -4.5f});
  const Vec3 handL = add(add(mouth, mul(dir, 16.0f)), {0.0f, 2.0f, -5.5f});
  Mesh armR = riderArm(shoulderR, add(lerp(shoulderR, handR, 0.5f), {-2.0f, -6.0f, -5.0f}), handR);
  Mesh horn = polygonize(
      [mouth, dir](const Vec3& p) {
        float d = sdCapsule(p, mouth, add(mouth, mul(dir, 12.0f)), 1.3f, 1.7f);
        d = smoothUnion(d, sdCapsule(p, add(mouth, mul(dir, 12.0f)), add(mouth, mul(dir, 21.0f)), 1.7f, 3.2f), 1.0f);
        d = smoothUnion(d, sdCapsule(p, add(mouth, mul(dir, 21.0f)), add(mouth, mul(dir, 25.0f)), 3.2f, 6.5f), 1.0f);
        return d;
      },
      sub(mouth, Vec3{4.0f, 9.0f, 9.0f}), add(mouth, Vec3{29.0f, 9.0f, 22.0f}), 1.6f);
  horn.setMaterial(kBone);
  armR.append(horn);
  armR.rotate(kAxisY, kRaise, shoulderR);
  Mesh armL = riderArm(shoulderL, add(lerp(shoulderL, handL, 0.5f), {-2.0f, 6.0f, -5.0f}), handL);
  armL.rotate(kAxisY, kRaise, shoulderL);
  model.meshes.push_back(toTdsMesh(armL, "ork2_arm_l", names));
  model.meshes.push_back(toTdsMesh(armR, "ork2_arm_r", names));

  Rig rig;
  const int body_ = rig.addJoint("ork2_body", -1, o);
  const int head_ = rig.addJoint("ork2_head", body_, at(o, 0.0f, 0.0f, 30.0f));
  const int jointL = rig.addJoint("ork2_arm_l", body_, shoulderL);
  const int jointR = rig.addJoint("ork2_arm_r", body_, shoulderR);
  // Clip 0 (0-30): looks around, left then right.
  rig.turn(head_, 8, about(kAxisZ, 35.0f));
  rig.turn(head_, 20, about(kAxisZ, -35.0f));
  rig.turn(head_, 30, {});
  rig.shift(body_, 14, {0.0f, 0.0f, 1.5f});
  rig.shift(body_, 30, {0.0f, 0.0f, 0.0f});
  // Clip 1 (30-70): raises the horn, blows with puffed cheeks, lowers it.
  for (const int arm : {jointL, jointR}) {
    rig.turn(arm, 30, {});
    rig.turn(arm, 38, about(kAxisY, -kRaise));
    rig.turn(arm, 62, about(kAxisY, -kRaise));
    rig.turn(arm, 70, {});
  }
  rig.turn(body_, 30, {});
  rig.turn(body_, 40, about(kAxisY, -6.0f));
  rig.turn(body_, 62, about(kAxisY, -6.0f));
  rig.turn(body_, 70, {});
  rig.turn(head_, 40, about(kAxisY, -8.0f));
  rig.turn(head_, 62, about(kAxisY, -8.0f));
  rig.turn(head_, 70, {});
  const float puff[] = {1.0f, 1.15f, 1.05f, 1.15f, 1.05f, 1.0f};
  for (int k = 0; k < 6; ++k) {
    const float s = puff[k];
    rig.scale(head_, 42 + 4 * k, {s, s, 1.0f + (s - 1.0f) * 0.8f});
  }
  model.nodes = rig.nodes();
  model.frameCount = 70;
  designToCreatureFrame(model);
  out.clips = clipText({{0, 30, 10.0f}, {30, 70, 20.0f}});
  return out;
}

}  // namespace assetgen
