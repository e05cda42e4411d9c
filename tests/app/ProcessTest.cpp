// The program as a user runs it: a real process, real Ctrl-C, real limits and pipes.
#include "tests/Support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/ioctl.h>
#include <thread>

namespace {

using namespace komiwojazer::testing;

// Whether /proc shows a handler for Ctrl-C in the process.
bool catchesCtrlC(pid_t pid) {
    const std::string status = fileContents("/proc/" + std::to_string(pid) + "/status");
    const std::size_t at = status.find("SigCgt:");
    return at != std::string::npos &&
           (std::stoull(status.substr(at + 7), nullptr, 16) & (1u << (SIGINT - 1))) != 0;
}

struct Launch {
    const char* output = nullptr; // a file for standard output instead of the pipe
    const char* environment = ""; // the program's one environment variable
    int pipeSize = 0;             // the output pipe's capacity, when not 0
};

// A running copy of the program: standard input from a pipe, standard output (unless redirected)
// and standard error into pipes of their own.
class Program {
public:
    explicit Program(const Launch& launch = {}) {
        int pipes[3][2];
        for (auto& ends : pipes) { // only the ends that the program is given survive its exec
            EXPECT_EQ(pipe2(ends, O_CLOEXEC), 0);
        }
        if (launch.pipeSize != 0) {
            EXPECT_EQ(fcntl(pipes[1][1], F_SETPIPE_SZ, launch.pipeSize), launch.pipeSize);
        }
        pid = fork();
        if (pid == 0) {
            dup2(pipes[0][0], STDIN_FILENO);
            dup2(launch.output ? open(launch.output, O_WRONLY) : pipes[1][1], STDOUT_FILENO);
            dup2(pipes[2][1], STDERR_FILENO);
            const char* const environment[] = {launch.environment, nullptr};
            execle(KOMIWOJAZER_PROGRAM, KOMIWOJAZER_PROGRAM, nullptr, environment);
            _exit(127);
        }
        for (const int unused : {pipes[0][0], pipes[1][1], pipes[2][1]}) {
            close(unused);
        }
        toProgram = pipes[0][1];
        fromProgram = pipes[1][0];
        errorsFromProgram = pipes[2][0];
    }
    ~Program() {
        if (!finished) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        for (const int fd : {toProgram, fromProgram, errorsFromProgram}) {
            close(fd);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    void type(const std::string& text) const {
        ASSERT_EQ(write(toProgram, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // Reads the output until text has appeared count times (true) or the output ends (false).
    bool waitFor(const std::string& text, int count = 1) {
        while (countOf(output, text) < count) {
            if (!readMore(fromProgram, output)) {
                return false;
            }
        }
        return true;
    }

    // Stops reading the output, as `komiwojazer | head -1` does.
    void closeOutput() { close(std::exchange(fromProgram, -1)); }
    // Until a handler catches Ctrl-C (the program is inside a long step), ten seconds at most.
    bool waitUntilCatchingCtrlC() const {
        return waitUntil([this] { return catchesCtrlC(pid); });
    }
    // Until the unread output fills the pipe of the given capacity (but for less than one line,
    // which a writer puts in whole), ten seconds at most.
    bool waitUntilOutputFills(int capacity) const {
        return waitUntil([&] {
            int unread = 0;
            return ioctl(fromProgram, FIONREAD, &unread) == 0 && unread > capacity - 64;
        });
    }

    void interrupt() const { kill(pid, SIGINT); }

    // Closes the input, reads the rest of the output and errors and returns the exit status.
    int finish() {
        close(std::exchange(toProgram, -1));
        while (fromProgram >= 0 && readMore(fromProgram, output)) {
        }
        while (readMore(errorsFromProgram, errors)) {
        }
        int status = 0;
        waitpid(pid, &status, 0);
        finished = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string output; // standard output read so far
    std::string errors; // standard error, once finished

private:
    template <typename Test> static bool waitUntil(Test test) {
        for (int tries = 0; tries < 10'000; ++tries) {
            if (test()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
    static bool readMore(int fd, std::string& into) {
        char buffer[4096];
        const ssize_t got = read(fd, buffer, sizeof buffer);
        into.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        return got > 0;
    }

    pid_t pid = -1;
    int toProgram = -1;
    int fromProgram = -1;
    int errorsFromProgram = -1;
    bool finished = false;
};

// Under valgrind, /proc shows valgrind's own signal handlers rather than the program's.
bool underValgrind() {
    const char* preload = std::getenv("LD_PRELOAD");
    return preload != nullptr && std::string(preload).find("vgpreload") != std::string::npos;
}

const std::string interrupted = alarm("Przerwano");

// Ctrl-C ends each long step (a tabu run, branch and bound, a load that never ends, a load among
// its distances, a series) and the session goes on with its instance. At a prompt it ends the
// program.
TEST(Process, CtrlCEndsTheStepInProgress) {
    // This process never catches Ctrl-C; under valgrind or an emulator /proc shows their handlers.
    if (catchesCtrlC(getpid())) {
        GTEST_SKIP() << "/proc shows the handlers of valgrind or an emulator, not the program's";
    }
    Program program;
    // Each step ends at the next prompt, whether Ctrl-C ended it or not.
    const auto interruptAndCount = [&](int prompts, int interruptions) {
        program.interrupt();
        ASSERT_TRUE(program.waitFor("Wybierz: ", prompts));
        EXPECT_EQ(countOf(program.output, interrupted), interruptions);
    };
    program.type("1 60\n4 100\n5\n");
    ASSERT_TRUE(program.waitFor("kryterium: 1000 iteracji\n\n"));
    interruptAndCount(4, 1);
    program.type("6\n");
    ASSERT_TRUE(program.waitUntilCatchingCtrlC());
    interruptAndCount(5, 2);
    program.type("8 /proc/self/pagemap\n");
    ASSERT_TRUE(program.waitUntilCatchingCtrlC());
    interruptAndCount(6, 3);
    // Read in a millisecond, then 18 million distances: the Ctrl-C lands among those.
    const TempDir dir;
    std::string nodes = "DIMENSION: 6000 EDGE_WEIGHT_TYPE: EUC_2D NODE_COORD_SECTION\n";
    for (int k = 0; k < 6000; ++k) {
        nodes += std::to_string(k) + " " + std::to_string(k % 997) + " " + std::to_string(k) + "\n";
    }
    program.type("9 " + dir.file("nodes.tsp", nodes) + "\n");
    ASSERT_TRUE(program.waitUntilCatchingCtrlC());
    interruptAndCount(7, 4);
    program.type("7\n");
    ASSERT_TRUE(program.waitFor("Pomiar 1 [s] (1 z 10 bez dywersyfikacji)...\n"));
    interruptAndCount(8, 5);
    program.type("2\n");
    ASSERT_TRUE(program.waitFor("Wybierz: ", 9));
    program.interrupt();
    EXPECT_EQ(program.finish(), 128 + SIGINT);
    EXPECT_EQ(countOf(program.output.substr(program.output.find("Przerwano")), "\t\n"), 60);
    EXPECT_EQ(countOf(program.output, "Wczytano"), 0);
}

// A Ctrl-C that lands once a run has done its work, while its report waits to be read, loses no
// output and does not carry over: the next run, a second later, runs to its end.
TEST(Process, CtrlCAfterAStepDoesNotStopTheNext) {
    if (underValgrind()) {
        GTEST_SKIP() << "under valgrind the program takes minutes for this instance";
    }
    Program program({.pipeSize = 4096});
    program.type("1 2000\n4 1\n5\n");
    ASSERT_TRUE(program.waitFor("kryterium: 1000 iteracji\n\n"));
    ASSERT_TRUE(program.waitUntilOutputFills(4096));
    program.interrupt();
    program.type("5\n0\n");
    EXPECT_EQ(program.finish(), 0);
    EXPECT_EQ(countOf(program.output.substr(program.output.find("iteracji\n\n")), "\t"), 8004);
    EXPECT_EQ(countOf(program.output, "Dlugosc trasy: "), 2);
    EXPECT_EQ(countOf(program.output, "Przerwano"), 0);
}

// A file whose size the system does not know (here the program's own environment, under /proc)
// is read all the same.
TEST(Process, FilesOfUnknownSizeAreRead) {
    Program program({.environment = "X= DIMENSION: 2 EDGE_WEIGHT_FORMAT: FULL_MATRIX "
                                    "EDGE_WEIGHT_SECTION 0 4 6 0 "});
    program.type("8 /proc/self/environ\n2\n0\n");
    EXPECT_EQ(program.finish(), 0);
    EXPECT_NE(program.output.find("Wczytano - liczba wierzcholkow: 2\n\n"), std::string::npos);
    EXPECT_NE(program.output.find("\n0\t4\t\n6\t0\t\n\n"), std::string::npos);
}

// Output that cannot be written is lost output, not success: on a full device, and when the
// reader of the output goes away, the program runs to its end and exits with status 1 after one
// line on standard error.
TEST(Process, LostOutputIsNotASuccess) {
    const std::string lost =
        "+++ MELON MELON MELON +++ Blad zapisu wyjscia programu, wyjscie utracone +++\n";
    Program full({.output = "/dev/full"});
    full.type("1 3\n2\n0\n");
    EXPECT_EQ(full.finish(), 1);
    EXPECT_EQ(full.errors, lost);

    Program piped;
    ASSERT_TRUE(piped.waitFor("Wybierz: "));
    piped.closeOutput();
    piped.type("1 300\n2\n2\n0\n");
    EXPECT_EQ(piped.finish(), 1);
    EXPECT_EQ(piped.errors, lost);
}

} // namespace
