// The data root: the folder that holds data/, made the working directory so
// every relative path ("data/...", "err.txt", "score.txt") resolves there.
// Units: none (paths). Cost: one readlink and up to three stat calls at start-up.
#pragma once

#include <string>

namespace vorn {

// The folder of the running executable (from /proc/self/exe), or "" if unknown.
std::string executableDirectory();

// Chooses the data root: `requested` when given (it need not hold data/ yet);
// else the first of the executable's folder, its parent and the current
// directory that holds a data/ folder; else the executable's folder.
std::string findDataRoot(const std::string& requested, const std::string& exeDir,
                         const std::string& currentDir);

bool isDirectory(const std::string& path);

}  // namespace vorn
