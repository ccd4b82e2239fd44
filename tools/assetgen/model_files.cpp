// The "models" kind: writes the ten models, their side files and their
// textures below <root>/data.
#include <cstdio>

#include "assetgen/generator.h"
#include "assetgen/models.h"

namespace assetgen {

int generateModels(const std::string& root) {
  const std::string models = root + "/data/models/";
  const std::string textures = root + "/data/textures/";
  if (!makeDirs(models) || !makeDirs(textures)) return 1;
  for (const GeneratedTexture& t : buildModelTextures()) {
    const std::vector<uint8_t> bytes = writeBMP24(t.pixels);
    if (!writeFile(textures + t.fileName, bytes.data(), bytes.size())) return 1;
  }
  const std::string eyes = eyeFlipBookList();
  if (!writeFile(textures + kEyeFlipBookFile, eyes.data(), eyes.size())) return 1;
  for (const GeneratedModel& m : buildModels()) {
    const std::string problem = validateModel(m.model);
    if (!problem.empty()) {
      std::fprintf(stderr, "assetgen models: %s: %s\n", m.fileName.c_str(), problem.c_str());
      return 1;
    }
    const std::vector<uint8_t> bytes = writeTds(m.model);
    if (!writeFile(models + m.fileName, bytes.data(), bytes.size())) return 1;
    // Side files replace the last three characters of the model's name.
    const std::string stem = models + m.fileName.substr(0, m.fileName.size() - 3);
    if (!m.clips.empty() && !writeFile(stem + "ani", m.clips.data(), m.clips.size())) return 1;
    if (!m.overlays.empty() && !writeFile(stem + "mat", m.overlays.data(), m.overlays.size())) return 1;
  }
  return 0;
}

}  // namespace assetgen
