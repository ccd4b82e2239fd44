// Checks the matrix memory layout and composition order against what the
// OpenGL implementation itself builds for the same calls.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include "math/matrix.h"
#include "math/transform.h"
#include "math/transform_gl.h"

namespace vorn {
namespace {

constexpr float kEps = 1e-5f;

class MatrixGlTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    int argc = 1;
    char name[] = "matrix_gl_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DEPTH);
    glutInitWindowSize(32, 32);
    window_ = glutCreateWindow("matrix_gl_test");
  }
  static void TearDownTestSuite() { glutDestroyWindow(window_); }

  void SetUp() override {
    ASSERT_NE(window_, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }

  static VornMatrix modelview() {
    VornMatrix m;
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return m;
  }

  static void expectSame(const VornMatrix& gl, const VornMatrix& ours, float eps = kEps) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(gl.m[i], ours.m[i], eps) << "index " << i;
  }

  static int window_;
};

int MatrixGlTest::window_ = 0;

TEST_F(MatrixGlTest, RotateTranslateScaleSequenceMatchesGl) {
  glTranslatef(1, 2, 3);
  glRotatef(30, 0.6f, 0, 0.8f);
  glScalef(2, 3, 0.5f);
  glRotatef(-45, 0, 1, 0);
  glTranslatef(-5, 0.25f, 7);
  glRotatef(120, 0, 0, 1);

  VornMatrix ours;
  ours.translate(1, 2, 3);
  ours.rotate(30, 0.6f, 0, 0.8f);
  ours.scale(2, 3, 0.5f);
  ours.rotate(-45, 0, 1, 0);
  ours.translate(-5, 0.25f, 7);
  ours.rotate(120, 0, 0, 1);

  const VornMatrix gl = modelview();
  expectSame(gl, ours, 1e-4f);
}

TEST_F(MatrixGlTest, TranslationSitsInElementsTwelveToFourteen) {
  glTranslatef(4, 5, 6);
  const VornMatrix gl = modelview();
  EXPECT_FLOAT_EQ(gl.m[12], 4);
  EXPECT_FLOAT_EQ(gl.m[13], 5);
  EXPECT_FLOAT_EQ(gl.m[14], 6);
  VornMatrix ours;
  ours.translate(4, 5, 6);
  expectSame(gl, ours, 0);
}

TEST_F(MatrixGlTest, MultiplyAndPreMultiplyMatchGlComposition) {
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
  expectSame(modelview(), ab);

  glLoadIdentity();
  glMultMatrixf(b.data());
  glMultMatrixf(a.data());
  VornMatrix ba = a;
  ba.preMultiply(b);
  expectSame(modelview(), ba);

  // A world-axis turn is a glRotatef issued before the matrix.
  glLoadIdentity();
  glRotatef(40, 0, 1, 0);
  glMultMatrixf(a.data());
  VornMatrix turned = a;
  turned.rotateRadians(VornVector(0, 1, 0), 40 * 3.14159265f / 180);
  expectSame(modelview(), turned);
}

TEST_F(MatrixGlTest, ApplyTransformMultipliesTheModelMatrix) {
  VornTransform t;
  t.setScale(0.08f);
  t.orient(VornVector(0.3f, -0.2f, 0.9f), 90);
  t.setPosition(100, -20, 350);

  glTranslatef(0, 0, -10);
  applyTransform(t);
  VornMatrix expected;
  expected.translate(0, 0, -10);
  expected.multiply(t.modelMatrix());
  expectSame(modelview(), expected, 1e-4f);
}

}  // namespace
}  // namespace vorn
