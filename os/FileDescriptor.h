#pragma once

#include "os/FileSystem.h"

#include <utility>

namespace komiwojazer {

// An open file descriptor, owned: closed, through the layer that opened it, when the object goes.
class FileDescriptor {
public:
    FileDescriptor() = default;
    // Takes fd, which may be -1 for an open that failed.
    FileDescriptor(FileSystem& files, int fd) : files(&files), fd(fd) {}
    FileDescriptor(FileDescriptor&& other) noexcept
        : files(other.files), fd(std::exchange(other.fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            static_cast<void>(close());
            files = other.files;
            fd = std::exchange(other.fd, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    // A close that fails here has nobody left to tell; callers that care close() first.
    ~FileDescriptor() { static_cast<void>(close()); }

    [[nodiscard]] bool isOpen() const { return fd >= 0; }
    [[nodiscard]] int get() const { return fd; }
    // Closes it now; false when the system reports that data did not make it.
    [[nodiscard]] bool close() { return fd < 0 || files->close(std::exchange(fd, -1)) == 0; }

private:
    FileSystem* files = nullptr; // the layer it was opened through
    int fd = -1;                 // -1 when closed or never open
};

} // namespace komiwojazer
