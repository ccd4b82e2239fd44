#include "world/particles_gl.h"

#include <GL/glew.h>

namespace vorn {

namespace {

// Two texture coordinates then three position floats a vertex, one strip:
// 40 wide, from 5 to 20 above the particle.
constexpr GLfloat kQuad[4][5] = {
    {1, 1, 20, 20, 0}, {1, 0, 20, 5, 0}, {0, 1, -20, 20, 0}, {0, 0, -20, 5, 0}};

constexpr GLfloat kPointAttenuation[3] = {1.0f, 0.0f, 0.01f};
constexpr GLfloat kLargestPoint = 100.0f;
constexpr GLfloat kPointFadeThreshold = 60.0f;
constexpr GLfloat kSmallestPoint = 1.0f;

// Puffs stand a little in front of their particle, so they do not cut into
// the ground they were thrown from.
constexpr float kPuffTowardsViewer = 8.0f;
// Every puff of a spray starts within a few units of the others and is as
// large as the cow, so they all stack: each one is a faint share of the
// veil they make together.
constexpr float kPuffOpacity = 0.05f;
constexpr float kPuffScale[2][3] = {{0.3f, 0.5f, 0.3f}, {0.6f, 0.8f, 0.6f}};

void drawPoints(const VornParticleRing& ring) {
  ring.forEachLive([&ring](int slot) {
    const float* c = ring.colourOf(slot);
    glColor4f(c[0], c[1], c[2], 1.0f);
    const VornVector p = ring.positionOf(slot);
    glVertex3f(p.x, p.y, p.z);
  });
}

}  // namespace

int initParticleSystem(VornParticleSystem& system, const char* textureFile, VornTextureCache& textures) {
  system.textureIndex = loadAlphaTexture(textureFile, textures);
  if (GLEW_ARB_vertex_buffer_object && system.quadBuffer == 0) {
    GLuint buffer = 0;
    glGenBuffersARB(1, &buffer);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, buffer);
    glBufferDataARB(GL_ARRAY_BUFFER_ARB, sizeof(kQuad), kQuad, GL_STATIC_DRAW_ARB);
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);
    system.quadBuffer = buffer;
  }
  return textures[static_cast<size_t>(system.textureIndex)]->getId() != 0 ? 0 : 1;
}

void setParticlePointParameters() {
  glPointParameterfvARB(GL_POINT_DISTANCE_ATTENUATION_ARB, kPointAttenuation);
  GLfloat largest = 0.0f;
  glGetFloatv(GL_POINT_SIZE_MAX_ARB, &largest);
  if (largest > kLargestPoint) largest = kLargestPoint;
  glPointSize(largest);
  glPointParameterfARB(GL_POINT_FADE_THRESHOLD_SIZE_ARB, kPointFadeThreshold);
  glPointParameterfARB(GL_POINT_SIZE_MIN_ARB, kSmallestPoint);
  glPointParameterfARB(GL_POINT_SIZE_MAX_ARB, largest);
  glTexEnvi(GL_POINT_SPRITE_ARB, GL_COORD_REPLACE_ARB, GL_TRUE);
}

void drawParticleSystem(const VornParticleSystem& system, const VornTextureCache& textures, const VornVector& view,
                        const VornVector& up, bool pointSprites) {
  if (system.textureIndex < 0 || static_cast<size_t>(system.textureIndex) >= textures.size()) return;
  const VornTexture& texture = *textures[static_cast<size_t>(system.textureIndex)];
  if (texture.getId() == 0) return;

  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBlendEquation(GL_FUNC_ADD);
  glDisable(GL_LIGHTING);
  glDepthMask(GL_FALSE);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, texture.getId());
  // The particle's own colour, shaped by the texture's alpha.
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_REPLACE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB, GL_PRIMARY_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_MODULATE);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA, GL_TEXTURE);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
  glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_ALPHA, GL_PRIMARY_COLOR);
  glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_ALPHA, GL_SRC_ALPHA);

  if (pointSprites) {
    glEnable(GL_POINT_SPRITE_ARB);
    glBegin(GL_POINTS);
    drawPoints(system.flakes());
    drawPoints(system.snowfall());
    glEnd();
    glDisable(GL_POINT_SPRITE_ARB);
  }

  if (system.quadBuffer != 0) {
    glBindBufferARB(GL_ARRAY_BUFFER_ARB, system.quadBuffer);
    glInterleavedArrays(GL_T2F_V3F, 0, nullptr);
  } else {
    glInterleavedArrays(GL_T2F_V3F, 0, kQuad);
  }
  const VornBillboard b = billboardBasis(view, up);
  const GLfloat billboard[16] = {b.right.x, b.right.y, b.right.z, 0, b.up.x, b.up.y, b.up.z, 0,
                                 b.back.x,  b.back.y,  b.back.z,  0, 0,      0,      0,      1};
  const float* scale = kPuffScale[system.bigPuffs() ? 1 : 0];
  const VornParticleRing& puffs = system.puffs();
  puffs.forEachLive([&](int slot) {
    const float* c = puffs.colourOf(slot);
    const VornVector p = puffs.positionOf(slot);
    // Puffs grow to twice their size over their life.
    const float growth = (VornParticleSystem::kPuffLife - puffs.life[static_cast<size_t>(slot)]) /
                             VornParticleSystem::kPuffLife + 1.0f;
    glPushMatrix();
    glColor4f(c[0], c[1], c[2], c[3] * kPuffOpacity);
    glTranslatef(p.x + kPuffTowardsViewer * b.shiftX, p.y, p.z + kPuffTowardsViewer * b.shiftZ);
    glScalef(scale[0] * growth, scale[1] * growth, scale[2] * growth);
    glMultMatrixf(billboard);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glPopMatrix();
  });
  if (system.quadBuffer != 0) glBindBufferARB(GL_ARRAY_BUFFER_ARB, 0);

  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glDisable(GL_BLEND);
  glEnable(GL_LIGHTING);
  glDepthMask(GL_TRUE);
}

}  // namespace vorn
