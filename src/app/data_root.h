// The data root (the folder that holds data/) and the working folder: the
// data root itself when it can be written, else the player's folder, whose
// data/ links to the root's, so every relative path ("data/...", "err.txt",
// "score.txt") resolves there either way. Units: none (paths). Cost: a
// readlink and a few stat calls at start-up; a link refresh is one lstat
// per shipped file (a few dozen) and no copying.
#pragma once

#include <string>

namespace vorn {

// The folder of the running executable (from /proc/self/exe), or "" if unknown.
std::string executableDirectory();

// Where an installed game keeps its data, relative to the executable's folder
// (prefix/bin/vorn reads prefix/share/vorn/data).
constexpr const char* kInstalledDataRoot = "/../share/vorn";

// Chooses the data root: `requested` when given (it need not hold data/ yet);
// else the first of the executable's folder, its parent, the current
// directory and the installed share/vorn beside the executable's folder that
// holds a data/ folder; else the executable's folder.
std::string findDataRoot(const std::string& requested, const std::string& exeDir,
                         const std::string& currentDir);

bool isDirectory(const std::string& path);

// True when this process may create files in the folder. access() alone says
// yes to root everywhere but on read-only mounts, so for root a folder whose
// mode has no write bit at all counts as read-only too (that is how a package
// or a `chmod -R a-w` marks a tree that must stay as shipped).
bool isWritableFolder(const std::string& path);

// True when the game must keep its files in the player's folder: the data
// root or its data/ cannot be written, or the root is the installed
// share/vorn beside `exeDir` (shared by every player, so never written, even
// by a user who could).
bool needsPlayerFolder(const std::string& root, const std::string& exeDir);

// The player's folder: $XDG_DATA_HOME/vorn when that is set to an absolute
// path, else `home`/.local/share/vorn; "" when neither is known.
std::string playerFolderPath(const char* xdgDataHome, const std::string& home);

// Creates a folder and its missing parents (mode 0700, as for the player's
// base folders); true when it is a folder afterwards.
bool makeFolders(const std::string& path);

// The folder to work in. With `rootWritable` that is `root`, untouched.
// Otherwise `playerFolder` is created and its data/ made to mirror the
// root's: every entry of root/data is a symbolic link, except maps/ and
// saves/, which are real folders of links to the shipped files (so the game
// can add its light-map cache and replace the shipped ghost there). Run at
// every start: missing links are added, links that point anywhere else
// (an older or moved install) or at nothing are replaced or removed, and
// files that are not links (what the player's runs wrote) are never touched.
// Returns "" and sets `error` when the player's folder cannot be prepared.
std::string prepareWorkingFolder(const std::string& root, bool rootWritable, const std::string& playerFolder,
                                 std::string& error);

}  // namespace vorn
