// The player subsystem on a real (Xvfb, Mesa) context: the chase camera's
// view handed to OpenGL and the players' stand-in shape.
#include "player/player_gl.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <GL/glut.h>
#include <gtest/gtest.h>

#include "player/fake_ground.h"

namespace vorn {
namespace {

constexpr int kSize = 200;

class PlayerGlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    int argc = 1;
    char name[] = "player_gl_test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGBA | GLUT_DEPTH);
    glutInitWindowSize(kSize, kSize);
    glutCreateWindow("player test");
    ASSERT_EQ(glewInit(), GLEW_OK);
  }
  void SetUp() override {
    glViewport(0, 0, kSize, kSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 1.0, 1.0, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    player_.setPosition(VornVector(100.0f, 50.0f, 300.0f));
    player_.direction = VornVector(0.0f, 0.0f, 1.0f);
    player_.setUpModel();
    player_.updatePose(Steering::kNone);
    camera_.setTarget(&player_);
  }
  VornPlayer player_;
  VornCamera camera_;
  testing_support::PlaneGround ground_{0.0f, 0.0f, 0.0f};
};

TEST_F(PlayerGlTest, ApplyCameraIsGluLookAt) {
  camera_.update(ground_);
  glLoadIdentity();
  applyCamera(camera_);
  GLfloat applied[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, applied);
  glLoadIdentity();
  const VornVector& e = camera_.eyePosition();
  const VornVector c = e + camera_.viewVector();
  const VornVector& u = camera_.upVector();
  gluLookAt(e.x, e.y, e.z, c.x, c.y, c.z, u.x, u.y, u.z);
  GLfloat expected[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, expected);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(applied[i], expected[i], 1e-3f) << i;
}

TEST_F(PlayerGlTest, TheStandInAppearsWhereTheCameraLooks) {
  camera_.update(ground_);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  applyCamera(camera_);
  // The light in world coordinates, from above and behind the camera.
  const GLfloat light[4] = {0.0f, 1.0f, -1.0f, 0.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, light);
  const float tint[3] = {1.0f, 0.2f, 0.2f};
  drawPlayerPlaceholder(player_, tint);
  glFinish();
  unsigned char centre[3];
  glReadPixels(kSize / 2, kSize / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, centre);
  EXPECT_GT(centre[0], 60);
  EXPECT_GT(centre[0], centre[1] * 2);
  // Radius 5 at a distance of 50 covers about a tenth of a 45-degree view;
  // the corners stay empty.
  unsigned char corner[3];
  glReadPixels(5, 5, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, corner);
  EXPECT_EQ(corner[0] + corner[1] + corner[2], 0);
  int covered = 0;
  for (int x = 0; x < kSize; ++x) {
    unsigned char rgb[3];
    glReadPixels(x, kSize / 2, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    covered += rgb[0] > 0;
  }
  EXPECT_GT(covered, kSize / 12);
  EXPECT_LT(covered, kSize / 3);
}

}  // namespace
}  // namespace vorn
