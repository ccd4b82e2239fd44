// vorn_assetgen <kind> <root>: writes one kind of game data below <root>/data
// (the desktop icon, which the game never reads, below <root>/icons).
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "assetgen/font.h"
#include "assetgen/generator.h"
#include "assetgen/ghost_run.h"
#include "assetgen/hud.h"
#include "assetgen/icon.h"
#include "assetgen/models.h"
#include "assetgen/music.h"
#include "assetgen/sounds.h"
#include "assetgen/terrain.h"
#include "assetgen/textures.h"

namespace assetgen {

bool makeDirs(const std::string& path) {
  std::string partial;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      if (!partial.empty() && mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "assetgen: cannot create %s: %s\n", partial.c_str(), std::strerror(errno));
        return false;
      }
    }
    if (i < path.size()) partial += path[i];
  }
  return true;
}

bool writeFile(const std::string& path, const void* data, size_t size) {
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos && !makeDirs(path.substr(0, slash))) return false;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "assetgen: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

namespace {

int generateFolders(const std::string& root) {
  for (const char* dir : {"data/maps", "data/models", "data/textures/sky3", "data/sounds",
                          "data/music", "data/saves"}) {
    if (!makeDirs(root + "/" + dir)) return 1;
  }
  return 0;
}

const std::map<std::string, GeneratorFn>& generators() {
  static const std::map<std::string, GeneratorFn> table = {
      {"folders", generateFolders},
      {"font", generateFont},
      {"hud", generateHud},
      {"icon", generateIcon},
      {"models", generateModels},
      {"models_sheet", generateModelSheet},
      {"sounds", generateSounds},
      {"music", generateMusic},
      {"textures", generateTextures},
      {"terrain", generateTerrain},
      {"lightmap", generateLightMap},
      {"objects", generateCourseObjects},
      {"ghost", generateGhost},
      {"course_map", generateCourseMap},
  };
  return table;
}

}  // namespace
}  // namespace assetgen

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vorn_assetgen <kind> <root>\n");
    return 2;
  }
  const auto& table = assetgen::generators();
  const auto it = table.find(argv[1]);
  if (it == table.end()) {
    std::fprintf(stderr, "vorn_assetgen: unknown kind %s\n", argv[1]);
    return 2;
  }
  return it->second(argv[2]);
}
