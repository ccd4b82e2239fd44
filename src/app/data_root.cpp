#include "app/data_root.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace vorn {

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
  for (const std::string& candidate : {exeDir, parent, currentDir}) {
    if (!candidate.empty() && isDirectory(candidate + "/data")) return candidate;
  }
  return exeDir.empty() ? currentDir : exeDir;
}

}  // namespace vorn
