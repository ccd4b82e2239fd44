#include "world/sky.h"

#include <GL/glew.h>

namespace vorn {

namespace {

struct SkyCorner {
  float s, t;
  float x, y, z;
};

// The six faces in loading order; corners wound so that they face the
// inside of the cube (culling keeps them).
constexpr float H = VornSky::kHalfSize;
constexpr SkyCorner kFaces[VornSky::kFaceCount][4] = {
    {{1, 1, -H, H, -H}, {0, 1, H, H, -H}, {0, 0, H, H, H}, {1, 0, -H, H, H}},        // up, y = +10
    {{0, 0, H, -H, -H}, {1, 0, H, -H, H}, {1, 1, H, H, H}, {0, 1, H, H, -H}},        // lt, x = +10
    {{1, 0, -H, -H, H}, {1, 1, -H, H, H}, {0, 1, H, H, H}, {0, 0, H, -H, H}},        // ft, z = +10
    {{1, 0, -H, -H, -H}, {1, 1, -H, H, -H}, {0, 1, -H, H, H}, {0, 0, -H, -H, H}},    // rt, x = -10
    {{0, 0, -H, -H, -H}, {1, 0, H, -H, -H}, {1, 1, H, H, -H}, {0, 1, -H, H, -H}},    // bk, z = -10
    {{1, 0, -H, -H, -H}, {1, 1, -H, -H, H}, {0, 1, H, -H, H}, {0, 0, H, -H, -H}},    // dn, y = -10
};

constexpr const char* kFaceNames[VornSky::kFaceCount] = {"up.tga", "lt.tga", "ft.tga",
                                                         "rt.tga", "bk.tga", "dn.tga"};

}  // namespace

std::vector<std::string> VornSky::faceFiles(const std::string& folder) {
  std::vector<std::string> files;
  for (const char* name : kFaceNames) files.push_back(folder + name);
  return files;
}

VornSky::VornSky(const std::string& folder, VornTextureCache& textures) : textures_(textures) {
  VornTexture::setClampToEdge();
  for (const std::string& file : faceFiles(folder)) textureIndices_.push_back(findOrLoadTexture(file, textures_));
  VornTexture::setRepeat();
  compile();
}

VornSky::~VornSky() {
  textureIndices_.clear();
  if (displayList_ != 0) glDeleteLists(displayList_, 1);
}

void VornSky::compile() {
  displayList_ = glGenLists(1);
  if (displayList_ == 0) return;
  glNewList(displayList_, GL_COMPILE);
  glDisable(GL_LIGHTING);
  glDisable(GL_BLEND);
  glColor3f(1.0f, 1.0f, 1.0f);
  if (glActiveTexture) glActiveTexture(GL_TEXTURE0);
  if (glClientActiveTexture) glClientActiveTexture(GL_TEXTURE0);
  glEnable(GL_TEXTURE_2D);
  glDepthMask(GL_FALSE);
  for (int face = 0; face < kFaceCount; ++face) {
    const int index = textureIndices_[face];
    if (index >= 0 && static_cast<size_t>(index) < textures_.size() && textures_[index]) {
      textures_[index]->bind();
    } else {
      glBindTexture(GL_TEXTURE_2D, 0);
    }
    glBegin(GL_QUADS);
    for (const SkyCorner& c : kFaces[face]) {
      glTexCoord2f(c.s, c.t);
      glVertex3f(c.x, c.y, c.z);
    }
    glEnd();
  }
  glDepthMask(GL_TRUE);
  glEndList();
}

void VornSky::draw(const VornVector& position) const {
  glPushMatrix();
  glTranslatef(position.x, position.y, position.z);
  glRotatef(kTiltDeg, 1.0f, 0.0f, 0.0f);
  if (displayList_ != 0) glCallList(displayList_);
  glPopMatrix();
}

}  // namespace vorn
