#pragma once

#include "os/FileSystem.h"

#include <string>
#include <string_view>

namespace komiwojazer {

// Writes contents into the file at path as a plain open for writing would allow it: the system
// decides, by its own rules, whether this user may write there and where a symbolic link leads,
// and the file keeps its owner, group, permissions, extended attributes, inode flags and every hard
// link. How it is written is decided before anything is written:
// - a new name gets a new file, written whole before it takes the name;
// - a file that can be replaced without losing any of the above (one link, in a directory that
//   allows it, not mounted over, and a new file beside it can carry everything it carries) is
//   written beside it and renamed over it, so that a reader sees the old file or the whole new one;
// - any other file is rewritten in place, with the space for the new contents secured first and
//   the old contents put back if the write fails.
// True when the file holds exactly contents. False when it holds exactly what it held before: the
// name holds anything but a regular file (a directory, a pipe, a device, which is never opened),
// the system refuses, a file-size limit is lower than contents, or a write, sync or rename fails.
// No temporary file outlives the call, and no signal but SIGKILL can stop it half way.
bool replaceFile(const std::string& path, std::string_view contents,
                 FileSystem& files = FileSystem::standard());

} // namespace komiwojazer
