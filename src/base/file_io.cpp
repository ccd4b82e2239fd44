#include "base/file_io.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/error_log.h"

namespace vorn {

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, size_t limit) {
  bytes.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t buffer[65536];
  bool ok = true;
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
    if (bytes.size() + n > limit) {
      ok = false;
      break;
    }
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  std::fclose(f);
  return ok;
}

bool replaceFileAtomically(const std::string& path, const std::string& contents, const char* where,
                           const VornWriteFn& write) {
  const std::string temp = path + ".tmp";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) {
    logError(where, "\tcannot write %s: %s\n", temp.c_str(), std::strerror(errno));
    return false;
  }
  const size_t written = write ? write(f, contents.data(), contents.size())
                               : std::fwrite(contents.data(), 1, contents.size(), f);
  bool ok = written == contents.size();
  ok = std::fflush(f) == 0 && ok;
  ok = ::fsync(::fileno(f)) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (!ok) {
    logError(where, "\twriting %s failed, the previous file is kept\n", temp.c_str());
    std::remove(temp.c_str());
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    logError(where, "\tcannot replace %s: %s\n", path.c_str(), std::strerror(errno));
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace vorn
