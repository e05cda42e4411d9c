// The program as a user runs it: a real process, real Ctrl-C, real limits and pipes.
#include "tests/Support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <thread>

namespace {

using namespace komiwojazer::testing;

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
    const char* directory = ".";  // the program's working directory
    rlim_t fileSizeLimit = RLIM_INFINITY;
    std::function<void()> setUp{}; // run in the program's process before it starts
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
            const rlimit limit{launch.fileSizeLimit, launch.fileSizeLimit};
            if (chdir(launch.directory) != 0 ||
                (limit.rlim_cur != RLIM_INFINITY && setrlimit(RLIMIT_FSIZE, &limit) != 0)) {
                _exit(126);
            }
            if (launch.setUp) {
                launch.setUp();
            }
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
        if (pid > 0) {
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

    // Reads the output until text has appeared count times (true), or the output ends or stays
    // silent for ten seconds (false).
    bool waitFor(const std::string& text, int count = 1) {
        pollfd ready{fromProgram, POLLIN, 0};
        while (countOf(output, text) < count && ::poll(&ready, 1, 10'000) > 0 &&
               readMore(fromProgram, output)) {
        }
        return countOf(output, text) >= count;
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

    int finish() {
        close(std::exchange(toProgram, -1));
        while (fromProgram >= 0 && readMore(fromProgram, output)) {
        }
        while (readMore(errorsFromProgram, errors)) {
        }
        int status = 0;
        waitpid(std::exchange(pid, -1), &status, 0);
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
};

const std::string interrupted = alarm("Przerwano");

// Ctrl-C sent to the program ends each long step that in-process tests cannot interrupt with a real
// signal (branch and bound, a load among its distances, a large instance being generated or
// printed, a tabu search, whose settings are all seen while it runs), and the session goes on with
// its instance.
TEST(Process, CtrlCEndsTheStepInProgress) {
    // This process never catches Ctrl-C; under valgrind or an emulator /proc shows their handlers.
    if (catchesCtrlC(getpid())) {
        GTEST_SKIP() << "/proc shows the handlers of valgrind or an emulator, not the program's";
    }
    // Read in a millisecond, then 18 million distances: the Ctrl-C lands among those.
    const TempDir dir;
    std::string nodes = "DIMENSION: 6000 EDGE_WEIGHT_TYPE: EUC_2D NODE_COORD_SECTION\n";
    for (int k = 0; k < 6000; ++k) {
        nodes += std::to_string(k) + " " + std::to_string(k % 997) + " " + std::to_string(k) + "\n";
    }
    // Each step is under way once the program catches Ctrl-C and shows what it says first, and
    // ends at the next prompt.
    const std::pair<std::string, std::string> steps[] = {
        {"6\n", ""},
        {"9 " + dir.file("nodes.tsp", nodes) + "\n", ""},
        {"1 15000\n", ""},
        {"5\n", "kryterium: 1000 iteracji\n\n"}};
    Program program;
    // The instance is made before the first step, so that no Ctrl-C can land in its making.
    program.type("1 60\n4 1000\n");
    ASSERT_TRUE(program.waitFor("Wybierz: ", 3));
    for (int k = 0; k < static_cast<int>(std::size(steps)); ++k) {
        const auto& [typed, shownFirst] = steps[k];
        program.type(typed);
        ASSERT_TRUE(program.waitFor(shownFirst));
        ASSERT_TRUE(program.waitUntilCatchingCtrlC());
        program.interrupt();
        ASSERT_TRUE(program.waitFor("Wybierz: ", k + 4));
        EXPECT_EQ(countOf(program.output, interrupted), k + 1) << typed;
    }
    program.type("2\n0\n");
    EXPECT_EQ(program.finish(), 0);
    EXPECT_EQ(countOf(program.output.substr(program.output.rfind("Przerwano")), "\t\n"), 60);
    EXPECT_EQ(countOf(program.output, "Wczytano"), 0);

    // A matrix of 3000 rows fills the output pipe long before its end.
    Program printing;
    printing.type("1 3000\n");
    ASSERT_TRUE(printing.waitFor("Wybierz: ", 2));
    printing.type("2\n");
    ASSERT_TRUE(printing.waitUntilCatchingCtrlC());
    printing.interrupt();
    ASSERT_TRUE(printing.waitFor("Wybierz: ", 3));
    EXPECT_NE(printing.output.find("\t\n" + interrupted + "1 - wygeneruj"), std::string::npos);
    EXPECT_LT(countOf(printing.output, "\t\n"), 3000);
    printing.type("0\n");
    EXPECT_EQ(printing.finish(), 0);
}

// Ctrl-C at any prompt ends the program, as it ends any program that waits for its input, also
// once a step has caught it and given back the handling it replaced.
TEST(Process, CtrlCAtAPromptEndsTheProgram) {
    for (const auto& [typed, prompt, count] : {std::tuple{"", "Wybierz: ", 1},
                                               {"1\n", "Liczba miast: ", 1},
                                               {"4\n", "Podaj nowy czas: ", 1},
                                               {"8\n", "Podaj nazwe pliku: ", 1},
                                               {"9\n", "Podaj nazwe pliku: ", 1},
                                               {"1 3\n2\n", "Wybierz: ", 3}}) {
        Program program;
        program.type(typed);
        ASSERT_TRUE(program.waitFor(prompt, count));
        program.interrupt();
        EXPECT_EQ(program.finish(), 128 + SIGINT) << prompt;
    }
}

// A program started with Ctrl-C ignored, as a script's background job is, keeps it ignored: a
// search runs to its end and a prompt waits on.
TEST(Process, IgnoredCtrlCStaysIgnored) {
    Program program({.setUp = [] { std::signal(SIGINT, SIG_IGN); }});
    program.type("1 20\n4 1\n5\n");
    ASSERT_TRUE(program.waitFor("kryterium: 1000 iteracji\n\n"));
    program.interrupt();
    ASSERT_TRUE(program.waitFor("Wybierz: ", 4));
    program.interrupt();
    program.type("0\n");
    EXPECT_EQ(program.finish(), 0);
    EXPECT_EQ(countOf(program.output, "Dlugosc trasy: "), 1);
    EXPECT_EQ(countOf(program.output, "Przerwano"), 0);
}

// A Ctrl-C that lands once a run has done its work, while its report waits to be read, loses no
// output and does not carry over: the next run, a second later, runs to its end.
TEST(Process, CtrlCAfterAStepDoesNotStopTheNext) {
    // This process never catches Ctrl-C; valgrind and emulators do, and are too slow here.
    if (catchesCtrlC(getpid())) {
        GTEST_SKIP() << "under valgrind or an emulator the program takes minutes for this instance";
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

// What only a real process reads: a file whose size the system does not know (here the program's
// own environment, under /proc) is read all the same, and a byte 0xFF at the start of the input,
// which a signed char would turn into its end, is a key like any other.
TEST(Process, FilesOfUnknownSizeAndInputOfAnyByte) {
    Program program({.environment = "X= DIMENSION: 2 EDGE_WEIGHT_FORMAT: FULL_MATRIX "
                                    "EDGE_WEIGHT_SECTION 0 4 6 0 "});
    program.type("\xFF"
                 "8 /proc/self/environ\n2\n0\n");
    EXPECT_EQ(program.finish(), 0);
    EXPECT_EQ(countOf(program.output, "Nieprawidlowy wybor\n"), 1);
    EXPECT_NE(program.output.find("Wczytano - liczba wierzcholkow: 2\n\n"), std::string::npos);
    EXPECT_NE(program.output.find("\n0\t4\t\n6\t0\t\n\n"), std::string::npos);
}

// A file-size limit on the results file: the series shows its five lines instead, the old file
// stays byte for byte, and the menu carries on.
TEST(Process, ASeriesUnderAFileSizeLimitShowsItsResults) {
    const TempDir dir;
    const std::string old = dir.file("wyniki-komiwojazer-ts.txt", "the results of yesterday\n");
    // Less than the 91 bytes that the results of three cities take at the least, and room for
    // the program's command line, which valgrind writes to a file of its own.
    Program program({.directory = dir.path.c_str(), .fileSizeLimit = 90});
    // Three cities: every run ends at once.
    program.type("1 3\n7\n0\n");
    EXPECT_EQ(program.finish(), 0);
    const std::size_t shown = program.output.find(
        "Zapis wynikow...\nczas - bez dywersyfikacji - z dywersyfikacja\n1 [s]: ");
    ASSERT_NE(shown, std::string::npos) << program.output;
    EXPECT_NE(program.output.find("\n15 [s]: ", shown), std::string::npos);
    EXPECT_NE(program.output.find(
                  alarm("Blad zapisu pliku wyniki-komiwojazer-ts.txt") + "1 - wygeneruj", shown),
              std::string::npos);
    EXPECT_EQ(fileContents(old), "the results of yesterday\n");
}

// Output that cannot be written is lost output, not success: past a file-size limit, and when the
// reader of the output goes away (neither may kill the program), the program runs to its end and
// exits with status 1 after one line on standard error; a series still writes its file. So is
// input that cannot be read.
TEST(Process, LostOutputIsNotASuccess) {
    const std::string lost =
        "+++ MELON MELON MELON +++ Blad zapisu wyjscia programu, wyjscie utracone +++\n";
    const TempDir dir;
    const std::string shown = dir.file("shown.txt", "");
    Program limited({.output = shown.c_str(), .fileSizeLimit = 100});
    limited.type("1 3\n2\n0\n");
    EXPECT_EQ(limited.finish(), 1);
    EXPECT_EQ(limited.errors, lost);
    EXPECT_EQ(fileContents(shown).size(), 100u);

    Program unreadable({.setUp = [] {
        const int directory = open("/", O_RDONLY | O_DIRECTORY);
        dup2(directory, STDIN_FILENO);
    }});
    EXPECT_EQ(unreadable.finish(), 1);
    EXPECT_EQ(unreadable.errors, "+++ MELON MELON MELON +++ Blad odczytu wejscia programu +++\n");
    EXPECT_EQ(unreadable.output.substr(unreadable.output.rfind("Wybierz: ")),
              "Wybierz: \nKonczenie...\n" +
                  unreadable.output.substr(unreadable.output.find("\"Opowiedz")));

    // Lost output loses nothing else: a series still writes its file.
    Program piped({.directory = dir.path.c_str()});
    ASSERT_TRUE(piped.waitFor("Wybierz: "));
    piped.closeOutput();
    piped.type("1 3\n2\n7\n0\n");
    EXPECT_EQ(piped.finish(), 1);
    EXPECT_EQ(piped.errors, lost);
    EXPECT_EQ(countOf(fileContents(dir / "wyniki-komiwojazer-ts.txt"), "\n"), 5);
}

} // namespace
