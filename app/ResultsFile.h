#pragma once

#include <string>
#include <string_view>

namespace komiwojazer {

// Replaces the file at path by one that holds contents, as a whole: the contents go to a new file
// beside it, which is then renamed over it, so that a reader (or a second writer) sees either the
// old file or the whole new one, never a mix. A symbolic link is followed, and the file it points
// to is the one replaced. False, with nothing changed, when the name holds anything but a regular
// file (a directory, a pipe, a device) or the file cannot be written; nothing here ever blocks.
bool replaceFile(const std::string& path, std::string_view contents);

} // namespace komiwojazer
