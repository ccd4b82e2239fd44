// Whole-file reads with a size limit and all-or-nothing file replacement.
// Units: bytes. Cost: one open a call; a replacement writes, flushes and
// syncs a temporary file beside the target, then renames it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace vorn {

// Reads a whole file; false when it cannot be opened or exceeds `limit`.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, size_t limit);

// Writes `size` bytes to `file`; returns the count written. Tests substitute
// a writer that fails part-way to check that a failed save keeps the file.
using VornWriteFn = std::function<size_t(std::FILE* file, const char* data, size_t size)>;

// Replaces `path` with `contents` through a temporary file beside it, which
// is renamed over the old file only after it was written completely; on any
// failure the temporary file is removed, the old file stays as it was and
// err.txt gets one report under `where`.
bool replaceFileAtomically(const std::string& path, const std::string& contents, const char* where,
                           const VornWriteFn& write = {});

}  // namespace vorn
