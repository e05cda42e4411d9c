#include "app/ResultsFile.h"

#include "app/NewFile.h"
#include "os/FileDescriptor.h"
#include "os/WholeFile.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>

namespace komiwojazer {
namespace {

// Another writer can replace the file between this one's look at the name and its open of the
// file; the write then starts again. Each new start needs one more such replacement within two
// system calls, so a handful is plenty: the bound only keeps a writer that races someone who
// replaces the file without pause from trying for ever.
constexpr int maxAttempts = 100;

// Holds back every signal that can be held while the file is written, so that none ends the
// program with a temporary file left over or the file half written; what came meanwhile is
// delivered afterwards.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t all;
        sigfillset(&all);
        sigprocmask(SIG_BLOCK, &all, &previous);
    }
    ~SignalsHeld() { sigprocmask(SIG_SETMASK, &previous, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous{}; // the mask in force before
};

// Rewrites the open file in place, as a plain open for writing would, but without losing its old
// contents: the space for the new ones is secured first, and if the write fails all the same (a
// disk error, a file system that cannot secure space), the old contents are put back. Only a file
// that this user may write but not read has no way back.
Written rewriteInPlace(FileSystem& files, int fd, const struct stat& old,
                       std::string_view contents) {
    const auto size = static_cast<off_t>(contents.size());
    if (size > 0 && files.reserve(fd, size) != 0 && !unsupported(errno)) {
        return Written::No;
    }
    const std::optional<std::string> kept = readAll(files, fd, old.st_size);
    if (!kept && errno != EBADF) {
        return Written::No;
    }
    if (writeAll(files, fd, contents) && (old.st_size <= size || files.ftruncate(fd, size) == 0)) {
        // Only the owner can give back a setuid bit that the write cleared, as with a plain open.
        static_cast<void>(keepMode(files, fd, old.st_mode));
        if (files.fsync(fd) == 0) {
            return Written::Yes;
        }
    }
    if (kept) {
        static_cast<void>(writeAll(files, fd, *kept) && files.ftruncate(fd, old.st_size) == 0 &&
                          files.fsync(fd) == 0);
    }
    return Written::No;
}

// Opens the file at the place for writing, and for reading too where this user may, so that its
// old contents can be put back if writing fails.
FileDescriptor openForWriting(FileSystem& files, const Place& place, int flags) {
    flags |= O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    FileDescriptor file(
        files, files.openat(place.directory.get(), place.name.c_str(), O_RDWR | flags, 0666));
    if (!file.isOpen() && errno == EACCES) {
        file = FileDescriptor(
            files, files.openat(place.directory.get(), place.name.c_str(), O_WRONLY | flags, 0666));
    }
    return file;
}

// Whether the open file lies on the mount of its directory: a file mounted over its name cannot be
// renamed over.
bool sameMount(FileSystem& files, const Place& place, int fd, const struct stat& opened) {
    std::uint64_t directoryMount = 0;
    std::uint64_t fileMount = 0;
    if (files.mountOf(place.directory.get(), directoryMount) == 0 &&
        files.mountOf(fd, fileMount) == 0) {
        return directoryMount == fileMount;
    }
    struct stat directory {};
    return unsupported(errno) && files.fstat(place.directory.get(), directory) == 0 &&
           directory.st_dev == opened.st_dev;
}

// A name that holds no file yet: a new file, written whole before it takes the name.
Written writeNew(FileSystem& files, const Place& place, std::string_view contents) {
    // In a directory that only grows, a temporary name could never be taken away again.
    const bool growsOnly = appendOnly(files, place);
    NewFile made(files, place, 0666, !growsOnly);
    if (made.isOpen()) {
        return made.write(contents) ? made.takeFreeName(place) : Written::No;
    }
    if (!growsOnly || !unsupported(errno)) {
        return Written::No;
    }
    // The file is made in place, where a failed write leaves it empty: such a directory does not
    // let anyone remove it again.
    const FileDescriptor file = openForWriting(files, place, O_CREAT | O_EXCL);
    struct stat created {};
    if (!file.isOpen() || files.fstat(file.get(), created) != 0) {
        return errno == EEXIST ? Written::Again : Written::No;
    }
    return rewriteInPlace(files, file.get(), created, contents);
}

// Removes the file that fd has just made through a link, found where the system put it.
void removeMade(FileSystem& files, int fd) {
    std::string path;
    struct stat made {};
    struct stat named {};
    if (files.fstat(fd, made) == 0 && files.pathOf(fd, path) == 0 &&
        files.fstatat(AT_FDCWD, path.c_str(), named, 0) == 0 && named.st_dev == made.st_dev &&
        named.st_ino == made.st_ino) {
        files.unlinkat(AT_FDCWD, path.c_str());
    }
}

// A symbolic link: the system follows it, or refuses to, as it would for any program, and the file
// it leads to is written in place. A link to no file yet makes one there, which a failed write
// takes away again.
Written writeThroughLink(FileSystem& files, const Place& place, std::string_view contents) {
    struct stat target {};
    const bool exists = files.fstatat(place.directory.get(), place.name.c_str(), target, 0) == 0;
    if ((exists && !S_ISREG(target.st_mode)) || (!exists && errno != ENOENT)) {
        return Written::No;
    }
    const FileDescriptor file = openForWriting(files, place, exists ? 0 : O_CREAT);
    if (!file.isOpen()) {
        return Written::No;
    }
    struct stat opened {};
    const Written written = files.fstat(file.get(), opened) == 0 && S_ISREG(opened.st_mode)
                                ? rewriteInPlace(files, file.get(), opened, contents)
                                : Written::No;
    if (written == Written::No && !exists) {
        removeMade(files, file.get());
    }
    return written;
}

// Writes the new file that carries everything the open one does, and renames it over it.
Written replaceWhole(NewFile& made, const Place& place, std::string_view contents, mode_t mode) {
    return made.write(contents, mode) ? made.replace(place) : Written::No;
}

// Whether the open file may be replaced whole: it is the file's only name, in a directory that
// lets names be replaced, and not mounted over.
bool replaceable(FileSystem& files, const Place& place, int fd, const struct stat& opened) {
    return opened.st_nlink == 1 && !appendOnly(files, place) && sameMount(files, place, fd, opened);
}

// How the file is written, decided from what its name holds before anything is written.
Written writeOnce(FileSystem& files, const Place& place, std::string_view contents) {
    struct stat named {};
    if (files.fstatat(place.directory.get(), place.name.c_str(), named, AT_SYMLINK_NOFOLLOW) != 0) {
        // A free name gets a new file, made whole before it takes the name.
        return errno == ENOENT ? writeNew(files, place, contents) : Written::No;
    }
    if (S_ISLNK(named.st_mode)) {
        return writeThroughLink(files, place, contents);
    }
    if (!S_ISREG(named.st_mode)) {
        return Written::No; // a directory, a pipe or a device is never opened
    }
    // Opening the file for writing is what asks the system whether this user may write it.
    const FileDescriptor file = openForWriting(files, place, O_NOFOLLOW);
    struct stat opened {};
    if (!file.isOpen() || files.fstat(file.get(), opened) != 0 || !S_ISREG(opened.st_mode)) {
        return Written::No;
    }
    if (opened.st_nlink == 0) {
        return Written::Again; // another writer replaced it since the name was looked at
    }
    if (replaceable(files, place, file.get(), opened)) {
        NewFile made(files, place, 0600, true);
        if (made.isOpen() && made.carryOver(file.get(), opened)) {
            return replaceWhole(made, place, contents, opened.st_mode);
        }
    }
    return rewriteInPlace(files, file.get(), opened, contents);
}

// A file-size limit that the contents pass would stop the write part way (and, but for the
// program ignoring it, kill the program): nothing is written then.
bool withinFileSizeLimit(std::size_t size) {
    rlimit limit{};
    return ::getrlimit(RLIMIT_FSIZE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
           size <= limit.rlim_cur;
}

} // namespace

bool replaceFile(const std::string& path, std::string_view contents, FileSystem& files) {
    const SignalsHeld held;
    if (!withinFileSizeLimit(contents.size())) {
        return false;
    }
    const Place place = placeOf(files, path);
    if (!place.directory.isOpen() || place.name.empty()) {
        return false;
    }
    for (int attempt = 0; attempt < maxAttempts; ++attempt) {
        const Written written = writeOnce(files, place, contents);
        if (written != Written::Again) {
            return written == Written::Yes;
        }
    }
    return false;
}

} // namespace komiwojazer
