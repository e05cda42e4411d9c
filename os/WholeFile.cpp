#include "os/WholeFile.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <utility>

namespace komiwojazer {
namespace {

// Moves size bytes at the start of a file with move(done), which moves what is left from offset
// done on and says how much it moved; resumes what a signal or the system cut short, and stops
// with false at an error or where the file ends first (EIO).
template <typename Move> bool moveAll(std::size_t size, Move move) {
    for (std::size_t done = 0; done < size;) {
        const ssize_t moved = move(done);
        if (moved == 0) {
            errno = EIO;
        }
        if (moved <= 0 && errno != EINTR) {
            return false;
        }
        done += static_cast<std::size_t>(std::max<ssize_t>(moved, 0));
    }
    return true;
}

} // namespace

bool unsupported(int error) {
    return error == ENOTSUP || error == EOPNOTSUPP || error == EISDIR || error == EINVAL ||
           error == ENOTTY;
}

bool writeAll(FileSystem& files, int fd, std::string_view contents) {
    return moveAll(contents.size(), [&](std::size_t done) {
        return files.pwrite(fd, contents.data() + done, contents.size() - done,
                            static_cast<off_t>(done));
    });
}

std::optional<std::string> readAll(FileSystem& files, int fd, off_t size) {
    std::string contents;
    try {
        contents.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return std::nullopt;
    }
    const bool read = moveAll(contents.size(), [&](std::size_t done) {
        return files.pread(fd, contents.data() + done, contents.size() - done,
                           static_cast<off_t>(done));
    });
    return read ? std::optional<std::string>(std::move(contents)) : std::nullopt;
}

} // namespace komiwojazer
