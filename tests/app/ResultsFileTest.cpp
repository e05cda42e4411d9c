#include "app/ResultsFile.h"

#include "SessionTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace komiwojazer {
namespace {

using namespace komiwojazer::testing;

// Two writers replacing the same file over and over while it is read: every read finds one
// writer's whole contents, never a mix or a cut. The file keeps its permissions.
TEST(ResultsFile, ReadersSeeAWholeFileWhateverWritersDo) {
    const TempDir dir;
    const std::string path = dir.file("results.txt", "old\n");
    ::chmod(path.c_str(), 0640);
    const std::string contents[] = {std::string(3000, 'a') + "\n", std::string(5000, 'b') + "\n"};
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = fork();
        if (writers[w] == 0) {
            for (int k = 0; k < 300; ++k) {
                if (!replaceFile(path, contents[w])) {
                    _exit(1);
                }
            }
            _exit(0);
        }
    }
    int mixed = 0;
    for (int k = 0; k < 2000; ++k) {
        const std::string seen = fileContents(path);
        mixed += seen != "old\n" && seen != contents[0] && seen != contents[1];
    }
    for (const pid_t writer : writers) {
        int status = -1;
        waitpid(writer, &status, 0);
        EXPECT_EQ(status, 0);
    }
    EXPECT_EQ(mixed, 0);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
}

} // namespace
} // namespace komiwojazer
