#include "app/ResultsFile.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace komiwojazer {
namespace {

// Holds back every signal while the file is written, so that none can end the program with a
// temporary file left over or the file half written; what came meanwhile is delivered afterwards.
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

// An open file descriptor, closed with the object; -1 when the open failed.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    [[nodiscard]] int get() const { return fd; }
    // Closes it now; false when the system reports that the data did not make it.
    [[nodiscard]] bool close() { return ::close(std::exchange(fd, -1)) == 0; }

private:
    int fd;
};

bool writeAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool isRegular(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// The open file emptied and written from its start, as a plain open for writing would do it.
bool rewriteInPlace(int fd, std::string_view contents) {
    return ::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, contents) &&
           ::fsync(fd) == 0;
}

// A temporary name in the directory of path, short enough for any file name there.
std::string temporaryBeside(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
           ".komiwojazer-XXXXXX";
}

// The permissions that a plain open would give a new file: all but what the umask takes away.
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes contents into a new file beside path, gives it what keep asks for, and renames it over
// path; false, with nothing left behind, when any step fails.
template <typename Keep>
bool writeBesideAndRename(const std::string& path, std::string_view contents, Keep keep) {
    std::string temporary = temporaryBeside(path);
    Descriptor file(::mkstemp(temporary.data()));
    if (file.get() < 0) {
        return false;
    }
    const bool written =
        keep(file.get()) && writeAll(file.get(), contents) && ::fsync(file.get()) == 0;
    if (!file.close() || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

// The new file takes the owner, group and permissions of the one it replaces; false when this
// user may not give them to it.
bool takeOver(int fd, const struct stat& replaced) {
    struct stat made {};
    if (::fstat(fd, &made) != 0) {
        return false;
    }
    if ((made.st_uid != replaced.st_uid || made.st_gid != replaced.st_gid) &&
        ::fchown(fd, replaced.st_uid, replaced.st_gid) != 0) {
        return false;
    }
    return ::fchmod(fd, replaced.st_mode & 07777) == 0;
}

// A symbolic link: the system follows it, or refuses to, as it would for any program, and the file
// it leads to is written in place. A link to no file yet makes one there.
bool writeThroughLink(const std::string& path, std::string_view contents) {
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
        return false;
    }
    const Descriptor file(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
    return file.get() >= 0 && isRegular(file.get()) && rewriteInPlace(file.get(), contents);
}

// One attempt at writing the file that path names: whether it was written, or nothing when another
// writer replaced the file between this one's look at the name and its open, so that the attempt
// must start again (rewriting the replaced file would write where nobody reads, and under the
// eyes of a reader who still holds it).
std::optional<bool> writeOnce(const std::string& path, std::string_view contents) {
    struct stat named {};
    if (::lstat(path.c_str(), &named) != 0) {
        return errno == ENOENT && writeBesideAndRename(path, contents, [](int fd) {
                   return ::fchmod(fd, newFileMode()) == 0;
               });
    }
    if (S_ISLNK(named.st_mode)) {
        return writeThroughLink(path, contents);
    }
    if (!S_ISREG(named.st_mode)) {
        return false;
    }
    // Opening the file for writing is what asks the system whether this user may write it.
    const Descriptor file(
        ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    if (file.get() < 0 || ::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode)) {
        return false;
    }
    if (opened.st_nlink == 0) {
        return std::nullopt;
    }
    if (opened.st_nlink == 1 &&
        writeBesideAndRename(path, contents, [&](int fd) { return takeOver(fd, opened); })) {
        return true;
    }
    return rewriteInPlace(file.get(), contents);
}

} // namespace

bool replaceFile(const std::string& path, std::string_view contents) {
    const SignalsHeld held;
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (const std::optional<bool> written = writeOnce(path, contents)) {
            return *written;
        }
    }
    return false;
}

} // namespace komiwojazer
