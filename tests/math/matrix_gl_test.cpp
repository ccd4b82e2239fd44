// The matrix memory layout and composition order against what the OpenGL
// implementation itself builds for the same calls.
#include "support/gl_window.h"  // GLEW before any other GL header

#include <gtest/gtest.h>

#include "math/matrix.h"
#include "math/transform.h"
#include "math/transform_gl.h"

namespace vorn {
namespace {

class MatrixGlTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(test::openTestWindow("matrix_gl_test", 32, 32)); }
  void SetUp() override {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
  // The current modelview matrix next to ours.
  static void expectModelview(const VornMatrix& ours, float eps = 1e-4f) {
    VornMatrix gl;
    glGetFloatv(GL_MODELVIEW_MATRIX, gl.data());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(gl.m[i], ours.m[i], eps) << "index " << i;
  }
};

TEST_F(MatrixGlTest, RotateTranslateScaleSequenceMatchesGl) {
  VornMatrix ours;
  glTranslatef(1, 2, 3); ours.translate(1, 2, 3);
  glRotatef(30, 0.6f, 0, 0.8f); ours.rotate(30, 0.6f, 0, 0.8f);
  glScalef(2, 3, 0.5f); ours.scale(2, 3, 0.5f);
  glRotatef(-45, 0, 1, 0); ours.rotate(-45, 0, 1, 0);
  glTranslatef(-5, 0.25f, 7); ours.translate(-5, 0.25f, 7);
  glRotatef(120, 0, 0, 1); ours.rotate(120, 0, 0, 1);
  expectModelview(ours);
}

TEST_F(MatrixGlTest, ProductsWorldTurnsAndTransformsMatchGlComposition) {
  VornMatrix a;
  a.rotate(25, 1, 0, 0);
  a.translate(3, -1, 2);
  VornMatrix b;
  b.scale(1.5f, 1, 2);
  b.rotate(70, 0, 0.8f, 0.6f);
  glMultMatrixf(a.data());
  glMultMatrixf(b.data());
  VornMatrix ab = a;
  ab.multiply(b);
  expectModelview(ab);

  glLoadIdentity();
  glMultMatrixf(b.data());
  glMultMatrixf(a.data());
  VornMatrix ba = a;
  ba.preMultiply(b);
  expectModelview(ba);

  // A world-axis turn is a glRotatef issued before the matrix; a transform
  // multiplies its model matrix onto the current one.
  glLoadIdentity();
  glRotatef(40, 0, 1, 0);
  glMultMatrixf(a.data());
  VornTransform t;
  t.setScale(0.08f);
  t.orient(VornVector(0.3f, -0.2f, 0.9f), 90);
  t.setPosition(100, -20, 350);
  applyTransform(t);
  VornMatrix expected = a;
  expected.rotateRadians(VornVector(0, 1, 0), 40 * 3.14159265f / 180);
  expected.multiply(t.modelMatrix());
  expectModelview(expected);
}

}  // namespace
}  // namespace vorn
