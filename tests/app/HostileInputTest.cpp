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
        const auto session = runSession(input);
        EXPECT_EQ(session.status, 0) << input;
        EXPECT_TRUE(session.output.ends_with("przeklad wlasny zespolu komiwojazer)\n\n")) << input;
        EXPECT_EQ(countOf(session.output, "Konczenie..."), 1) << input;
    }
}

TEST(HostileInput, FileCutAtAnyTokenIsRefusedUntilItIsWhole) {
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
        const TempFile file(contents);
        const std::string out = screen("1 3 8 " + file.path + " 2 0");
        EXPECT_EQ(countOf(out, "Wczytano"), 0) << contents;
        EXPECT_EQ(countOf(out, "\t\n"), 3) << contents;
        contents += token + "\n";
    }
    const TempFile whole(contents);
    EXPECT_NE(screen("1 3 8 " + whole.path + " 2 0")
                  .find("Wczytano - liczba wierzcholkow: 2\n\n<menu>\n0\t4\t\n6\t0\t\n\n<menu>\n"),
              std::string::npos);
}

} // namespace
} // namespace komiwojazer
