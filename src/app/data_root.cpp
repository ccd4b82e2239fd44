#include "app/data_root.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vorn {
namespace {

// The folders of data/ that the game writes into: the light-map cache goes
// beside the height map, recorded runs and the kept ghost into saves/.
constexpr const char* kWrittenDataFolders[] = {"maps", "saves"};
constexpr mode_t kPlayerFolderMode = 0700;
constexpr mode_t kAnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;

bool isWrittenFolder(const std::string& name) {
  return std::any_of(std::begin(kWrittenDataFolders), std::end(kWrittenDataFolders),
                     [&](const char* folder) { return name == folder; });
}

bool sameFolder(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && S_ISDIR(sa.st_mode) && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

std::string canonical(const std::string& path) {
  char buffer[PATH_MAX];
  return realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

bool isLink(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

std::string linkTarget(const std::string& path) {
  char buffer[PATH_MAX];
  const ssize_t n = readlink(path.c_str(), buffer, sizeof buffer);
  return n > 0 && static_cast<size_t>(n) < sizeof buffer ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

// Names in a folder without "." and "..", sorted so a refresh always runs in
// the same order; empty when the folder cannot be read.
std::vector<std::string> folderEntries(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = opendir(path.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::string describe(const char* what, const std::string& path) {
  return std::string(what) + " " + path + ": " + std::strerror(errno);
}

// Makes `target` a mirror of `source`: links to every entry of `source`
// (real folders of links for the names in `realFolders`). Links are the
// game's own, so any link that is not the one expected goes first; anything
// else in `target` belongs to the player and stays.
bool mirrorFolder(const std::string& source, const std::string& target, bool realFolders, std::string& error) {
  if (isLink(target) && unlink(target.c_str()) != 0) {
    error = describe("cannot remove the link", target);
    return false;
  }
  if (!makeFolders(target)) {
    error = describe("cannot create", target);
    return false;
  }
  const std::vector<std::string> shipped = folderEntries(source);
  const auto mirroredAsFolder = [&](const std::string& name) {
    return realFolders && isWrittenFolder(name) && isDirectory(source + "/" + name);
  };
  for (const std::string& name : folderEntries(target)) {
    const std::string path = target + "/" + name;
    if (!isLink(path)) continue;
    const bool expected = std::binary_search(shipped.begin(), shipped.end(), name) && !mirroredAsFolder(name) &&
                          linkTarget(path) == source + "/" + name;
    if (!expected && unlink(path.c_str()) != 0) {
      error = describe("cannot remove the stale link", path);
      return false;
    }
  }
  for (const std::string& name : shipped) {
    const std::string from = source + "/" + name, to = target + "/" + name;
    if (mirroredAsFolder(name)) {
      if (!mirrorFolder(from, to, false, error)) return false;
    } else if (!exists(to) && symlink(from.c_str(), to.c_str()) != 0) {
      error = describe("cannot link", to);
      return false;
    }
  }
  return true;
}

}  // namespace

bool isDirectory(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string executableDirectory() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return std::string();
  std::string path(buffer, static_cast<size_t>(n));
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

std::string findDataRoot(const std::string& requested, const std::string& exeDir,
                         const std::string& currentDir) {
  if (!requested.empty()) return requested;
  const std::string parent = exeDir.empty() ? std::string() : exeDir + "/..";
  const std::string installed = exeDir.empty() ? std::string() : exeDir + kInstalledDataRoot;
  // An installed game's own data comes before whatever folder it was started in.
  for (const std::string& candidate : {exeDir, parent, installed, currentDir}) {
    if (!candidate.empty() && isDirectory(candidate + "/data")) return candidate;
  }
  return exeDir.empty() ? currentDir : exeDir;
}

bool isWritableFolder(const std::string& path) {
  struct stat st;
  if (!isDirectory(path) || stat(path.c_str(), &st) != 0 || access(path.c_str(), W_OK) != 0) return false;
  return geteuid() != 0 || (st.st_mode & kAnyWriteBit) != 0;
}

bool needsPlayerFolder(const std::string& root, const std::string& exeDir) {
  const std::string data = root + "/data";
  if (!isWritableFolder(root) || (isDirectory(data) && !isWritableFolder(data))) return true;
  return !exeDir.empty() && sameFolder(root, exeDir + kInstalledDataRoot);
}

std::string playerFolderPath(const char* xdgDataHome, const std::string& home) {
  // A relative XDG_DATA_HOME is invalid and is ignored, as the base
  // directory rules ask.
  if (xdgDataHome && xdgDataHome[0] == '/') return std::string(xdgDataHome) + "/vorn";
  return home.empty() ? std::string() : home + "/.local/share/vorn";
}

bool makeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    const std::string partial = path.substr(0, slash);
    if (mkdir(partial.c_str(), kPlayerFolderMode) != 0 && errno != EEXIST) return false;
  }
  if (!path.empty() && mkdir(path.c_str(), kPlayerFolderMode) != 0 && errno != EEXIST) return false;
  return isDirectory(path);
}

std::string prepareWorkingFolder(const std::string& root, bool rootWritable, const std::string& playerFolder,
                                 std::string& error) {
  if (rootWritable) return root;
  if (playerFolder.empty()) {
    error = "no folder for the player's files (neither XDG_DATA_HOME nor HOME is set)";
    return std::string();
  }
  const std::string source = canonical(root);
  if (source.empty()) {
    error = describe("cannot resolve the data folder", root);
    return std::string();
  }
  if (!makeFolders(playerFolder)) {
    error = describe("cannot create", playerFolder);
    return std::string();
  }
  // Installed with the player's own data folder as prefix: the install is
  // already the player's folder, and linking it into itself would loop.
  if (canonical(playerFolder) == source) return root;
  if (!mirrorFolder(source + "/data", playerFolder + "/data", true, error)) return std::string();
  return playerFolder;
}

}  // namespace vorn
