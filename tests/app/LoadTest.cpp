// Choices 8 and 9 as the user sees them: every file gets its one line, and a refused one leaves the
// instance in place.
#include "tests/app/SessionSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <utility>
#include <vector>

namespace komiwojazer {
namespace {

using namespace komiwojazer::testing;

// "@" in a line stands for the name as typed.
TEST(Load, EveryFileHasItsLineAndRefusalsKeepTheInstance) {
    const TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const std::pair<std::string, std::string> files[] = {
        {"9 DIMENSION: 3 EDGE_WEIGHT_TYPE: EUC_2D NODE_COORD_SECTION 1 0 0 2 3 4 3 0 4",
         "Wczytano - liczba wierzcholkow: 3"},
        {"8 DIMENSION: 2 EDGE_WEIGHT_FORMAT: FULL_MATRIX EDGE_WEIGHT_SECTION 0 1 1 0",
         "Wczytano - liczba wierzcholkow: 2"},
        {"8 DIMENSION: 2 EDGE_WEIGHT_FORMAT: LOWER_DIAG_ROW",
         "Nieobslugiwany format LOWER_DIAG_ROW"},
        {"9 DIMENSION : 3\nEDGE_WEIGHT_TYPE : EUC_2D\n", "Brak klucza DIMENSION: w pliku @"},
        {"8 DIMENSION: 3 EDGE_WEIGHT_FORMAT: FULL_MATRIX EDGE_WEIGHT_SECTION 0 1",
         "Niekompletny plik @"},
        {"9 DIMENSION: -5x EDGE_WEIGHT_TYPE: EUC_2D NODE_COORD_SECTION",
         "Nieprawidlowy wymiar -5x"},
    };
    std::vector<std::pair<std::string, std::string>> loads; // what is typed, and the line
    for (const auto& [file, line] : files) {
        const std::string name = dir.file(std::to_string(loads.size()), file.substr(2));
        loads.emplace_back(file.substr(0, 2) + name, line);
    }
    // Names of no readable file: the line shows the name, without a NUL byte, which would end it.
    std::filesystem::create_directories(dir.path / "directory");
    const std::string real = dir.file("real.atsp", fourVertexMatrix);
    for (const std::string& path :
         {dir / "directory", dir / "pipe", dir / "absent", real + '\0' + "x"}) {
        std::string shown = path;
        std::erase(shown, '\0');
        loads.emplace_back("8 " + path, "Brak pliku " + shown);
    }
    for (const auto& [typed, line] : loads) {
        const bool loaded = line.starts_with("Wczytano");
        std::string expected = loaded ? line + "\n\n" : alarm(line);
        if (const std::size_t at = expected.find('@'); at != std::string::npos) {
            expected.replace(at, 1, typed.substr(2));
        }
        const std::string out = screen("1 2 " + typed + " 2");
        EXPECT_NE(out.find("Podaj nazwe pliku: " + expected + "<menu>\n"), std::string::npos)
            << out;
        EXPECT_EQ(countOf(out, "\t\n"), loaded ? std::stoi(line.substr(32)) : 2) << line;
    }
}

// A name may take a quarter of the memory a load has: 1000 characters of 4000 bytes, not 1001.
// With 16 GiB free, a quarter is 4 GiB, which a 32-bit size_t once cut to none.
TEST(Load, FileNameWithinAQuarterOfTheMemory) {
    const TempDir dir;
    MenuOptions options = quickOptions(4000);
    for (const std::size_t length : {1000, 1001, 1}) {
        if (length == 1) {
            options.memoryCapBytes = saturatedBytes;
            options.memory.meminfo = dir.file("meminfo", "MemAvailable: 16777216 kB\n");
            options.memory.cgroupList = dir / "none";
        }
        const std::string name(length, 'x');
        EXPECT_EQ(screen("8 " + name + " 2", options),
                  "<menu>\nPodaj nazwe pliku: " +
                      alarm(length != 1001 ? "Brak pliku " + name : "Brak pamieci") +
                      "<menu>\nBrak wygenerowanych danych\n\n<menu>\n" + farewellText);
    }
}

} // namespace
} // namespace komiwojazer
