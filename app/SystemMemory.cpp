#include "app/SystemMemory.h"

#include "step/Bytes.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <limits>
#include <optional>
#include <string_view>
#include <sys/resource.h>
#include <unistd.h>

namespace komiwojazer {
namespace {

// A source that sets no limit leaves all the room there is.
constexpr std::uint64_t noLimit = saturatedBytes;

// The unsigned number at the start of text after blanks; nothing if there is none or it overflows.
std::optional<std::uint64_t> leadingNumber(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    const auto [end, error] =
        std::from_chars(text.data() + start, text.data() + text.size(), value);
    if (error != std::errc()) {
        return std::nullopt;
    }
    return value;
}

// The first line of a file, if it can be read.
std::optional<std::string> firstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    if (!std::getline(file, line)) {
        return std::nullopt;
    }
    return line;
}

std::uint64_t pageSize(const MemorySources& sources) {
    const long size = sources.systemValue(_SC_PAGESIZE);
    return size > 0 ? static_cast<std::uint64_t>(size) : 4096;
}

// The bytes of the pages that sysconf counts under name; nothing when it does not know.
std::optional<std::uint64_t> systemPages(const MemorySources& sources, int name) {
    const long pages = sources.systemValue(name);
    if (pages <= 0) {
        return std::nullopt;
    }
    const std::uint64_t size = pageSize(sources);
    const auto count = static_cast<std::uint64_t>(pages);
    return multiplyBytes(count, size);
}

// What the system reports without the kernel's own report: available pages where it counts them.
std::uint64_t systemAvailableBytes(const MemorySources& sources) {
#ifdef _SC_AVPHYS_PAGES
    if (const std::optional<std::uint64_t> available = systemPages(sources, _SC_AVPHYS_PAGES)) {
        return *available;
    }
#endif
    return systemPages(sources, _SC_PHYS_PAGES).value_or(noLimit);
}

std::uint64_t kernelAvailableBytes(const MemorySources& sources) {
    // Read line by line: some lines carry no unit, so word-by-word reading would drift.
    std::ifstream meminfo(sources.meminfo);
    constexpr std::string_view key = "MemAvailable:";
    for (std::string line; std::getline(meminfo, line);) {
        if (line.starts_with(key)) {
            const std::optional<std::uint64_t> kibibytes =
                leadingNumber(std::string_view(line).substr(key.size()));
            // A kernel that reports something else than a number there is not second-guessed.
            return kibibytes ? multiplyBytes(*kibibytes, 1024) : noLimit;
        }
    }
    return systemAvailableBytes(sources);
}

// What is left under a resource limit of the process, given the field of statm ("size resident
// shared text lib data dt", in pages) that counts what the limit counts.
std::uint64_t roomUnder(const MemorySources& sources, int resource, std::size_t field) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return noLimit;
    }
    std::string_view rest;
    const std::optional<std::string> line = firstLine(sources.statm);
    if (line) {
        rest = *line;
        for (std::size_t k = 0; k < field && !rest.empty(); ++k) {
            const std::size_t blank = rest.find(' ');
            rest = blank == std::string_view::npos ? std::string_view() : rest.substr(blank + 1);
        }
    }
    // An unreadable count of the pages in use counts as none in use.
    const std::uint64_t pages = leadingNumber(rest).value_or(0);
    const std::uint64_t size = pageSize(sources);
    // A count past what 64 bits hold is a misreading, which counts as none in use too.
    const std::uint64_t bytes = multiplyBytes(pages, size);
    const std::uint64_t used = bytes == saturatedBytes ? 0 : bytes;
    return limit.rlim_cur > used ? limit.rlim_cur - used : 0;
}

// The room under one group's limit; a limit file that is missing or says "max" sets none.
std::uint64_t groupRoom(const std::string& directory, const char* limitFile,
                        const char* usageFile) {
    const std::optional<std::string> limitText = firstLine(directory + "/" + limitFile);
    const std::optional<std::uint64_t> limit = limitText ? leadingNumber(*limitText) : std::nullopt;
    if (!limit) {
        return noLimit;
    }
    const std::optional<std::string> usageText = firstLine(directory + "/" + usageFile);
    const std::uint64_t usage = usageText ? leadingNumber(*usageText).value_or(0) : 0;
    return *limit > usage ? *limit - usage : 0;
}

// The least room of a group and its ancestors up to the mount point.
std::uint64_t hierarchyRoom(const std::string& mount, std::string_view groupPath,
                            const char* limitFile, const char* usageFile) {
    std::uint64_t room = noLimit;
    std::string path(groupPath);
    while (true) {
        room = std::min(room, groupRoom(mount + path, limitFile, usageFile));
        const std::size_t slash = path.find_last_of('/');
        if (slash == std::string::npos || path.empty()) {
            return room;
        }
        path.resize(slash);
    }
}

// Each line of the group list is "id:controllers:path"; an empty controller list is the unified
// (v2) hierarchy, mounted at the root or, beside v1 hierarchies, under "unified".
std::uint64_t controlGroupRoom(const MemorySources& sources) {
    std::ifstream list(sources.cgroupList);
    std::uint64_t room = noLimit;
    for (std::string line; std::getline(list, line);) {
        const std::size_t first = line.find(':');
        const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos) {
            continue;
        }
        const std::string_view controllers =
            std::string_view(line).substr(first + 1, second - first - 1);
        const std::string_view groupPath = std::string_view(line).substr(second + 1);
        if (controllers.empty()) {
            for (const char* mount : {"", "/unified"}) {
                room = std::min(room, hierarchyRoom(sources.cgroupRoot + mount, groupPath,
                                                    "memory.max", "memory.current"));
            }
        } else if ((',' + std::string(controllers) + ',').find(",memory,") != std::string::npos) {
            room = std::min(room, hierarchyRoom(sources.cgroupRoot + "/memory", groupPath,
                                                "memory.limit_in_bytes", "memory.usage_in_bytes"));
        }
    }
    return room;
}

} // namespace

std::uint64_t availableMemoryBytes(const MemorySources& sources) {
    // The address-space limit counts every mapping; the data limit counts the private writable
    // ones (the heap, and the large blocks that come straight from the system), and whichever is
    // lower refuses an allocation first.
    return std::min({kernelAvailableBytes(sources), roomUnder(sources, RLIMIT_AS, 0),
                     roomUnder(sources, RLIMIT_DATA, 5), controlGroupRoom(sources)});
}

} // namespace komiwojazer
