#include "app/ResultsFile.h"

#include "tests/Support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace komiwojazer {
namespace {

using namespace komiwojazer::testing;

constexpr uid_t nobody = 65534; // the unprivileged user that the permission tests act as

struct stat statOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info;
}

std::string made(const TempDir& dir, const std::string& name, mode_t mode, uid_t owner) {
    const std::string path = dir.file(name, "old\n");
    EXPECT_EQ(::chmod(path.c_str(), mode) | ::chown(path.c_str(), owner, owner), 0);
    return path;
}

// What an unprivileged user may write is what the system lets it write: a writable file in a
// directory it may not write, or another user's writable file in a sticky directory, is written
// (and keeps its owner); its own read-only file, or another user's file that it may not write, is
// refused and left as it was, though renaming over it would succeed; so is a new file where it may
// not create one.
TEST(ResultsFile, WritesWhatThisUserMayWriteAndNothingElse) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "acting as a second user needs root";
    }
    const TempDir closed;
    const TempDir open;
    const TempDir sticky;
    ASSERT_EQ(::chmod(open.path.c_str(), 0777) | ::chmod(sticky.path.c_str(), 01777), 0);
    const std::pair<std::string, bool> files[] = {
        {made(closed, "writable", 0666, 0), true},
        {made(sticky, "theirs", 0666, 0), true},
        {made(open, "read-only", 0444, nobody), false},
        {made(open, "not-mine", 0644, 0), false},
        {closed / "new", false},
    };
    const int written = inChild([&] {
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0) {
            return 255;
        }
        int bits = 0;
        for (std::size_t k = 0; k < std::size(files); ++k) {
            bits |= replaceFile(files[k].first, "new\n") ? 1 << k : 0;
        }
        return bits;
    });
    for (std::size_t k = 0; k < std::size(files); ++k) {
        const auto& [path, writable] = files[k];
        EXPECT_EQ((written >> k & 1) != 0, writable) << path;
        if (k + 1 < std::size(files)) {
            EXPECT_EQ(fileContents(path), writable ? "new\n" : "old\n") << path;
            EXPECT_EQ(statOf(path).st_uid, k == 2 ? nobody : 0u) << path;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(closed / "new"));
}

// The file keeps its owner, group and permissions, and every hard link sees the new contents; a
// file that can be replaced whole is (a reader never sees half of it), one with two links is
// rewritten in place. A new file gets what the umask leaves.
TEST(ResultsFile, KeepsOwnerModeAndLinks) {
    const TempDir dir;
    const bool root = ::geteuid() == 0;
    const std::string single = made(dir, "single", 0640, root ? nobody : ::geteuid());
    const ino_t before = statOf(single).st_ino;
    ASSERT_TRUE(replaceFile(single, "new\n"));
    const struct stat after = statOf(single);
    EXPECT_EQ(fileContents(single), "new\n");
    EXPECT_NE(after.st_ino, before);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(after.st_uid, root ? nobody : ::geteuid());
    EXPECT_EQ(after.st_gid, root ? nobody : ::getegid());

    const std::string linked = dir.file("linked", "old\n");
    ASSERT_EQ(::link(linked.c_str(), (dir / "second").c_str()), 0);
    ASSERT_TRUE(replaceFile(linked, "new\n"));
    EXPECT_EQ(fileContents(dir / "second"), "new\n");
    EXPECT_EQ(statOf(linked).st_nlink, 2u);

    for (const mode_t mask : {0027, 0}) {
        const mode_t previous = ::umask(mask);
        const std::string fresh = dir / ("fresh" + std::to_string(mask));
        EXPECT_TRUE(replaceFile(fresh, "new\n"));
        ::umask(previous);
        EXPECT_EQ(statOf(fresh).st_mode & 07777, 0666u & ~mask);
        EXPECT_EQ(fileContents(fresh), "new\n");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 5);
}

// A symbolic link is followed as the system follows it, to a target of the longest name a
// directory holds or to no file yet; where the system protects links planted in sticky
// directories by other users, such a link is not followed.
TEST(ResultsFile, FollowsLinksAsTheSystemDoes) {
    const TempDir dir;
    std::filesystem::create_directory(dir.path / "sub");
    const std::string longName(NAME_MAX, 'n');
    const std::string target = dir.file("sub/" + longName, "old\n");
    std::filesystem::create_symlink("sub/" + longName, dir.path / "link");
    std::filesystem::create_symlink("sub/absent", dir.path / "dangling");
    EXPECT_TRUE(replaceFile(dir / "link", "new\n"));
    EXPECT_TRUE(replaceFile(dir / "dangling", "new\n"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path / "link"));
    EXPECT_EQ(fileContents(target), "new\n");
    EXPECT_EQ(fileContents(dir / "sub/absent"), "new\n");

    if (fileContents("/proc/sys/fs/protected_symlinks") != "1\n" || ::geteuid() != 0) {
        GTEST_SKIP() << "the system does not protect links in sticky directories here, or this "
                        "user cannot plant one as another user";
    }
    const TempDir sticky;
    ASSERT_EQ(::chmod(sticky.path.c_str(), 01777), 0);
    const std::string planted = sticky / "planted";
    std::filesystem::create_symlink(target, planted);
    ASSERT_EQ(::lchown(planted.c_str(), nobody, nobody), 0);
    EXPECT_FALSE(replaceFile(planted, "newer\n"));
    EXPECT_EQ(fileContents(target), "new\n");
}

// Two writers replacing the same file over and over while it is read: every read finds one
// writer's whole contents, never a mix or a cut.
TEST(ResultsFile, ReadersSeeAWholeFileWhateverWritersDo) {
    const TempDir dir;
    const std::string path = dir.file("results.txt", "old\n");
    const std::string contents[] = {std::string(3000, 'a') + "\n", std::string(5000, 'b') + "\n"};
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = ::fork();
        if (writers[w] == 0) {
            for (int k = 0; k < 300; ++k) {
                if (!replaceFile(path, contents[w])) {
                    ::_exit(1);
                }
            }
            ::_exit(0);
        }
    }
    int mixed = 0;
    for (int k = 0; k < 2000; ++k) {
        const std::string seen = fileContents(path);
        mixed += seen != "old\n" && seen != contents[0] && seen != contents[1];
    }
    for (const pid_t writer : writers) {
        int status = -1;
        ::waitpid(writer, &status, 0);
        EXPECT_EQ(status, 0);
    }
    EXPECT_EQ(mixed, 0);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
}

// A writer stopped by Ctrl-C, SIGTERM or SIGHUP at any moment leaves no temporary file behind.
TEST(ResultsFile, NoTemporaryFileOutlivesASignal) {
    const TempDir dir;
    const std::string path = dir / "results.txt";
    const std::string contents(100'000, 'x');
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            int ready[2];
            ASSERT_EQ(::pipe(ready), 0);
            const pid_t writer = ::fork();
            if (writer == 0) {
                std::signal(signal, SIG_DFL);
                for (bool told = false;; told = true) {
                    if (replaceFile(path, contents) && !told) {
                        static_cast<void>(::write(ready[1], "!", 1));
                    }
                }
            }
            char byte = 0;
            ASSERT_EQ(::read(ready[0], &byte, 1), 1);
            ::kill(writer, signal);
            int status = 0;
            ::waitpid(writer, &status, 0);
            ::close(ready[0]);
            ::close(ready[1]);
            EXPECT_TRUE(WIFSIGNALED(status));
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1) << signal;
    }
}

} // namespace
} // namespace komiwojazer
