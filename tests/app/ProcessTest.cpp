// The program as a user runs it: a real process, a real Ctrl-C, a real address-space limit.
#include "SessionTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using komiwojazer::testing::countOf;

// A running copy of the program with its standard input and output on pipes.
class Program {
public:
    explicit Program(std::uint64_t addressSpaceLimit = 0) {
        int input[2];
        int output[2];
        EXPECT_EQ(pipe(input), 0);
        EXPECT_EQ(pipe(output), 0);
        pid = fork();
        if (pid == 0) {
            dup2(input[0], STDIN_FILENO);
            dup2(output[1], STDOUT_FILENO);
            close(input[1]);
            close(output[0]);
            if (addressSpaceLimit != 0) {
                const rlimit limit{addressSpaceLimit, addressSpaceLimit};
                setrlimit(RLIMIT_AS, &limit);
            }
            execl(KOMIWOJAZER_PROGRAM, KOMIWOJAZER_PROGRAM, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(input[0]);
        close(output[1]);
        toProgram = input[1];
        fromProgram = output[0];
    }
    ~Program() {
        close(toProgram);
        close(fromProgram);
        if (pid > 0 && !finished) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    void type(const std::string& text) const {
        ASSERT_EQ(write(toProgram, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // Reads the output until it holds text (true) or the program ends (false).
    bool waitFor(const std::string& text) {
        char buffer[4096];
        while (output.find(text) == std::string::npos) {
            const ssize_t got = read(fromProgram, buffer, sizeof buffer);
            if (got <= 0) {
                return false;
            }
            output.append(buffer, static_cast<std::size_t>(got));
        }
        return true;
    }

    void interrupt() const { kill(pid, SIGINT); }

    // Closes the input, reads the rest of the output and returns the exit status.
    int finish() {
        close(toProgram);
        toProgram = -1;
        waitFor("\x01never printed");
        int status = 0;
        waitpid(pid, &status, 0);
        finished = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string output;

private:
    pid_t pid = -1;
    int toProgram = -1;
    int fromProgram = -1;
    bool finished = false;
};

// Ctrl-C ends a tabu run with the best route so far, and a branch-and-bound run; the instance and
// the menu stay.
TEST(Process, CtrlCStopsSolverRunsAndKeepsTheInstance) {
    Program program;
    program.type("1 60\n4 100\n5\n");
    ASSERT_TRUE(program.waitFor("Dywersyfikacja wlaczona, kryterium: 1000 iteracji\n\n"));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    program.interrupt();
    ASSERT_TRUE(program.waitFor("+++ MELON MELON MELON +++ Przerwano +++\n\n"));
    ASSERT_TRUE(program.waitFor("Czas wykonania algorytmu [s]: "));
    program.type("6\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    program.interrupt();
    program.type("2\n0\n");
    EXPECT_EQ(program.finish(), 0);
    const std::string after = program.output.substr(program.output.find("Przerwano"));
    EXPECT_NE(after.find("Dlugosc trasy: "), std::string::npos);
    EXPECT_EQ(countOf(after, "Przerwano +++\n\n"), 2);
    EXPECT_EQ(countOf(after, "\t\n"), 60);
    EXPECT_NE(after.find("Konczenie..."), std::string::npos);
}

TEST(Process, CtrlCAtThePromptEndsTheProgram) {
    Program program;
    ASSERT_TRUE(program.waitFor("Wybierz: "));
    program.interrupt();
    EXPECT_EQ(program.finish(), 128 + SIGINT);
}

// Under a lowered address-space limit, a huge instance (generated or promised by a file header)
// and a branch-and-bound queue that outgrows the limit are refused; the process lives on.
TEST(Process, AddressSpaceLimitIsRespected) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
    const std::string file = ::testing::TempDir() + "komiwojazer-huge.atsp";
    std::ofstream(file) << "DIMENSION: 20000\nEDGE_WEIGHT_FORMAT: FULL_MATRIX\n"
                           "EDGE_WEIGHT_SECTION\n0 1 2\n";
    Program program(std::uint64_t{96} << 20);
    program.type("1 70\n1 20000\n8 " + file + "\n6\n2\n0\n");
    EXPECT_EQ(program.finish(), 0);
    std::remove(file.c_str());
    EXPECT_EQ(countOf(program.output, "+++ MELON MELON MELON +++ Brak pamieci +++\n\n"), 3);
    EXPECT_EQ(countOf(program.output, "\t\n"), 70);
}

} // namespace
