// Generator kinds of the terrain: "terrain" writes the course's height map
// and material map, "lightmap" precomputes the light-map cache of the
// shipped course with the game's own code, "objects" writes its object map,
// placement image and beer list, "course_map" writes a top-down picture of
// the course with its objects (for the docs; not part of the build's data).
#pragma once

#include <string>

namespace assetgen {

int generateTerrain(const std::string& root);
int generateLightMap(const std::string& root);
int generateCourseObjects(const std::string& root);
int generateCourseMap(const std::string& root);

}  // namespace assetgen
