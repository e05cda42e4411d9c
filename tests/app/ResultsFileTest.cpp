#include "app/ResultsFile.h"

#include "tests/Support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <iterator>
#include <linux/fs.h>
#include <poll.h>
#include <sched.h>
#include <set>
#include <string_view>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
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

std::set<std::string> namesIn(const std::filesystem::path& directory) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory)) {
        names.insert(entry.path().lexically_relative(directory).string());
    }
    return names;
}

// The system's calls, listed: the one numbered failAt fails with error, and a child process ends
// right before the one numbered stopBefore, as a crash would end it there. Without unnamed files,
// it stands in for a system that cannot make them; meanwhile can change the files before a call.
class FaultyFileSystem final : public FileSystem {
public:
    explicit FaultyFileSystem(bool unnamedFiles = true, int failAt = 0, int error = 0)
        : failAt(failAt), error(error), unnamedFiles(unnamedFiles) {}
    std::vector<std::string> names; // of the calls so far
    int calls = 0;
    int failAt;
    int error;
    int stopBefore = 0;
    bool unnamedFiles;
    std::function<void(int call)> meanwhile{};

protected:
    int fault(const char* call) override {
        names.emplace_back(call);
        if (meanwhile) {
            meanwhile(calls + 1);
        }
        if (++calls == stopBefore) {
            ::_exit(0);
        }
        if (!unnamedFiles && std::string_view(call) == "openUnnamed") {
            return EOPNOTSUPP;
        }
        return calls == failAt ? error : 0;
    }
};

// What the results file's name can hold before a write: nothing, a file that is replaced whole, a
// file with a second link, or a link to a file, these two rewritten in place, or a link to no file.
enum class Before { Nothing, File, TwoLinks, Link, LinkToNothing };

// The old contents and the new: a file rewritten through a link grows, every other one shrinks, so
// that an in-place rewrite is tried both ways.
std::pair<std::string, std::string> contentsFor(Before before) {
    const std::string longer = "old results, longer than the new ones\n";
    const std::string shorter = "new results\n";
    return before == Before::Link ? std::pair{shorter, longer} : std::pair{longer, shorter};
}
const std::string oldContents = contentsFor(Before::File).first;
const std::string newContents = contentsFor(Before::File).second;

// Owner rw, user nobody rw, group r, mask rw, others nothing: the mode shows the mask.
const unsigned char acl[] = {2,    0,    0,   0,   1,    0, 6, 0, 255, 255, 255, 255, 2,    0, 6, 0,
                             0xfe, 0xff, 0,   0,   4,    0, 4, 0, 255, 255, 255, 255, 0x10, 0, 6, 0,
                             255,  255,  255, 255, 0x20, 0, 0, 0, 255, 255, 255, 255};

std::string attribute(const std::string& path, const char* name) {
    char value[64] = {};
    const ssize_t size = ::getxattr(path.c_str(), name, value, sizeof value);
    return std::string(value, static_cast<std::size_t>(std::max<ssize_t>(size, 0)));
}

// Gives the file what a replacement must carry over: another group, an access control list, an
// extended attribute and an inode flag; false where this user or file system cannot give them all.
bool dress(const std::string& path) {
    const int file = ::open(path.c_str(), O_RDONLY);
    int flags[2] = {FS_NODUMP_FL, 0}; // the kernel reads an int where the command names a long
    const bool all = ::geteuid() == 0 && ::chown(path.c_str(), 0, nobody) == 0 &&
                     ::setxattr(path.c_str(), "system.posix_acl_access", acl, sizeof acl, 0) == 0 &&
                     ::setxattr(path.c_str(), "user.origin", "kept", 4, 0) == 0 &&
                     ::ioctl(file, FS_IOC_SETFLAGS, flags) == 0;
    ::close(file);
    return all;
}

std::string carried(const std::string& path) {
    const struct stat info = statOf(path);
    const int file = ::open(path.c_str(), O_RDONLY);
    int flags[2] = {0, 0};
    ::ioctl(file, FS_IOC_GETFLAGS, flags);
    ::close(file);
    return std::to_string(info.st_uid) + ":" + std::to_string(info.st_gid) + ":" +
           std::to_string(info.st_mode) + ":" + std::to_string(flags[0] & FS_NODUMP_FL) + ":" +
           attribute(path, "system.posix_acl_access") + ":" + attribute(path, "user.origin");
}

// The results file's name: the longest a directory holds, which no temporary name may build on.
const std::string resultsName(NAME_MAX, 'r');

// Sets the directory up as before says and returns the path to write.
std::string prepare(const TempDir& dir, Before before) {
    std::filesystem::remove_all(dir.path);
    std::filesystem::create_directories(dir.path / "sub");
    const std::string path = dir / resultsName;
    if (before == Before::Link || before == Before::LinkToNothing) {
        if (before == Before::Link) {
            static_cast<void>(dir.file("sub/target", contentsFor(before).first));
        }
        std::filesystem::create_symlink("sub/target", path);
    } else if (before != Before::Nothing) {
        static_cast<void>(dir.file(resultsName, oldContents));
        ::chmod(path.c_str(), 0640);
        static_cast<void>(before == Before::File && dress(path));
    }
    if (before == Before::TwoLinks) {
        std::filesystem::create_hard_link(path, dir.path / "sub" / "second");
    }
    return path;
}

// Whatever call fails, with whatever error: when failure is reported the file holds exactly the
// old contents, and when success is, exactly the new ones; its mode and links are kept, a new file
// gets what the umask leaves, no temporary file remains, and the umask and the signal mask are as
// they were. A sync of the new contents that fails is a failure; a read or write cut short by a
// signal is none. How to write is decided before the first write: a file that is being replaced
// whole is never rewritten in place instead. Where it is replaced whole, a write stopped after any
// step, as a crash would stop it, leaves the old file (or none) or the whole new one, since the
// new file is on disk before it takes the name, and the name after. The same holds where the system
// cannot make unnamed files.
TEST(ResultsFile, AFailedCallOrACrashNeverCostsTheOldContents) {
    const TempDir dir;
    // Not the usual 022, under which a file made with mode 0644 would look right.
    const mode_t previousUmask = ::umask(002);
    sigset_t blocked;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGUSR1);
    sigset_t previousMask;
    ASSERT_EQ(::sigprocmask(SIG_BLOCK, &blocked, &previousMask), 0);
    const auto naming = [](const std::string& call) {
        return call == "linkUnnamed" || call == "renameat";
    };
    const int errors[] = {ENOSPC, EIO, EDQUOT, EFBIG, EPERM, EACCES, EINTR, ENOTSUP};
    for (const bool unnamedFiles : {true, false}) {
        for (const Before before : {Before::Nothing, Before::File, Before::TwoLinks, Before::Link,
                                    Before::LinkToNothing}) {
            // Named copies, not a structured binding: lambdas below capture them.
            const auto contents = contentsFor(before);
            const std::string& oldText = contents.first;
            const std::string& newText = contents.second;
            FaultyFileSystem counted(unnamedFiles);
            ASSERT_TRUE(replaceFile(prepare(dir, before), newText, counted));
            const auto& calls = counted.names;
            const auto firstWrite = std::find(calls.begin(), calls.end(), "pwrite");
            const auto named = std::find_if(calls.begin(), calls.end(), naming);
            EXPECT_TRUE(named == calls.end() || std::find(firstWrite, named, "fsync") != named);
            EXPECT_TRUE(named == calls.end() ||
                        *std::prev(std::find_if(calls.rbegin(), calls.rend(), naming)) == "fsync");
            const bool whole = before == Before::Nothing || before == Before::File;
            for (int failAt = 1; failAt <= counted.calls; ++failAt) {
                for (const int error : errors) {
                    SCOPED_TRACE(::testing::Message()
                                 << "state " << static_cast<int>(before) << ", call " << failAt
                                 << ", errno " << error << (unnamedFiles ? "" : ", named files"));
                    const std::string path = prepare(dir, before);
                    const std::set<std::string> names = namesIn(dir.path);
                    const bool existing =
                        before != Before::Nothing && before != Before::LinkToNothing;
                    const ino_t inode = existing ? statOf(path).st_ino : 0;
                    const std::string carriedBefore = existing ? carried(path) : "";
                    FaultyFileSystem faulty(unnamedFiles, failAt, error);
                    const bool written = replaceFile(path, newText, faulty);
                    EXPECT_EQ(::umask(002), 002u);
                    sigset_t held;
                    ::sigprocmask(SIG_BLOCK, nullptr, &held);
                    EXPECT_TRUE(sigismember(&held, SIGUSR1) == 1 &&
                                sigismember(&held, SIGINT) == 0);
                    // Once the new file holds the name, syncing the directory is only a courtesy.
                    const auto failed = faulty.names.begin() + (failAt - 1);
                    EXPECT_FALSE(written && *failed == "fsync" &&
                                 std::find_if(faulty.names.begin(), failed, naming) == failed);
                    EXPECT_TRUE(written || error != EINTR ||
                                (*failed != "pwrite" && *failed != "pread"));
                    EXPECT_EQ(std::filesystem::exists(path), written || existing);
                    if (existing) {
                        EXPECT_EQ(fileContents(path), written ? newText : oldText);
                        EXPECT_EQ(carried(path), carriedBefore);
                    } else if (written) {
                        EXPECT_EQ(fileContents(path), newText);
                        EXPECT_EQ(statOf(path).st_mode & 07777, 0664u);
                    }
                    std::set<std::string> expected = names;
                    expected.insert(before == Before::LinkToNothing ? "sub/target" : resultsName);
                    EXPECT_EQ(namesIn(dir.path), written ? expected : names);
                    if (before == Before::TwoLinks) {
                        EXPECT_EQ(fileContents(dir / "sub/second"), fileContents(path));
                    }
                    EXPECT_TRUE(before != Before::File || !written ||
                                failAt <= firstWrite - calls.begin() ||
                                statOf(path).st_ino != inode);
                }
                if (whole) {
                    const std::string path = prepare(dir, before);
                    EXPECT_EQ(inChild([&] {
                                  FaultyFileSystem crashing(unnamedFiles);
                                  crashing.stopBefore = failAt;
                                  return replaceFile(path, newText, crashing) ? 1 : 2;
                              }),
                              0);
                    const std::string seen =
                        std::filesystem::exists(path) ? fileContents(path) : "nothing";
                    EXPECT_TRUE(seen == newText ||
                                seen == (before == Before::Nothing ? "nothing" : oldText))
                        << "stopped before call " << failAt << ": " << seen;
                }
            }
        }
    }
    ::umask(previousUmask);
    ::sigprocmask(SIG_SETMASK, &previousMask, nullptr);
}

// A symbolic link that another user swaps in for the file between the look at the name and its
// open is not followed: the file it leads to stays as it was.
TEST(ResultsFile, ALinkSwappedInIsNotFollowed) {
    const TempDir dir;
    const std::string path = prepare(dir, Before::File);
    const std::string victim = dir.file("victim", "victim\n");
    FaultyFileSystem swapping;
    swapping.meanwhile = [&](int call) {
        if (swapping.names.back() == "openat" && call > 1) {
            std::filesystem::remove(path);
            std::filesystem::create_symlink("victim", path);
        }
    };
    EXPECT_FALSE(replaceFile(path, newContents, swapping));
    EXPECT_EQ(fileContents(victim), "victim\n");
    EXPECT_TRUE(std::filesystem::is_symlink(path));
}

// What an unprivileged user may write is what the system lets it write: a writable file in a
// directory it may not write, or another user's writable file in a sticky directory, is written
// (and keeps its owner); its own read-only file, or another user's file that it may not write, is
// refused and left as it was, though renaming over it would succeed; so is a new file where it may
// not create one. Its own setuid file keeps its mode, replaced whole or rewritten in place; a file
// it may write but not read is written in place all the same, and a new file in a directory it may
// write but not list is made whole.
TEST(ResultsFile, WritesWhatThisUserMayWriteAndNothingElse) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "acting as a second user needs root";
    }
    const TempDir closed;
    const TempDir open;
    const TempDir sticky;
    const TempDir unlistable; // this user may make files in it, but not list it
    const auto made = [](const TempDir& in, const std::string& name, mode_t mode, uid_t owner) {
        const std::string path = in.file(name, "old\n");
        EXPECT_EQ(::chown(path.c_str(), owner, owner) | ::chmod(path.c_str(), mode), 0);
        return path;
    };
    // A directory of its own inside one it may not write: its files are replaced whole.
    std::filesystem::create_directory(closed.path / "own");
    ASSERT_EQ(::chmod(open.path.c_str(), 0777) | ::chmod(sticky.path.c_str(), 01777) |
                  ::chmod(unlistable.path.c_str(), 0733) |
                  ::chown((closed / "own").c_str(), nobody, nobody),
              0);
    const std::pair<std::string, bool> files[] = {
        {made(closed, "writable", 0666, 0), true},
        {made(sticky, "theirs", 0666, 0), true},
        {made(open, "read-only", 0444, nobody), false},
        {made(open, "not-mine", 0644, 0), false},
        {made(closed, "own/mine", 04750, nobody), true},
        {made(open, "linked", 02750, nobody), true},
        {made(closed, "write-only", 0222, nobody), true},
        {closed / "new", false},
        {unlistable / "new", true},
    };
    ASSERT_EQ(::link(files[5].first.c_str(), (open / "second").c_str()), 0);
    const ino_t mine = statOf(files[4].first).st_ino;
    for (const auto& file : files) {
        const std::string& path = file.first;
        EXPECT_EQ(inChild([&] {
                      return ::setgid(nobody) == 0 && ::setuid(nobody) == 0 &&
                             replaceFile(path, "new\n");
                  }),
                  file.second)
            << path;
    }
    const mode_t modes[] = {0666, 0666, 0444, 0644, 04750, 02750, 0222};
    for (std::size_t k = 0; k < std::size(modes); ++k) {
        const auto& [path, writable] = files[k];
        EXPECT_EQ(fileContents(path), writable ? "new\n" : "old\n") << path;
        EXPECT_EQ(statOf(path).st_uid, k == 0 || k == 1 || k == 3 ? 0u : nobody) << path;
        EXPECT_EQ(statOf(path).st_mode & 07777, modes[k]) << path;
    }
    EXPECT_FALSE(std::filesystem::exists(closed / "new"));
    EXPECT_EQ(fileContents(unlistable / "new"), "new\n");
    EXPECT_NE(statOf(files[4].first).st_ino, mine);
    // Nothing was left behind where a replacement was tried and given up.
    EXPECT_EQ(namesIn(sticky.path), std::set<std::string>{"theirs"});
    EXPECT_EQ(namesIn(closed.path / "own"), std::set<std::string>{"mine"});
}

// A file replaced whole takes no access control list that the directory's default would give it,
// where the old file had none.
TEST(ResultsFile, AReplacedFileTakesNothingOfItsDirectory) {
    const TempDir dir;
    const std::string plain = dir.file("plain", "old\n");
    if (!dress(dir.file("dressed", "")) ||
        ::setxattr(dir.path.c_str(), "system.posix_acl_default", acl, sizeof acl, 0) != 0) {
        GTEST_SKIP() << "this file system or user cannot give a file what the fault loop keeps";
    }
    ASSERT_TRUE(replaceFile(plain, "new\n"));
    EXPECT_EQ(attribute(plain, "system.posix_acl_access"), "");
}

// In a directory that only grows (chattr +a), a new file is made and an old one rewritten in
// place, and no temporary file stays behind.
TEST(ResultsFile, AnAppendOnlyDirectoryKeepsNoTemporaryFile) {
    const TempDir dir;
    const std::string old = dir.file("old.txt", "old\n");
    const int directory = ::open(dir.path.c_str(), O_RDONLY | O_DIRECTORY);
    int flags[2] = {FS_APPEND_FL, 0}; // the kernel reads an int where the command names a long
    if (::ioctl(directory, FS_IOC_SETFLAGS, flags) != 0) {
        ::close(directory);
        GTEST_SKIP() << "this user or file system cannot make a directory append-only";
    }
    const bool written = replaceFile(dir / "new.txt", "new\n") && replaceFile(old, "newer\n");
    flags[0] = 0;
    ::ioctl(directory, FS_IOC_SETFLAGS, flags);
    ::close(directory);
    EXPECT_TRUE(written);
    EXPECT_EQ(fileContents(dir / "new.txt"), "new\n");
    EXPECT_EQ(fileContents(old), "newer\n");
    EXPECT_EQ(namesIn(dir.path), (std::set<std::string>{"new.txt", "old.txt"}));
}

// On a full file system, and under a file-size limit below the new contents, the old file stays as
// it was, whether it is replaced whole or rewritten in place, and the limit kills nothing. A file
// that cannot be renamed over (here it is mounted on) is rewritten in place, where the system says
// which mount it is on; a FIFO in its place is never even opened, which a reader waiting at it
// would notice.
TEST(ResultsFile, FullDisksLimitsMountsAndPipes) {
    const TempDir dir;
    const std::string big(20'000, 'x');
    const std::string mounted = dir.file("mounted", "old\n");
    const int status = inChild([&]() -> int {
        const std::string full = dir / "full";
        std::filesystem::create_directory(full);
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount("none", "/", "none", MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", full.c_str(), "tmpfs", 0, "size=64k") != 0 ||
            ::mount(mounted.c_str(), dir.file("results", "").c_str(), "none", MS_BIND, nullptr) !=
                0) {
            return 77;
        }
        const std::string whole = dir.file("full/whole", "old\n");
        const std::string linked = dir.file("full/linked", "old\n");
        static_cast<void>(dir.file("full/filler", std::string(56 * 1024, 'f')));
        const bool refused = ::link(linked.c_str(), (dir / "full/second").c_str()) == 0 &&
                             !replaceFile(whole, big) && !replaceFile(linked, big) &&
                             !replaceFile(dir / "full/new", big);
        const bool kept = refused && fileContents(whole) == "old\n" &&
                          fileContents(linked) == "old\n" && namesIn(full).size() == 4;
        // Under qemu statx gives every file the same mount: the mounted file then looks
        // replaceable, renaming over it is refused, and so is the write.
        struct statx file {};
        struct statx directory {};
        const bool mountsTold =
            ::statx(AT_FDCWD, (dir / "results").c_str(), 0, STATX_MNT_ID, &file) == 0 &&
            ::statx(AT_FDCWD, dir.path.c_str(), 0, STATX_MNT_ID, &directory) == 0 &&
            file.stx_mnt_id != directory.stx_mnt_id;
        const bool written = replaceFile(dir / "results", "new\n");
        return kept && written == mountsTold ? 1 + static_cast<int>(written) : 0;
    });
    if (status != 77) {
        EXPECT_NE(status, 0);
        EXPECT_EQ(fileContents(mounted), status == 2 ? "new\n" : "old\n");
    }
    const std::string path = dir.file("limited", "old\n");
    // Contents exactly as long as the limit fit it.
    EXPECT_EQ(inChild([&] {
                  const rlimit limit{4, 4};
                  ::setrlimit(RLIMIT_FSIZE, &limit);
                  return !replaceFile(path, big) && replaceFile(path, "new\n") ? 0 : 1;
              }),
              0);
    EXPECT_EQ(fileContents(path), "new\n");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const int reader = ::open((dir / "pipe").c_str(), O_RDONLY | O_NONBLOCK);
    EXPECT_FALSE(replaceFile(dir / "pipe", "new\n"));
    pollfd waiting{reader, POLLIN, 0};
    EXPECT_EQ(::poll(&waiting, 1, 0), 0) << "a writer opened the pipe";
    ::close(reader);
    if (status == 77) {
        GTEST_SKIP() << "this system does not let the test mount file systems of its own";
    }
}

// A writer stopped by Ctrl-C, SIGTERM or SIGHUP at any moment leaves no temporary file behind,
// even where the system cannot make unnamed files and the new file has a name while it is written.
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
                FaultyFileSystem named(false);
                for (bool told = false;; named.names.clear()) {
                    if (replaceFile(path, contents, named) && !std::exchange(told, true) &&
                        ::write(ready[1], "!", 1) != 1) {
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
        EXPECT_EQ(namesIn(dir.path).size(), 1u) << signal;
    }
}

} // namespace
} // namespace komiwojazer
