#pragma once

#include <cstdint>
#include <string>
#include <unistd.h>

namespace komiwojazer {

// Where the kernel shows what memory the process may still take; tests point it at fixture files.
struct MemorySources {
    std::string meminfo = "/proc/meminfo";        // MemAvailable
    std::string statm = "/proc/self/statm";       // the pages in use, against RLIMIT_AS and _DATA
    std::string cgroupList = "/proc/self/cgroup"; // the process's control groups
    std::string cgroupRoot = "/sys/fs/cgroup";    // where their hierarchies are mounted
    long (*systemValue)(int name) = ::sysconf;    // page size and physical and available pages
};

// The bytes that this process can still allocate without pushing the machine into swap or the
// out-of-memory killer: the least of the memory the kernel reports as available, what is left
// under the address-space and data-segment limits, and what is left under the memory limit of every
// control group the process lives in (and their ancestors). Where the kernel's report cannot be
// read or has no MemAvailable line (a system without /proc), what sysconf reports stands in for
// it: the available pages where the system counts them, else the physical ones. A MemAvailable
// line without a number that fits, and any other source that cannot be read, set no limit.
[[nodiscard]] std::uint64_t availableMemoryBytes(const MemorySources& sources = {});

} // namespace komiwojazer
