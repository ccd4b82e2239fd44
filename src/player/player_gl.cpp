#include "player/player_gl.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <GL/glut.h>

namespace vorn {

namespace {
constexpr int kSphereSlices = 20;
constexpr int kSphereStacks = 14;
// The cone points along the model's +X axis (the direction of travel).
constexpr float kNoseLength = 1.6f;  // in collision radii
constexpr float kNoseRadius = 0.45f;
}  // namespace

void applyCamera(const VornCamera& camera) {
  const VornVector& e = camera.eyePosition();
  const VornVector& v = camera.viewVector();
  const VornVector& u = camera.upVector();
  gluLookAt(e.x, e.y, e.z, static_cast<double>(e.x) + v.x, static_cast<double>(e.y) + v.y,
            static_cast<double>(e.z) + v.z, u.x, u.y, u.z);
}

void drawPlayerPlaceholder(const VornPlayer& player, const float tint[3]) {
  const VornTransform& t = player.modelTransform;
  // The model transform carries the model's scale; the shape is measured in
  // world units, so it is drawn that much larger in model units.
  const float scale = t.scale().x > 0.0f ? t.scale().x : 1.0f;
  const double radius = VornPlayer::kCollisionRadius / scale;

  glPushAttrib(GL_ENABLE_BIT | GL_LIGHTING_BIT | GL_CURRENT_BIT);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glEnable(GL_LIGHTING);
  const GLfloat diffuse[4] = {tint[0], tint[1], tint[2], 1.0f};
  const GLfloat ambient[4] = {tint[0] * 0.4f, tint[1] * 0.4f, tint[2] * 0.4f, 1.0f};
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);

  glPushMatrix();
  glMultMatrixf(t.modelMatrix().data());
  glutSolidSphere(radius, kSphereSlices, kSphereStacks);
  glRotatef(90.0f, 0.0f, 1.0f, 0.0f);  // the cone's axis (+Z) onto the model's +X
  glutSolidCone(radius * kNoseRadius * 2.0, radius * kNoseLength, kSphereSlices, 2);
  glPopMatrix();
  glPopAttrib();
}

}  // namespace vorn
