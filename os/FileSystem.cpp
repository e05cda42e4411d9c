#include "os/FileSystem.h"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#endif

namespace komiwojazer {

FileSystem& FileSystem::standard() {
    static FileSystem system;
    return system;
}

int FileSystem::fault(const char* /*call*/) {
    return 0;
}

template <typename Call> auto FileSystem::guarded(const char* name, Call call) -> decltype(call()) {
    if (const int error = fault(name)) {
        errno = error;
        return -1;
    }
    return call();
}

namespace {

// What a system without the call answers.
int unsupported() {
    errno = ENOTSUP;
    return -1;
}

} // namespace

int FileSystem::openat(int directory, const char* name, int flags, mode_t mode) {
    return guarded("openat", [&] { return ::openat(directory, name, flags, mode); });
}

int FileSystem::openUnnamed(int directory, mode_t mode) {
#ifdef O_TMPFILE
    return guarded("openUnnamed", [&] {
        return ::openat(directory, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    });
#else
    return guarded("openUnnamed", [&] { return unsupported(); });
#endif
}

int FileSystem::makeTemporary(std::string& pathTemplate) {
    return guarded("makeTemporary", [&] { return ::mkostemp(pathTemplate.data(), O_CLOEXEC); });
}

int FileSystem::close(int fd) {
    return guarded("close", [&] { return ::close(fd); });
}

ssize_t FileSystem::read(int fd, void* buffer, std::size_t size) {
    return guarded("read", [&] { return ::read(fd, buffer, size); });
}

ssize_t FileSystem::pread(int fd, void* buffer, std::size_t size, off_t offset) {
    return guarded("pread", [&] { return ::pread(fd, buffer, size, offset); });
}

ssize_t FileSystem::pwrite(int fd, const void* data, std::size_t size, off_t offset) {
    return guarded("pwrite", [&] { return ::pwrite(fd, data, size, offset); });
}

int FileSystem::fstat(int fd, struct stat& info) {
    return guarded("fstat", [&] { return ::fstat(fd, &info); });
}

int FileSystem::fstatat(int directory, const char* name, struct stat& info, int flags) {
    return guarded("fstatat", [&] { return ::fstatat(directory, name, &info, flags); });
}

int FileSystem::mountOf(int fd, std::uint64_t& mount) {
#if defined(__linux__) && defined(STATX_MNT_ID)
    return guarded("mountOf", [&] {
        struct statx info {};
        if (::statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &info) != 0) {
            return -1;
        }
        if ((info.stx_mask & STATX_MNT_ID) == 0) {
            return unsupported();
        }
        mount = info.stx_mnt_id;
        return 0;
    });
#else
    static_cast<void>(fd);
    static_cast<void>(mount);
    return guarded("mountOf", [&] { return unsupported(); });
#endif
}

int FileSystem::fsync(int fd) {
    return guarded("fsync", [&] { return ::fsync(fd); });
}

int FileSystem::ftruncate(int fd, off_t size) {
    return guarded("ftruncate", [&] { return ::ftruncate(fd, size); });
}

int FileSystem::reserve(int fd, off_t size) {
#ifdef __linux__
    return guarded("reserve", [&] { return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size); });
#else
    static_cast<void>(fd);
    static_cast<void>(size);
    return guarded("reserve", [&] { return unsupported(); });
#endif
}

int FileSystem::fchown(int fd, uid_t owner, gid_t group) {
    return guarded("fchown", [&] { return ::fchown(fd, owner, group); });
}

int FileSystem::fchmod(int fd, mode_t mode) {
    return guarded("fchmod", [&] { return ::fchmod(fd, mode); });
}

#ifdef __linux__
ssize_t FileSystem::flistxattr(int fd, char* names, std::size_t size) {
    return guarded("flistxattr", [&] { return ::flistxattr(fd, names, size); });
}

ssize_t FileSystem::fgetxattr(int fd, const char* name, void* value, std::size_t size) {
    return guarded("fgetxattr", [&] { return ::fgetxattr(fd, name, value, size); });
}

int FileSystem::fsetxattr(int fd, const char* name, const void* value, std::size_t size) {
    return guarded("fsetxattr", [&] { return ::fsetxattr(fd, name, value, size, 0); });
}

int FileSystem::fremovexattr(int fd, const char* name) {
    return guarded("fremovexattr", [&] { return ::fremovexattr(fd, name); });
}

const int FileSystem::userFlags = FS_FL_USER_MODIFIABLE;
const int FileSystem::appendOnlyFlag = FS_APPEND_FL;

namespace {

// The kernel reads and writes an int, though the commands' numbers name a long; the int stands
// first in a zeroed long's room, so that checkers going by the number see only defined bytes.
using FlagsRoom = std::array<int, sizeof(long) / sizeof(int) + 1>;

} // namespace

int FileSystem::getFlags(int fd, int& flags) {
    return guarded("getFlags", [&] {
        FlagsRoom all{};
        const int result = ::ioctl(fd, FS_IOC_GETFLAGS, all.data());
        flags = all[0] & userFlags;
        return result;
    });
}

int FileSystem::setFlags(int fd, int flags) {
    return guarded("setFlags", [&] {
        FlagsRoom all{};
        if (::ioctl(fd, FS_IOC_GETFLAGS, all.data()) != 0) {
            return -1;
        }
        all[0] = (all[0] & ~userFlags) | (flags & userFlags);
        return ::ioctl(fd, FS_IOC_SETFLAGS, all.data());
    });
}
#else
// Systems without these calls keep no attributes or flags that a new file could lose.
ssize_t FileSystem::flistxattr(int, char*, std::size_t) {
    return 0;
}

ssize_t FileSystem::fgetxattr(int, const char*, void*, std::size_t) {
    return unsupported();
}

int FileSystem::fsetxattr(int, const char*, const void*, std::size_t) {
    return unsupported();
}

int FileSystem::fremovexattr(int, const char*) {
    return unsupported();
}

const int FileSystem::userFlags = 0;
const int FileSystem::appendOnlyFlag = 0;

int FileSystem::getFlags(int, int& flags) {
    flags = 0;
    return 0;
}

int FileSystem::setFlags(int, int) {
    return unsupported();
}
#endif

int FileSystem::linkUnnamed(int fd, int directory, const char* name) {
    return guarded("linkUnnamed", [&] {
#ifdef __linux__
        // Linking the descriptor itself takes a capability that ordinary users lack (older
        // kernels then answer ENOENT); the same file reached through /proc does not. Any other
        // answer, such as a name already taken, is the answer.
        if (const int linked = ::linkat(fd, "", directory, name, AT_EMPTY_PATH);
            linked == 0 || errno != ENOENT) {
            return linked;
        }
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        return ::linkat(AT_FDCWD, self.c_str(), directory, name, AT_SYMLINK_FOLLOW);
#else
        static_cast<void>(fd);
        static_cast<void>(directory);
        static_cast<void>(name);
        return unsupported();
#endif
    });
}

int FileSystem::renameat(int fromDirectory, const char* from, int toDirectory, const char* to) {
    return guarded("renameat", [&] { return ::renameat(fromDirectory, from, toDirectory, to); });
}

int FileSystem::pathOf(int fd, std::string& path) {
    return guarded("pathOf", [&] {
        std::string link(4096, '\0');
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        const ssize_t size = ::readlink(self.c_str(), link.data(), link.size());
        if (size < 0 || static_cast<std::size_t>(size) == link.size()) {
            errno = size < 0 ? errno : ENAMETOOLONG;
            return -1;
        }
        link.resize(static_cast<std::size_t>(size));
        path = std::move(link);
        return 0;
    });
}

int FileSystem::unlinkat(int directory, const char* name) {
    return guarded("unlinkat", [&] { return ::unlinkat(directory, name, 0); });
}

} // namespace komiwojazer
