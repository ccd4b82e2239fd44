// The loading sequence: one step per frame behind the loading screen, so the
// progress bar moves while models, world and sounds load.
#include <GL/glew.h>
#include <GL/glut.h>

#include <cstdio>
#include <cstdlib>

#include "app/game.h"
#include "app/platform.h"
#include "assets/material_gl.h"
#include "assets/shadow_volume_gl.h"
#include "assets/texture_layers_gl.h"
#include "world/particles_gl.h"

namespace vorn {

void VornGame::loadNextStep() {
  switch (loadStep) {
    case 0:
      loadScreenTexture = findOrLoadTexture("data/textures/load_screen.bmp", textures);
      break;
    case 1:
      ghostGame = false;
      eventTime = 0;
      sound.load();
      audioOpenedWall_ = getTimeMicroseconds();
      setTextureCache(&textures);
      break;
    case 2:
      mouseX = mouseY = clickX = clickY = 0;
      for (int& b : mouseButtons) b = 1;
      lastFrameTime = 0;
      lightList = 0;
      for (unsigned char& k : keys) k = 0;
      // Creates the ten models and loads model 1; the next steps load
      // models 3, 0, 6, 4, 2, 7, 8 and 9, 5.
      models.runLoadingStep(loadStep, textures);
      break;
    case 3: case 4: case 5: case 6: case 7: case 8: case 9: case 10:
      models.runLoadingStep(loadStep, textures);
      break;
    case 11:
      // Neighbour data of the shadow casters: the cow and its two riders.
      std::printf("calcBrothers ....\n");
      for (int index : kShadowCasterModels) {
        if (VornObject* caster = models.model(index)) calcBrothers(*caster);
      }
      break;
    case 12:
      font = std::make_unique<VornFont>("data/textures/Font.tga", "data/textures/Font_mask.bmp");
      break;
    case 13:
      std::printf("world ....\n");
      // Terrain, light map, ground textures, the material map, the object
      // map's kinds (their models found in or added to the game's list) and
      // the objects placed from the placement image.
      world = std::make_unique<VornWorld>("data/maps/twin_paths.rgb", textures, models.models, models.tables);
      break;
    case 14:
      sky = std::make_unique<VornSky>("data/textures/sky3/", textures);
      cameras[0] = std::make_unique<VornCamera>();
      cameras[1] = std::make_unique<VornCamera>();
      break;
    case 15:
      // Both players: the cow (model 0) with its two riders (models 5 and 6).
      createRace();
      for (int i = 0; i < 2; ++i) models.attachPlayer(players[i].get(), riders[i][0].get(), riders[i][1].get());
      for (int i = 0; i < 2; ++i) {
        if (world) players[i]->setPosition(world->startPosition());
        players[i]->setPosition(players[i]->position() + VornVector(i == 0 ? 5.0f : -5.0f, 0.0f, 0.0f));
        players[i]->setUpModel();
      }
      if ((demo || autopilotRaces) && world && world->usable()) {
        autopilot = std::make_unique<VornAutopilot>(centreLineAutopilot(world->terrain()));
      }
      break;
    case 16: {
      // The recorder (emptied, with a first line for player 1) and the ghost,
      // the snow, the light and the beer bottles.
      recorder.open(kRecordingMap);
      if (players[0]) recorder.record(0.0f, players[0]->modelTransform.modelMatrix().m);
      loadGhost();
      snow = std::make_unique<VornParticleSystem>();
      initParticleSystem(*snow, "data/textures/snowflake.bmp", textures);
      lightPosition = VornVector(0.0f, 1.0f, -1.0f);
      lightPosition.normalize();
      loadBeers();
      if (autopilot && world) {
        // The demo driver takes the bottles near its line and steers round
        // the trees. A bottle stands 10 above its list position.
        std::vector<VornVector> trees;
        for (const auto& object : world->objects()) {
          if (object->modelIndex == kModelTree) trees.push_back(object->position);
        }
        std::vector<VornVector> bottles;
        for (const VornManageActionObject::Record& r : actionObjects.records) {
          bottles.push_back(r.transform.position() - VornVector(0.0f, VornActionTuning::kBeerLift, 0.0f));
        }
        autopilot->setObjects(std::move(bottles), std::move(trees));
      }
      lightList = glGenLists(1);
      lightPos[0] = lightPosition.x;
      lightPos[1] = lightPosition.y;
      lightPos[2] = lightPosition.z;
      lightPos[3] = 0.0f;
      raceStage = 0;
      glNewList(lightList, GL_COMPILE);
      glLightfv(GL_LIGHT0, GL_POSITION, lightPos);
      glEndList();
      if (players[0]) previousPosition = players[0]->position();
      break;
    }
    case 17:
      if (pointSpritesSupported) {
        // Point-sprite size and attenuation for the snow.
        setParticlePointParameters();
      }
      // The game's own clock: a fixed-step run starts from the same time and so
      // throws the same snow every run.
      std::srand(static_cast<unsigned>(now() / 1000000));
      break;
    case 18:
      // The bottle's shadow image and the buffers of the bottle shadows.
      makeBeerShadowImage();
      break;
    case 19:
      // The shadow texture of every placed object, multiplied into the ground.
      bakeObjectShadows();
      break;
    case 20:
      // The cow's blinking eyes: a flip-book over the eye texture its model already loaded.
      // A missing list is reported by the loader and the eyes stay open.
      installTextureLayers(textures);
      loadFlipBook("data/textures/auge.txt");
      break;
    case 21:
      VornHud::loadHudImages(textures, font.get());
      break;
    default:
      setState(kStateMenu);
      // The demo goes straight into a single race driven by the autopilot.
      if (demo) startRace(demoSplit ? kStateSplitRace : kStateRace, demoGhost);
      return;
  }
  ++loadStep;
  drawLoadingScreen();
}

void VornGame::drawLoadingScreen() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glLoadIdentity();
  if (loadScreenTexture >= 0 && loadScreenTexture < static_cast<int>(textures.size())) {
    textures[loadScreenTexture]->bind();
  }
  glDisable(GL_LIGHTING);
  glColor3f(1.0f, 1.0f, 1.0f);
  glTranslatef(0.0f, 0.0f, -8.0f);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex3f(-2.0f, -2.0f, 0.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex3f(2.0f, -2.0f, 0.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex3f(2.0f, 2.0f, 0.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex3f(-2.0f, 2.0f, 0.0f);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  glColor3f(0.0f, 0.0f, 1.0f);
  const float right = static_cast<float>(loadStep) / 11.0f;
  glBegin(GL_QUADS);
  glVertex3f(-2.0f, -2.5f, 0.0f);
  glVertex3f(right, -2.5f, 0.0f);
  glVertex3f(right, -2.2f, 0.0f);
  glVertex3f(-2.0f, -2.2f, 0.0f);
  glEnd();
  glColor3f(1.0f, 1.0f, 1.0f);
  glEnable(GL_TEXTURE_2D);
  glEnable(GL_LIGHTING);
}

}  // namespace vorn
