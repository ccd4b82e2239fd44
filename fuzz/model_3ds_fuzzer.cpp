// Feeds arbitrary bytes through the whole CPU side of a 3DS model load
// (parse, checks, materials, node linking, welding, normals, layout): it must
// never read outside the input, and what it builds must be self-consistent.
#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/model_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vorn::VornModelTables tables;
  const vorn::VornTextureLookup lookup = [](const std::string& path) { return static_cast<int>(path.size() % 3); };
  vorn::VornLoadedModel model = vorn::buildModelFromBytes(data, size, "fuzz.3DS", lookup, tables);
  // Checked by hand: the fuzz build compiles asserts away.
  const vorn::VornModelLayout& layout = model.layout;
  if (layout.vertexData.size() != layout.faceCount * 9ull) __builtin_trap();
  if (layout.texCoordData.size() != layout.texturedFaceCount * 6ull) __builtin_trap();
  for (const auto& part : model.parts) {
    for (size_t f = 0; f < part->faceCount(); ++f) {
      for (int c = 0; c < 3; ++c) {
        if (part->faces[f * 4 + c] >= part->vertexCount()) __builtin_trap();
      }
    }
    for (const vorn::VornMaterialGroup& g : part->groups) {
      if (g.start < 0 || static_cast<uint64_t>(g.start) + g.size() > layout.faceCount) __builtin_trap();
      for (uint16_t f : g.faces) {
        if (f >= part->faceCount()) __builtin_trap();
      }
    }
  }
  for (const auto& node : model.nodes) {
    for (float frame : {0.0f, 7.5f, 1e9f}) {
      vorn::VornMatrix m;
      node->evaluate(frame, m);
    }
  }
  return 0;
}
