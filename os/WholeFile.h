#pragma once

#include "os/FileSystem.h"

#include <optional>
#include <string>
#include <string_view>

namespace komiwojazer {

// Whether error says that the system or the file system lacks a call or one of its options.
[[nodiscard]] bool unsupported(int error);

// Writes all of contents from the start of fd, resuming writes that a signal or the system cut
// short; false when a write fails.
[[nodiscard]] bool writeAll(FileSystem& files, int fd, std::string_view contents);

// The whole contents of fd, which is size bytes long; nothing when they cannot be read (EBADF for
// a file open only for writing) or held (ENOMEM).
[[nodiscard]] std::optional<std::string> readAll(FileSystem& files, int fd, off_t size);

} // namespace komiwojazer
