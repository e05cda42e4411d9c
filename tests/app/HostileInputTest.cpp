// Whatever a user types or loads, the program answers with one of its lines, keeps what it holds
// and goes on.
#include "SessionTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace komiwojazer {
namespace {

using testing::afterBanner;
using testing::runSession;
using testing::TempFile;

int countOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(HostileInput, EveryPromptSurvivesGarbage) {
    const std::string inputs[] = {
        std::string("\0\x01\xff\x7f", 4),
        "1 \x80\x81",
        "1 +",
        "1 --5",
        "1 999999999999999999999999999999",
        "1 -999999999999999999999999999999",
        "4 4294967296 5",
        "4 \t\r\n\v\f",
        "8 \xff\xfe",
        "9 /",
        "55555555555555555555",
        std::string(10000, '9'),
    };
    for (const std::string& input : inputs) {
        const auto session = runSession(input);
        EXPECT_EQ(session.status, 0) << input;
        const std::string& out = session.output;
        EXPECT_TRUE(out.ends_with("przeklad wlasny zespolu komiwojazer)\n\n")) << input;
        EXPECT_EQ(countOf(out, "Konczenie..."), 1) << input;
    }
}

TEST(HostileInput, NumbersWithTrailingGarbageLeaveTheRestAsChoices) {
    const std::string out = afterBanner(runSession("4 12abc 0").output);
    EXPECT_EQ(countOf(out, "Nieprawidlowy wybor\n\n"), 3);
    EXPECT_EQ(countOf(out, "Poprzedni czas pracy TS: "), 1);
}

// The previous instance, a 2-vertex one, must survive every refused file.
void expectRefusedKeepsInstance(const std::string& contents, char choice,
                                const std::string& expectedLine) {
    const TempFile file(contents);
    const std::string out =
        afterBanner(runSession("1 2 " + std::string(1, choice) + " " + file.path + " 2 0").output);
    EXPECT_NE(out.find("Podaj nazwe pliku: +++ MELON MELON MELON +++ " + expectedLine),
              std::string::npos)
        << "file: " << contents << "\n"
        << out;
    EXPECT_EQ(countOf(out, "\t\n"), 2) << contents;
}

TEST(HostileInput, BrokenFilesKeepTheInstance) {
    expectRefusedKeepsInstance("", '8', "Brak klucza DIMENSION: w pliku ");
    expectRefusedKeepsInstance(std::string("\0\0\xff", 3), '9', "Brak klucza DIMENSION: w pliku ");
    expectRefusedKeepsInstance("DIMENSION: 1000000\nEDGE_WEIGHT_FORMAT: FULL_MATRIX\n"
                               "EDGE_WEIGHT_SECTION\n1 2 3\n",
                               '8', "Brak pamieci +++\n");
    expectRefusedKeepsInstance("DIMENSION: 3\nEDGE_WEIGHT_FORMAT: FULL_MATRIX\n", '8',
                               "Brak klucza EDGE_WEIGHT_SECTION w pliku ");
    expectRefusedKeepsInstance("DIMENSION: 3\nEDGE_WEIGHT_TYPE:", '9', "Niekompletny plik ");
    expectRefusedKeepsInstance("DIMENSION: -5x\nEDGE_WEIGHT_TYPE: EUC_2D\n", '9',
                               "Nieprawidlowy wymiar -5x +++\n");
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
        const std::string out = afterBanner(runSession("1 3 8 " + file.path + " 2 0").output);
        EXPECT_EQ(countOf(out, "Wczytano"), 0) << contents;
        EXPECT_EQ(countOf(out, "\t\n"), 3) << contents;
        contents += token + "\n";
    }
    const TempFile whole(contents);
    const std::string out = afterBanner(runSession("1 3 8 " + whole.path + " 2 0").output);
    EXPECT_NE(out.find("Wczytano - liczba wierzcholkow: 2\n\n<menu>\n0\t4\t\n6\t0\t\n\n<menu>\n"),
              std::string::npos)
        << out;
}

TEST(HostileInput, NamesThatAreNotReadableFiles) {
    const TempFile file("DIMENSION: 2\n");
    const std::string directory = file.directory.string();
    std::string out = afterBanner(runSession("1 2 8 " + directory + " 2 0").output);
    EXPECT_NE(out.find("+++ MELON MELON MELON +++ Brak pliku " + directory + " +++\n\n"),
              std::string::npos);
    EXPECT_EQ(countOf(out, "\t\n"), 2);
    if (geteuid() != 0) { // permissions do not bind the superuser
        chmod(file.path.c_str(), 0);
        out = afterBanner(runSession("8 " + file.path + " 0").output);
        EXPECT_NE(out.find("Brak pliku " + file.path + " +++"), std::string::npos);
    }
}

} // namespace
} // namespace komiwojazer
