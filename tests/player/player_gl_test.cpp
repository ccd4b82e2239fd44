// The player subsystem on a real (Xvfb, Mesa) context: the chase camera's
// view handed to OpenGL shows the players' stand-in shape where it looks.
#include "player/player_gl.h"

#include <GL/glew.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include "player/race_fakes.h"
#include "support/gl_window.h"

namespace vorn {
namespace {

constexpr int kSize = 200;

TEST(PlayerGl, TheStandInAppearsWhereTheChaseCameraLooks) {
  ASSERT_TRUE(test::openTestWindow("player test", kSize, kSize));
  glViewport(0, 0, kSize, kSize);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(45.0, 1.0, 1.0, 2000.0);
  glMatrixMode(GL_MODELVIEW);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHT0);
  glEnable(GL_NORMALIZE);
  VornPlayer player;
  player.setPosition(VornVector(100.0f, 50.0f, 300.0f));
  player.direction = VornVector(0.0f, 0.0f, 1.0f);
  player.setUpModel();
  player.updatePose(Steering::kNone);
  VornCamera camera;
  camera.setTarget(&player);
  testing_support::PlaneGround ground{0.0f, 0.0f, 0.0f};
  camera.update(ground);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  applyCamera(camera);
  // The light in world coordinates, from above and behind the camera.
  const GLfloat light[4] = {0.0f, 1.0f, -1.0f, 0.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, light);
  const float tint[3] = {1.0f, 0.2f, 0.2f};
  drawPlayerPlaceholder(player, tint);
  glFinish();
  unsigned char row[kSize * 3];
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, kSize / 2, kSize, 1, GL_RGB, GL_UNSIGNED_BYTE, row);
  const unsigned char* centre = &row[kSize / 2 * 3];
  EXPECT_GT(centre[0], 60);
  EXPECT_GT(centre[0], centre[1] * 2) << "lit in its tint";
  // Radius 5 at a distance of 50 covers about a tenth of a 45-degree view;
  // the row's ends stay empty.
  int covered = 0;
  for (int x = 0; x < kSize; ++x) covered += row[x * 3] > 0;
  EXPECT_GT(covered, kSize / 12);
  EXPECT_LT(covered, kSize / 3);
  EXPECT_EQ(row[0] + row[1] + row[2], 0);
  EXPECT_EQ(GL_NO_ERROR, glGetError());
}

}  // namespace
}  // namespace vorn
