#include "app/ResultsFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace komiwojazer {
namespace {

// A path resolved through its chain of symbolic links, with what it names then: nothing when the
// name is free. Relative links count from the link's own directory.
struct Target {
    std::string path;
    std::optional<struct stat> info;
};

std::optional<Target> resolve(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) {
            if (errno == ENOENT) {
                return Target{path, std::nullopt};
            }
            return std::nullopt;
        }
        if (!S_ISLNK(info.st_mode)) {
            return Target{path, info};
        }
        std::string link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= link.size()) {
            return std::nullopt;
        }
        link.resize(static_cast<std::size_t>(length));
        const std::size_t slash = path.find_last_of('/');
        path = link.front() == '/' || slash == std::string::npos ? link
                                                                 : path.substr(0, slash + 1) + link;
    }
    return std::nullopt; // a loop of links
}

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

// The permissions a new file gets: those of the file it replaces, else what the umask leaves.
mode_t newFileMode(const std::optional<struct stat>& replaced) {
    if (replaced) {
        return replaced->st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

bool replaceFile(const std::string& path, std::string_view contents) {
    const std::optional<Target> target = resolve(path);
    if (!target || (target->info && !S_ISREG(target->info->st_mode))) {
        return false;
    }
    std::string temporary = target->path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        return false;
    }
    const bool written =
        ::fchmod(fd, newFileMode(target->info)) == 0 && writeAll(fd, contents) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written || ::rename(temporary.c_str(), target->path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace komiwojazer
