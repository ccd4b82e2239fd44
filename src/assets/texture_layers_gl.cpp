#include "assets/texture_layers_gl.h"

#include <GL/glew.h>

#include <cassert>
#include <memory>
#include <vector>

#include "assets/image_files.h"
#include "assets/material_gl.h"
#include "base/error_log.h"
#include "base/file_io.h"

namespace vorn {
namespace {

struct LayerRegistry {
  VornTextureCache* cache = nullptr;
  std::vector<std::unique_ptr<VornTextureAnimation>> animations;
};

LayerRegistry& registry() {
  static LayerRegistry r;
  return r;
}

VornTexture* textureAt(int index) {
  VornTextureCache* cache = registry().cache;
  if (!cache || index < 0 || static_cast<size_t>(index) >= cache->size()) return nullptr;
  return (*cache)[static_cast<size_t>(index)].get();
}

VornTextureAnimation* newAnimation() {
  registry().animations.push_back(std::make_unique<VornTextureAnimation>());
  return registry().animations.back().get();
}

// The cache keeps names in lower case, and a model's map names come in whatever case its
// exporter wrote; an entry of the same name in any case is the same texture. Only a name
// the cache does not know is loaded, from the file as it is written.
int findOrLoadLayerTexture(const std::string& fileName, VornTextureCache& cache) {
  const std::string key = textureCacheName(fileName);
  for (size_t i = 0; i < cache.size(); ++i) {
    if (cache[i] && cache[i]->name && *cache[i]->name == key) return static_cast<int>(i);
  }
  return findOrLoadTexture(fileName, cache);
}

bool readLayerFile(const char* where, const std::string& fileName, std::vector<uint8_t>& bytes) {
  if (readWholeFile(fileName, bytes, kMaxLayerFileBytes)) return true;
  if (bytes.empty()) {
    logError(where, "\tfile not found: %s\n", fileName.c_str());
  } else {
    logError(where, "\tfile larger than %zu bytes: %s\n", kMaxLayerFileBytes, fileName.c_str());
  }
  return false;
}

// Reads and parses a layer file into `parsed`, reporting the lines it
// skipped; false when the file is missing or too large (reported too).
template <typename Parsed, typename Parse>
bool loadLayerFile(const char* where, const std::string& fileName, Parse parse, VornTextureCache*& cache,
                   Parsed& parsed) {
  cache = registry().cache;
  assert(cache && "installTextureLayers must run before the layer files load");
  std::vector<uint8_t> bytes;
  if (!cache || !readLayerFile(where, fileName, bytes)) return false;
  parsed = parse(bytes.data(), bytes.size());
  if (parsed.skipped.count > 0) appendErrorLog("Error " + std::string(where) + " \n", describeSkips(parsed.skipped, fileName));
  return true;
}

unsigned flipBookFrame(VornTextureAnimation* animation) { return animation ? currentFrameId(*animation) : 0; }

bool texturesSteps(VornTexture& texture) {
  if (!texture.animation || !texture.animation->hasSteps) return false;
  applySteps(*texture.animation);
  return true;
}

}  // namespace

void installTextureLayers(VornTextureCache& cache) {
  registry().cache = &cache;
  VornTexture::flipBookFrame = flipBookFrame;
  setTextureStepsHook(texturesSteps);
}

VornTextureAnimation* loadFlipBook(const std::string& fileName) {
  constexpr const char* kWhere = "VornTextureAnimation::loadFlipBook";
  VornTextureCache* cache = nullptr;
  VornFlipBookList list;
  if (!loadLayerFile(kWhere, fileName, parseFlipBookList, cache, list)) return nullptr;

  VornTextureAnimation* book = nullptr;
  for (const std::string& name : list.names) {
    const int index = findOrLoadLayerTexture(name, *cache);
    VornTexture* texture = textureAt(index);
    if (!texture || texture->id == 0) {
      // Binding such a frame would show the surface untextured for a while.
      logError(kWhere, "\tframe without a texture skipped: %s\n", name.c_str());
      continue;
    }
    if (!book) book = texture->animation ? texture->animation : newAnimation();
    if (!texture->animation) texture->animation = book;
    book->frames.push_back(index);
  }
  if (!book) logError(kWhere, "\tno frames in %s\n", fileName.c_str());
  return book;
}

VornTextureAnimation* loadTextureSteps(const std::string& fileName) {
  constexpr const char* kWhere = "VornTextureAnimation::loadTextureSteps";
  VornTextureCache* cache = nullptr;
  VornStepFile file;
  if (!loadLayerFile(kWhere, fileName, parseStepFile, cache, file)) return nullptr;
  if (file.textureName.empty()) {
    if (file.skipped.count == 0) logError(kWhere, "\tno texture named in %s\n", fileName.c_str());
    return nullptr;
  }
  const int index = findOrLoadLayerTexture(file.textureName, *cache);
  VornTexture* texture = textureAt(index);
  if (!texture) return nullptr;
  VornTextureAnimation* animation = texture->animation;
  if (!animation) {
    animation = newAnimation();
    texture->animation = animation;
    animation->frames.push_back(index);
  }
  animation->hasSteps = true;
  animation->translations.insert(animation->translations.end(), file.translations.begin(), file.translations.end());
  animation->rotations.insert(animation->rotations.end(), file.rotations.begin(), file.rotations.end());
  animation->scales.insert(animation->scales.end(), file.scales.begin(), file.scales.end());
  for (const VornStepClip& clip : file.clips) {
    animation->clipStart.push_back(clip.start);
    animation->clipLength.push_back(clip.length);
    animation->clipDuration.push_back(clip.duration);
  }
  return animation;
}

unsigned currentFrameId(VornTextureAnimation& animation) {
  const int slot = animation.advanceFrame();
  if (slot < 0) return 0;
  const VornTexture* texture = textureAt(animation.frames[static_cast<size_t>(slot)]);
  return texture ? texture->id : 0;
}

void applySteps(const VornTextureAnimation& animation) {
  glMatrixMode(GL_TEXTURE);
  for (const VornStepOp& op : animation.stepOps()) {
    switch (op.kind) {
      case VornStepOp::Translate: glTranslatef(op.a, op.b, op.c); break;
      case VornStepOp::Rotate: glRotatef(op.a, op.b, op.c, op.d); break;
      case VornStepOp::Scale: glScalef(op.a, op.b, op.c); break;
    }
  }
  glMatrixMode(GL_MODELVIEW);
}

}  // namespace vorn
