#include "app/ResultsFile.h"

#include "tests/Support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
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

// A file with the given mode and, where this user may give it away, the given owner and group.
std::string made(const TempDir& dir, const std::string& name, mode_t mode, uid_t owner) {
    const std::string path = dir.file(name, "old\n");
    EXPECT_EQ(::chmod(path.c_str(), mode), 0);
    if (::geteuid() == 0) {
        EXPECT_EQ(::chown(path.c_str(), owner, owner), 0);
    }
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
    // A directory of its own inside one it may not write: its files are replaced whole.
    std::filesystem::create_directory(closed.path / "own");
    ASSERT_EQ(::chmod(open.path.c_str(), 0777) | ::chmod(sticky.path.c_str(), 01777) |
                  ::chown((closed / "own").c_str(), nobody, nobody),
              0);
    const std::pair<std::string, bool> files[] = {
        {made(closed, "writable", 0666, 0), true},      {made(sticky, "theirs", 0666, 0), true},
        {made(open, "read-only", 0444, nobody), false}, {made(open, "not-mine", 0644, 0), false},
        {made(closed, "own/mine", 0600, nobody), true}, {closed / "new", false},
    };
    const ino_t mine = statOf(files[4].first).st_ino;
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
            EXPECT_EQ(statOf(path).st_uid, k == 2 || k == 4 ? nobody : 0u) << path;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(closed / "new"));
    EXPECT_NE(statOf(files[4].first).st_ino, mine);
    // Nothing was left behind where a replacement was tried and given up.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(sticky.path), {}), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(closed.path / "own"), {}), 1);
}

// The file keeps its owner, group and permissions, and every hard link sees the new contents; a
// file that can be replaced whole is (a reader never sees half of it), one with two links is
// rewritten in place. A new file gets what the umask leaves.
TEST(ResultsFile, KeepsOwnerModeAndLinks) {
    const TempDir dir;
    const bool root = ::geteuid() == 0;
    const std::string single = made(dir, "single", 0640, root ? nobody : ::geteuid());
    // As root: a file of root's own whose group is another.
    const std::string grouped = made(dir, "grouped", 02640, 0);
    ASSERT_EQ(::chown(grouped.c_str(), ::geteuid(), root ? nobody : ::getegid()), 0);
    ASSERT_EQ(::chmod(grouped.c_str(), 02640), 0);
    for (const std::string& path : {single, grouped}) {
        const struct stat before = statOf(path);
        ASSERT_TRUE(replaceFile(path, "new\n"));
        const struct stat after = statOf(path);
        EXPECT_EQ(fileContents(path), "new\n");
        EXPECT_NE(after.st_ino, before.st_ino) << path;
        EXPECT_EQ(after.st_mode & 07777, before.st_mode & 07777) << path;
        EXPECT_EQ(after.st_uid, before.st_uid) << path;
        EXPECT_EQ(after.st_gid, before.st_gid) << path;
    }

    const std::string linked = dir.file("linked", "old, and longer than the new\n");
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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 6);
    if (!root) {
        GTEST_SKIP() << "only root can give the files another owner and group, which a new file "
                        "would not have";
    }
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
    const mode_t previous = ::umask(0);
    EXPECT_TRUE(replaceFile(dir / "dangling", "new\n"));
    ::umask(previous);
    EXPECT_EQ(statOf(dir / "sub/absent").st_mode & 07777, 0666u);
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

// Where the file cannot be renamed over (here it is mounted on), it is rewritten in place; a FIFO
// in its place is never even opened, which a reader waiting at it would notice.
TEST(ResultsFile, FallsBackToWritingInPlaceAndNeverOpensAPipe) {
    const TempDir dir;
    const std::string mounted = dir.file("mounted", "old\n");
    const std::string results = dir.file("results", "old\n");
    const int status = inChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount("none", "/", "none", MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount(mounted.c_str(), results.c_str(), "none", MS_BIND, nullptr) != 0) {
            return 77;
        }
        return replaceFile(results, "new\n") ? 0 : 1;
    });
    if (status != 77) {
        EXPECT_EQ(status, 0);
        EXPECT_EQ(fileContents(mounted), "new\n");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 2);
    }

    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const int reader = ::open((dir / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_FALSE(replaceFile(dir / "pipe", "new\n"));
    pollfd waiting{reader, POLLIN, 0};
    EXPECT_EQ(::poll(&waiting, 1, 0), 0) << "a writer opened the pipe";
    ::close(reader);
    if (status == 77) {
        GTEST_SKIP() << "this system does not let the test mount a file in a namespace of its own";
    }
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
                    if (replaceFile(path, contents) && !told && ::write(ready[1], "!", 1) != 1) {
                        ::_exit(1);
                    }
                }
            }
            ::close(ready[1]);
            char byte = 0;
            ASSERT_EQ(::read(ready[0], &byte, 1), 1);
            ::kill(writer, signal);
            int status = 0;
            ::waitpid(writer, &status, 0);
            ::close(ready[0]);
            EXPECT_TRUE(WIFSIGNALED(status));
        }
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1) << signal;
    }
}

} // namespace
} // namespace komiwojazer
