#pragma once

#include <string>
#include <string_view>

namespace komiwojazer {

// Writes contents into the file at path as a plain open for writing would: the system decides, by
// its own rules, whether this user may write there and where a symbolic link leads, and the file
// keeps its owner, group, permissions and every hard link. Where it can be done without changing
// any of that (the name is the file itself, with one link, in a directory this user may write, and
// the new file can take the old one's owner and mode), the new contents are written beside the file
// and renamed over it, so that a reader sees either the old file or the whole new one; elsewhere
// the file is rewritten in place. A new file is made whole the same way, with the permissions that
// the umask leaves. False, with nothing changed, when the name holds anything but a regular file
// (a directory, a pipe, a device) or the system refuses the write; nothing here ever blocks, and no
// signal can stop it half way or leave a temporary file behind.
bool replaceFile(const std::string& path, std::string_view contents);

} // namespace komiwojazer
