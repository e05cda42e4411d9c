#include "app/NewFile.h"

#include "os/WholeFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace komiwojazer {
namespace {

// Another writer can take the name that an unnamed file is given for its rename, if only a
// leftover of a writer that died in between; a handful of other names is plenty.
constexpr int maxNames = 100;

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// The names of fd's extended attributes, access control lists among them; nothing when they
// cannot be listed, and errno says why.
std::optional<std::vector<std::string>> attributeNames(FileSystem& files, int fd) {
    const ssize_t size = files.flistxattr(fd, nullptr, 0);
    if (size <= 0) {
        return size == 0 ? std::optional<std::vector<std::string>>(std::vector<std::string>())
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
    const bool oldUnsupported = !old && unsupported(errno);
    const auto made = attributeNames(files, to);
    if (!old || !made) {
        // A file system without them says so for both files: then there are none to carry.
        return !old && !made && oldUnsupported && unsupported(errno);
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
        // A file system without them says so for both files: then there are none to carry.
        return unsupported(errno) && files.getFlags(to, made) != 0 && unsupported(errno);
    }
    if (files.getFlags(to, made) == 0 && made == old) {
        return true;
    }
    return files.setFlags(to, old) == 0 && files.getFlags(to, made) == 0 && made == old;
}

} // namespace

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

bool appendOnly(FileSystem& files, const Place& place) {
    int flags = 0;
    return files.getFlags(place.directory.get(), flags) == 0 &&
           (flags & FileSystem::appendOnlyFlag) != 0;
}

bool keepMode(FileSystem& files, int fd, mode_t mode) {
    struct stat now {};
    return files.fstat(fd, now) == 0 &&
           ((now.st_mode & 07777) == (mode & 07777) || files.fchmod(fd, mode & 07777) == 0);
}

NewFile::NewFile(FileSystem& system, const Place& place, mode_t mode, bool mayName)
    : files(&system), file(system, system.openUnnamed(place.directory.get(), mode)) {
    if (file.isOpen() || !mayName || !unsupported(errno)) {
        return;
    }
    std::string pathTemplate = place.directoryPath + "/.komiwojazer-XXXXXX";
    file = FileDescriptor(system, system.makeTemporary(pathTemplate));
    if (file.isOpen()) {
        temporaryPath = std::move(pathTemplate);
        if (system.fchmod(file.get(), mode & ~currentUmask()) != 0) {
            discard();
        }
    }
}

bool NewFile::carryOver(int old, const struct stat& oldStatus) {
    struct stat made {};
    if (files->fstat(file.get(), made) != 0 ||
        ((made.st_uid != oldStatus.st_uid || made.st_gid != oldStatus.st_gid) &&
         files->fchown(file.get(), oldStatus.st_uid, oldStatus.st_gid) != 0)) {
        return false;
    }
    return files->fchmod(file.get(), oldStatus.st_mode & 07777) == 0 &&
           copyAttributes(*files, old, file.get()) && copyFlags(*files, old, file.get());
}

bool NewFile::write(std::string_view contents, std::optional<mode_t> mode) {
    return writeAll(*files, file.get(), contents) &&
           (!mode || keepMode(*files, file.get(), *mode)) && files->fsync(file.get()) == 0;
}

Written NewFile::takeFreeName(const Place& place) {
    if (!temporaryPath.empty()) {
        return renameInto(place);
    }
    if (files->linkUnnamed(file.get(), place.directory.get(), place.name.c_str()) != 0) {
        return errno == EEXIST ? Written::Again : Written::No;
    }
    syncName(place);
    return Written::Yes;
}

Written NewFile::replace(const Place& place) {
    // An unnamed file needs a name of its own for the rename; it holds it only until the rename.
    for (int attempt = 0; temporaryPath.empty() && attempt < maxNames; ++attempt) {
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

Written NewFile::renameInto(const Place& place) {
    if (files->renameat(AT_FDCWD, temporaryPath.c_str(), place.directory.get(),
                        place.name.c_str()) != 0) {
        return Written::No;
    }
    temporaryPath.clear();
    syncName(place);
    return Written::Yes;
}

void NewFile::syncName(const Place& place) {
    // Makes the new name durable; the file is in place whatever this answers.
    static_cast<void>(files->fsync(place.directory.get()));
}

void NewFile::discard() {
    if (!temporaryPath.empty()) {
        files->unlinkat(AT_FDCWD, temporaryPath.c_str());
        temporaryPath.clear();
    }
    static_cast<void>(file.close());
}

} // namespace komiwojazer
