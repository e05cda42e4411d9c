#pragma once

// What every test folder shares: temporary files, child processes and the alarm lines.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace komiwojazer::testing {

class TempDir {
public:
    TempDir() {
        static int counter = 0;
        path = std::filesystem::temp_directory_path() /
               ("komiwojazer-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] std::string file(const std::string& name, const std::string& contents) const {
        std::ofstream(path / name, std::ios::binary) << contents;
        return (path / name).string();
    }
    [[nodiscard]] std::string operator/(const std::string& name) const {
        return (path / name).string();
    }

    std::filesystem::path path;
};

inline std::string fileContents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Runs body in a child process and returns its exit status, or 128 plus the signal that ended it.
inline int inChild(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The address sanitizer is built in: g++ and clang say so differently.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOMIWOJAZER_TESTS_UNDER_ASAN
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KOMIWOJAZER_TESTS_UNDER_ASAN
#endif

// Why a test cannot limit its own address space here, or nothing when it can: the address
// sanitizer needs more address space than such a limit leaves, and an emulator such as qemu
// accepts the limit but keeps it to itself.
inline std::string whyNoAddressSpaceLimit() {
#if defined(KOMIWOJAZER_TESTS_UNDER_ASAN)
    return "the address sanitizer needs more address space than the limit leaves";
#else
    const int applies = inChild([] {
        rlimit limit{};
        rlimit applied{};
        getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = rlim_t{1} << 30;
        return setrlimit(RLIMIT_AS, &limit) == 0 && getrlimit(RLIMIT_AS, &applied) == 0 &&
               applied.rlim_cur == limit.rlim_cur;
    });
    return applies == 1 ? "" : "this system does not apply an address-space limit (an emulator?)";
#endif
}

inline int countOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

inline std::string alarm(const std::string& text) {
    return "+++ MELON MELON MELON +++ " + text + " +++\n\n";
}

} // namespace komiwojazer::testing
