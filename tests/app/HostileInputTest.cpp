// Whatever a user types or loads, the program answers with one of its lines, keeps what it holds
// and goes on.
#include "SessionTestSupport.h"

#include <gtest/gtest.h>

namespace komiwojazer {
namespace {

using namespace komiwojazer::testing;

TEST(HostileInput, EveryPromptSurvivesGarbage) {
    const std::string inputs[] = {
        std::string("\0\x01\xff\x7f", 4),
        "1 \x80\x81",
        "1 +",
        "1 --5",
        "1 -999999999999999999999999999999",
        "4 4294967296 5",
        "4 \t\r\n\v\f",
        "8 \xff\xfe",
        "9 /",
        "4 12abc",
        std::string(10000, '9'),
    };
    for (const std::string& input : inputs) {
        const Session session = runSession(input);
        EXPECT_EQ(session.status, 0) << input;
        EXPECT_TRUE(session.output.ends_with("przeklad wlasny zespolu komiwojazer)\n\n")) << input;
        EXPECT_EQ(countOf(session.output, "Konczenie..."), 1) << input;
    }
}

TEST(HostileInput, FileCutAtAnyTokenIsRefusedUntilItIsWhole) {
    const TempDir dir;
    const std::string tokens[] = {"NAME:",
                                  "cut",
                                  "DIMENSION:",
                                  "2",
                                  "EDGE_WEIGHT_FORMAT:",
                                  "FULL_MATRIX",
                                  "EDGE_WEIGHT_SECTION",
                                  "0",
                                  "4",
                                  "6",
                                  "0"};
    std::string contents;
    for (const std::string& token : tokens) {
        const std::string out = screen("1 3 8 " + dir.file("cut.atsp", contents) + " 2 0");
        EXPECT_EQ(countOf(out, "Wczytano"), 0) << contents;
        EXPECT_EQ(countOf(out, "\t\n"), 3) << contents;
        contents += token + "\n";
    }
    EXPECT_NE(screen("1 3 8 " + dir.file("whole.atsp", contents) + " 2 0")
                  .find("Wczytano - liczba wierzcholkow: 2\n\n<menu>\n0\t4\t\n6\t0\t\n\n<menu>\n"),
              std::string::npos);
}

// A name that cannot be held is refused like a file too large, and the session goes on; a name
// with a NUL byte names no file, and the line shows it without the NUL.
TEST(HostileInput, FileNamesTooLongOrWithANulByte) {
    MenuOptions options = quickOptions();
    options.memoryCapBytes = 4000;
    EXPECT_EQ(screen("8 " + std::string(5000, 'x') + " 2 0", options).substr(0, 96),
              "<menu>\nPodaj nazwe pliku: +++ MELON MELON MELON +++ Brak pamieci +++\n\n"
              "<menu>\nBrak wygenerowanych");
    const TempDir dir;
    const std::string file = dir.file("four.atsp", fourVertexMatrix);
    EXPECT_NE(screen("8 " + file + std::string(1, '\0') + "x 0")
                  .find("+++ MELON MELON MELON +++ Brak pliku " + file + "x +++\n\n"),
              std::string::npos);
}

} // namespace
} // namespace komiwojazer
