// Whatever a user types or loads, the program answers with one of its lines, keeps what it holds
// and goes on.
#include "SessionTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utility>
#include <vector>

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

// Every load answers with its one line, and a refused one leaves the instance in place. "@" in a
// line stands for the name as typed.
TEST(HostileInput, EveryLoadHasItsLineAndRefusalsKeepTheInstance) {
    const TempDir dir;
    ASSERT_EQ(::mkfifo((dir.path / "pipe").c_str(), 0600), 0);
    const std::pair<std::string, std::string> files[] = {
        {"9 DIMENSION: 3 EDGE_WEIGHT_TYPE: EUC_2D NODE_COORD_SECTION 1 0 0 2 3 4 3 0 4",
         "Wczytano - liczba wierzcholkow: 3"},
        {"8 DIMENSION: 2 EDGE_WEIGHT_FORMAT: LOWER_DIAG_ROW",
         "Nieobslugiwany format LOWER_DIAG_ROW"},
        {"9 " + fourVertexMatrix, "Nieobslugiwany format EXPLICIT"},
        {"9 DIMENSION : 3\nEDGE_WEIGHT_TYPE : EUC_2D\n", "Brak klucza DIMENSION: w pliku @"},
        {"8 DIMENSION: 3 EDGE_WEIGHT_FORMAT: FULL_MATRIX",
         "Brak klucza EDGE_WEIGHT_SECTION w pliku @"},
        {"8 DIMENSION: 3 EDGE_WEIGHT_FORMAT: FULL_MATRIX EDGE_WEIGHT_SECTION 0 1",
         "Niekompletny plik @"},
        {"9 DIMENSION: -5x EDGE_WEIGHT_TYPE: EUC_2D NODE_COORD_SECTION",
         "Nieprawidlowy wymiar -5x"},
        // Too short for its million-vertex matrix, whatever memory is free.
        {"8 DIMENSION: 1000000 EDGE_WEIGHT_FORMAT: FULL_MATRIX EDGE_WEIGHT_SECTION 1 2 3",
         "Niekompletny plik @"},
    };
    std::vector<std::pair<std::string, std::string>> loads; // what is typed, and the line
    for (const auto& [file, line] : files) {
        const std::string name =
            dir.file("instance" + std::to_string(loads.size()), file.substr(2));
        loads.emplace_back(file.substr(0, 2) + name, line);
    }
    // Names of no readable file: the line shows the name, without a NUL byte, which would end it.
    std::filesystem::create_directories(dir.path / "directory");
    const std::string real = dir.file("real.atsp", fourVertexMatrix);
    for (const std::string& path : {(dir.path / "directory").string(), (dir.path / "pipe").string(),
                                    (dir.path / "absent").string(), real + '\0' + "x"}) {
        std::string shown = path;
        std::erase(shown, '\0');
        loads.emplace_back("8 " + path, "Brak pliku " + shown);
    }
    for (const auto& [typed, line] : loads) {
        std::string expected =
            line.starts_with("Wczytano") ? line : "+++ MELON MELON MELON +++ " + line + " +++";
        if (const std::size_t at = expected.find('@'); at != std::string::npos) {
            expected.replace(at, 1, typed.substr(2));
        }
        const std::string out = screen("1 2 " + typed + " 2 0");
        EXPECT_NE(out.find("Podaj nazwe pliku: " + expected + "\n\n<menu>\n"), std::string::npos)
            << out;
        EXPECT_EQ(countOf(out, "\t\n"), line.starts_with("Wczytano") ? 3 : 2) << line;
    }
    // A name too long for the memory left is refused like a file too large, and the session goes
    // on.
    MenuOptions options = quickOptions();
    options.memoryCapBytes = 4000;
    EXPECT_TRUE(
        screen("8 " + std::string(5000, 'x') + " 2 0", options)
            .starts_with("<menu>\nPodaj nazwe pliku: +++ MELON MELON MELON +++ Brak pamieci "
                         "+++\n\n<menu>\nBrak wygenerowanych danych\n\n<menu>\n"));
}

} // namespace
} // namespace komiwojazer
