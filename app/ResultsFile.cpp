#include "app/ResultsFile.h"

#include "os/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <new>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace komiwojazer {
namespace {

// Another writer can replace the file between this one's look at the name and its open of the
// file; the write then starts again. Each new start needs one more such replacement within two
// system calls, so a handful is plenty: the bound only keeps a writer that races someone who
// replaces the file without pause from trying for ever.
constexpr int maxAttempts = 100;

enum class Written { Yes, No, Again };

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

// Where the path leads: its directory, open, and the name in it.
struct Place {
    FileDescriptor directory;
    std::string directoryPath; // as the path gives it, for the names of temporary files
    std::string name;
};

Place placeOf(FileSystem& files, const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    Place place;
    place.directoryPath = slash == std::string::npos ? "."
                          : slash == 0               ? "/"
                                                     : path.substr(0, slash);
    place.name = slash == std::string::npos ? path : path.substr(slash + 1);
    const char* directory = place.directoryPath.c_str();
    place.directory = FileDescriptor(
        files, files.openat(AT_FDCWD, directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
#ifdef O_PATH
    // A directory that this user may enter and write but not list is still a place to write.
    if (!place.directory.isOpen() && errno == EACCES) {
        place.directory = FileDescriptor(
            files, files.openat(AT_FDCWD, directory, O_PATH | O_DIRECTORY | O_CLOEXEC));
    }
#endif
    return place;
}

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

// The whole contents of fd, which is size bytes long; nothing when they cannot be read (EBADF for
// a file open only for writing) or held.
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

// Gives fd the mode back when writing cleared its setuid or setgid bit, as the system does when a
// file's owner writes it without privileges.
bool keepMode(FileSystem& files, int fd, mode_t mode) {
    struct stat now {};
    return files.fstat(fd, now) == 0 &&
           ((now.st_mode & 07777) == (mode & 07777) || files.fchmod(fd, mode & 07777) == 0);
}

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

// Where the system gives a file no name until it is linked (O_TMPFILE), the new file is written
// without one, so that not even SIGKILL can leave it behind; elsewhere it is made under a
// temporary name, which the object removes unless the file was renamed into place.
class NewFile {
public:
    // A file in the place's directory with the given mode, less the umask; when no unnamed file
    // can be made, a named one only if mayName.
    NewFile(FileSystem& files, const Place& place, mode_t mode, bool mayName)
        : files(&files), file(files, files.openUnnamed(place.directory.get(), mode)) {
        if (file.isOpen() || !mayName || !unsupported(errno)) {
            return;
        }
        std::string pathTemplate = place.directoryPath + "/.komiwojazer-XXXXXX";
        file = FileDescriptor(files, files.makeTemporary(pathTemplate));
        if (file.isOpen()) {
            temporaryPath = std::move(pathTemplate);
            if (files.fchmod(file.get(), mode & ~currentUmask()) != 0) {
                discard();
            }
        }
    }
    ~NewFile() { discard(); }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    [[nodiscard]] bool isOpen() const { return file.isOpen(); }
    [[nodiscard]] int get() const { return file.get(); }

    // Writes contents and makes them durable, with the mode given back where the write cleared
    // a bit of it.
    bool write(std::string_view contents, std::optional<mode_t> mode = std::nullopt) {
        return writeAll(*files, file.get(), contents) &&
               (!mode || keepMode(*files, file.get(), *mode)) && files->fsync(file.get()) == 0;
    }

    // Gives the written file the name, which holds no file; Again when another writer took it.
    Written takeFreeName(const Place& place) {
        if (temporaryPath.empty()) {
            if (files->linkUnnamed(file.get(), place.directory.get(), place.name.c_str()) == 0) {
                return Written::Yes;
            }
            return errno == EEXIST ? Written::Again : Written::No;
        }
        return renameInto(place);
    }

    // Puts the written file in the place of the one that holds the name. An unnamed file needs a
    // name of its own for the rename; it holds it only between the two calls.
    Written replace(const Place& place) {
        for (int attempt = 0; temporaryPath.empty() && attempt < maxAttempts; ++attempt) {
            const std::string name =
                ".komiwojazer-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
            if (files->linkUnnamed(file.get(), place.directory.get(), name.c_str()) == 0) {
                temporaryPath = place.directoryPath + "/" + name;
            } else if (errno != EEXIST) {
                return Written::No;
            }
        }
        return temporaryPath.empty() ? Written::No : renameInto(place);
    }

private:
    static mode_t currentUmask() {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mask;
    }

    Written renameInto(const Place& place) {
        if (files->renameat(AT_FDCWD, temporaryPath.c_str(), place.directory.get(),
                            place.name.c_str()) != 0) {
            return Written::No;
        }
        temporaryPath.clear();
        // Makes the new name durable; the file is in place whatever this answers.
        static_cast<void>(files->fsync(place.directory.get()));
        return Written::Yes;
    }

    void discard() {
        if (!temporaryPath.empty()) {
            files->unlinkat(AT_FDCWD, temporaryPath.c_str());
            temporaryPath.clear();
        }
        static_cast<void>(file.close());
    }

    FileSystem* files;
    FileDescriptor file;
    std::string temporaryPath; // set while the file has a name of its own
};

bool appendOnly(FileSystem& files, const Place& place) {
    int flags = 0;
    return files.getFlags(place.directory.get(), flags) == 0 &&
           (flags & FileSystem::appendOnlyFlag) != 0;
}

// The names of fd's extended attributes, access control lists among them; nothing when they
// cannot be listed.
std::optional<std::vector<std::string>> attributeNames(FileSystem& files, int fd) {
    const ssize_t size = files.flistxattr(fd, nullptr, 0);
    if (size <= 0) {
        return size == 0 || unsupported(errno)
                   ? std::optional<std::vector<std::string>>(std::vector<std::string>())
                   : std::nullopt;
    }
    std::string list(static_cast<std::size_t>(size), '\0');
    if (files.flistxattr(fd, list.data(), list.size()) != size) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (std::size_t at = 0; at < list.size(); at = list.find('\0', at) + 1) {
        names.emplace_back(list.c_str() + at);
    }
    return names;
}

// The new file takes every extended attribute of the old one, and keeps none of its own (such as
// an access control list that the directory's default gave it).
bool copyAttributes(FileSystem& files, int from, int to) {
    const auto old = attributeNames(files, from);
    const auto made = attributeNames(files, to);
    if (!old || !made) {
        return false;
    }
    for (const std::string& name : *made) {
        if (std::find(old->begin(), old->end(), name) == old->end() &&
            files.fremovexattr(to, name.c_str()) != 0) {
            return false;
        }
    }
    for (const std::string& name : *old) {
        const ssize_t size = files.fgetxattr(from, name.c_str(), nullptr, 0);
        std::string value(static_cast<std::size_t>(std::max<ssize_t>(size, 0)), '\0');
        if (size < 0 || files.fgetxattr(from, name.c_str(), value.data(), value.size()) != size ||
            files.fsetxattr(to, name.c_str(), value.data(), value.size()) != 0) {
            return false;
        }
    }
    return true;
}

// The new file takes the old one's inode flags; true when they are the same afterwards.
bool copyFlags(FileSystem& files, int from, int to) {
    int old = 0;
    int made = 0;
    if (files.getFlags(from, old) != 0) {
        return unsupported(errno);
    }
    if (files.getFlags(to, made) == 0 && made == old) {
        return true;
    }
    return files.setFlags(to, old) == 0 && files.getFlags(to, made) == 0 && made == old;
}

// The new file takes the owner, group, permissions, attributes and flags of the one it replaces;
// false when this user may not give them all to it.
bool takeOver(FileSystem& files, int fd, int oldFd, const struct stat& old) {
    struct stat made {};
    if (files.fstat(fd, made) != 0 || ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
                                       files.fchown(fd, old.st_uid, old.st_gid) != 0)) {
        return false;
    }
    return files.fchmod(fd, old.st_mode & 07777) == 0 && copyAttributes(files, oldFd, fd) &&
           copyFlags(files, oldFd, fd);
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

// A regular file, replaced whole where nothing it carries is lost by it, else rewritten in place.
Written writeExisting(FileSystem& files, const Place& place, std::string_view contents) {
    // Opening the file for writing is what asks the system whether this user may write it.
    const FileDescriptor file = openForWriting(files, place, O_NOFOLLOW);
    struct stat opened {};
    if (!file.isOpen() || files.fstat(file.get(), opened) != 0 || !S_ISREG(opened.st_mode)) {
        return Written::No;
    }
    if (opened.st_nlink == 0) {
        return Written::Again; // another writer replaced it since the name was looked at
    }
    if (opened.st_nlink == 1 && !appendOnly(files, place) &&
        sameMount(files, place, file.get(), opened)) {
        NewFile made(files, place, 0600, true);
        if (made.isOpen() && takeOver(files, made.get(), file.get(), opened)) {
            return made.write(contents, opened.st_mode) ? made.replace(place) : Written::No;
        }
    }
    return rewriteInPlace(files, file.get(), opened, contents);
}

// One attempt, deciding from what the name holds how to write before anything is written.
Written writeOnce(FileSystem& files, const Place& place, std::string_view contents) {
    struct stat named {};
    if (files.fstatat(place.directory.get(), place.name.c_str(), named, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT ? writeNew(files, place, contents) : Written::No;
    }
    if (S_ISLNK(named.st_mode)) {
        return writeThroughLink(files, place, contents);
    }
    // A directory, a pipe or a device is never opened: a pipe's reader would take the contents.
    return S_ISREG(named.st_mode) ? writeExisting(files, place, contents) : Written::No;
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
