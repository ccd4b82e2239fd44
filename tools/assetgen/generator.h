// The data generator's registry: one function per kind of data, each writing
// its files below <root>/data. Generators are deterministic: the same build
// writes the same bytes (fixed seeds, no clock, no environment).
#pragma once

#include <string>

namespace assetgen {

// Returns 0 on success; prints a line to stderr and returns non-zero on failure.
using GeneratorFn = int (*)(const std::string& root);

// Creates a directory and its parents; true when it exists afterwards.
bool makeDirs(const std::string& path);

// Writes bytes to a file, replacing it; false (with a stderr line) on failure.
bool writeFile(const std::string& path, const void* data, size_t size);

}  // namespace assetgen
