#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace komiwojazer {

// Every system call through which the program reads and writes files. The user's one lasting
// output, the results file, goes through this thin layer alone, so that a test can make any of its
// calls fail, or stop the program right after one, and check that nothing was lost. Each call
// keeps the system's own convention: -1 (or false) with errno set on failure. What a system does
// not offer fails with ENOTSUP.
class FileSystem {
public:
    // The system's own calls, which never fail of themselves.
    [[nodiscard]] static FileSystem& standard();

    virtual ~FileSystem() = default;
    FileSystem() = default;
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;

    int openat(int directory, const char* name, int flags, mode_t mode = 0);
    // A regular file in directory without a name, which vanishes with its last descriptor unless
    // linkUnnamed gives it one (O_TMPFILE).
    int openUnnamed(int directory, mode_t mode);
    // A new file whose name is pathTemplate with its trailing XXXXXX replaced (mkostemp).
    int makeTemporary(std::string& pathTemplate);
    int close(int fd);
    ssize_t read(int fd, void* buffer, std::size_t size);
    ssize_t pread(int fd, void* buffer, std::size_t size, off_t offset);
    ssize_t pwrite(int fd, const void* data, std::size_t size, off_t offset);
    int fstat(int fd, struct stat& info);
    int fstatat(int directory, const char* name, struct stat& info, int flags);
    // The mount that fd lies on (statx's mount id).
    int mountOf(int fd, std::uint64_t& mount);
    int fsync(int fd);
    int ftruncate(int fd, off_t size);
    // Allocates the blocks for the first size bytes without changing the file's size or contents
    // (fallocate with FALLOC_FL_KEEP_SIZE), so that writing them cannot run out of space.
    int reserve(int fd, off_t size);
    int fchown(int fd, uid_t owner, gid_t group);
    int fchmod(int fd, mode_t mode);
    // Extended attributes, access control lists among them.
    ssize_t flistxattr(int fd, char* names, std::size_t size);
    ssize_t fgetxattr(int fd, const char* name, void* value, std::size_t size);
    int fsetxattr(int fd, const char* name, const void* value, std::size_t size);
    int fremovexattr(int fd, const char* name);
    // The inode flags that chattr sets and a user may change (FS_IOC_GETFLAGS): those of
    // userFlags, the rest masked out. setFlags changes those and keeps the others.
    int getFlags(int fd, int& flags);
    int setFlags(int fd, int flags);
    static const int userFlags;      // the flags that getFlags reports, 0 where there are none
    static const int appendOnlyFlag; // chattr +a: entries may be added, never removed or replaced
    // Gives the unnamed file fd the name in directory; fails if the name is taken.
    int linkUnnamed(int fd, int directory, const char* name);
    int renameat(int fromDirectory, const char* from, int toDirectory, const char* to);
    // The path by which the open file fd was reached, as the system resolved it (readlink of
    // /proc/self/fd).
    int pathOf(int fd, std::string& path);
    int unlinkat(int directory, const char* name);

protected:
    // Asked before every call with the call's name: an errno returned here makes the call fail
    // with it, without reaching the system. The system's own layer answers 0 to every call.
    virtual int fault(const char* call);

private:
    // Runs call unless fault() fails it.
    template <typename Call> auto guarded(const char* name, Call call) -> decltype(call());
};

} // namespace komiwojazer
