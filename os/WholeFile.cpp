#include "os/WholeFile.h"

#include <cerrno>
#include <new>

namespace komiwojazer {

bool unsupported(int error) {
    return error == ENOTSUP || error == EOPNOTSUPP || error == EISDIR || error == EINVAL ||
           error == ENOTTY;
}

bool writeAll(FileSystem& files, int fd, std::string_view contents) {
    std::size_t done = 0;
    while (done < contents.size()) {
        const ssize_t written = files.pwrite(fd, contents.data() + done, contents.size() - done,
                                             static_cast<off_t>(done));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

std::optional<std::string> readAll(FileSystem& files, int fd, off_t size) {
    std::string contents;
    try {
        contents.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return std::nullopt;
    }
    std::size_t done = 0;
    while (done < contents.size()) {
        const ssize_t got = files.pread(fd, contents.data() + done, contents.size() - done,
                                        static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            errno = got == 0 ? EIO : errno;
            return std::nullopt;
        }
        done += static_cast<std::size_t>(got);
    }
    return contents;
}

} // namespace komiwojazer
