#include "tests/app/SessionSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <tuple>
#include <utility>

namespace komiwojazer {
namespace {

using namespace komiwojazer::testing;

// Every screen of a session that visits each choice, byte for byte (run times aside).
TEST(MenuLoop, WholeSessionByteForByte) {
    const TempDir dir;
    const std::string file = dir.file("four.atsp", fourVertexMatrix);
    const std::string noData = "+++ MELON MELON MELON +++ Brak zaladowanych danych +++\n\n";
    const std::string stopTime = "Poprzedni czas pracy TS: ";
    const std::string route = "0\t0\t0\n1\t3\t3\n2\t2\t5\n3\t1\t6\n0\t2\t8\nDlugosc trasy: 8\n\n"
                              "Czas wykonania algorytmu [s]: T\n\n";
    const std::string screens[] = {
        "Nieprawidlowy wybor\n\n",
        "Brak wygenerowanych danych\n\n",
        "Dywersyfikacja TS zostala wylaczona\n\n",
        "Dywersyfikacja TS zostala wlaczona\n\n",
        stopTime + "10\nPodaj nowy czas: \n",
        noData,
        noData,
        noData,
        "Podaj nazwe pliku: Wczytano - liczba wierzcholkow: 4\n\n",
        "0\t3\t5\t9\t\n4\t0\t2\t7\t\n6\t8\t0\t1\t\n2\t5\t4\t0\t\n\n",
        "Kadencja: 40\nCzas zatrzymania algorytmu [s]: 7\n"
        "Dywersyfikacja wlaczona, kryterium: 1000 iteracji\n\n" +
            route,
        route,
        stopTime + "7\nPodaj nowy czas: \n",
        "+++ MELON MELON MELON +++ Blad: Brak Sera! +++ !!!!! +++\n\n",
        farewellText,
    };
    std::string expected = "TRAKT Projekt 2 v1.1\nZespol komiwojazer, 2026\n(MIT)\n"
                           "Uzycie macierzowej reprezentacji grafu\n\n";
    for (const std::string& text : screens) {
        expected += menuText + "\n" + text;
    }
    const Session session = runSession("a 2 3 3 4 7 5 6 7 8 " + file + " 2 5 6 4 0 5 0");
    EXPECT_EQ(withoutTimes(session.output), expected);
    EXPECT_EQ(session.status, 0);
    EXPECT_EQ(session.errors, "");
}

// What each prompt does with what is typed at it; "four" is loaded first where a case needs an
// instance to keep.
TEST(MenuLoop, PromptsTakeOneWordEach) {
    const TempDir dir;
    const std::string four = "8 " + dir.file("four.atsp", fourVertexMatrix) + " ";
    const std::string loaded = "<menu>\nPodaj nazwe pliku: Wczytano - liczba wierzcholkow: 4\n\n";
    const std::string matrix = "<menu>\n0\t3\t5\t9\t\n4\t0\t2\t7\t\n6\t8\t0\t1\t\n2\t5\t4\t0\t\n\n";
    const std::string count = "<menu>\nLiczba miast: \n";
    const auto time = [](const std::string& shown) {
        return "<menu>\nPoprzedni czas pracy TS: " + shown + "\nPodaj nowy czas: \n";
    };
    const std::string badCount = count + alarm("Nieprawidlowa liczba miast");
    const std::string badTime = alarm("Nieprawidlowy czas");
    const std::string wrong = "<menu>\nNieprawidlowy wybor\n\n";
    const std::string noData = "<menu>\nBrak wygenerowanych danych\n\n";
    const std::string end = "<menu>\n" + farewellText;
    const std::string bom = "\xEF\xBB\xBF";
    const std::pair<std::string, std::string> cases[] = {
        // End of input at any prompt ends the program as choice 0 does.
        {"", end},
        {"   \n", end},
        {"1", count + farewellText},
        {"4 ", time("10") + farewellText},
        {"8", "<menu>\nPodaj nazwe pliku: \n" + farewellText},
        {"9 \n", "<menu>\nPodaj nazwe pliku: \n" + farewellText},
        // A word that is no number costs the instance nothing and is consumed whole.
        {four + "1 abc 2", loaded + badCount + matrix + end},
        {four + "1 - 2", loaded + badCount + matrix + end},
        {four + "1 -x 1 +0x 2", loaded + badCount + count + wrong + "<menu>\n\n" + end},
        {four + "1 -4 2", loaded + badCount + matrix + end},
        {"4 abc 4 --3 4 5", time("10") + badTime + time("10") + badTime + time("10") + end},
        // A number ends at its first other character, which the next read takes: "11" chooses 1
        // with the count 1, and "12abc" is the time 12 followed by the choices a, b and c.
        {"4 12abc 4", time("10") + wrong + wrong + wrong + time("12") + farewellText},
        {"11 2", count + "<menu>\n0\t\n\n" + end},
        // A byte order mark at the very start of the input is no choice; elsewhere, or not
        // whole, its bytes are choices of their own.
        {bom + "2", noData + end},
        {bom.substr(0, 2) + "2", wrong + wrong + noData + end},
        {" " + bom, wrong + wrong + wrong + end},
        // Numbers beyond what the setting holds keep its nearest value, also past 64 bits, where
        // 2^64 + 1 must not wrap around to 1.
        {"4 99999999999 4 -99999999999999999999999 4 18446744073709551617 4",
         time("10") + time("2147483647") + time("-2147483648") + time("2147483647") + farewellText},
    };
    for (const auto& [input, expected] : cases) {
        // The end of the input, where every case ends, is a normal end.
        const Session session = runSession(input);
        EXPECT_EQ(session.status, 0) << input;
        EXPECT_EQ(session.errors, "") << input;
        EXPECT_EQ(screen(input), expected) << "input: " << input;
    }
}

// A count that no memory holds is refused before anything is allocated, and the instance stays;
// counts 0 and 1 make graphs without edges (whose route branch and bound reports as empty). An
// instance must fit the least of what the system has free (here 1 KiB: 15 cities but not 16) and
// the cap.
TEST(MenuLoop, CountsAtTheEdges) {
    const std::string count = "<menu>\nLiczba miast: \n";
    const std::string noMemory = alarm("Brak pamieci");
    EXPECT_EQ(screen("1 1 2 1 2147483648 1 99999999999999999999 2 1 0 2 6"),
              count + "<menu>\n0\t\n\n" + count + noMemory + count + noMemory + "<menu>\n0\t\n\n" +
                  count + "<menu>\n\n<menu>\nDlugosc trasy: 0\n\n" +
                  "Czas wykonania algorytmu [s]: T\n\n<menu>\n" + farewellText);
    const TempDir dir;
    // Fifteen cities take 1020 bytes on a 64-bit system, 960 on a 32-bit one.
    const std::uint64_t fifteen = sizeof(void*) == 8 ? 1020 : 960;
    const std::tuple<std::uint64_t, int, bool> cases[] = {
        {fifteen - 1, 15, false}, {2000, 15, true}, {2000, 16, false}};
    for (const auto& [cap, cities, fits] : cases) {
        MenuOptions options = quickOptions(cap);
        options.memory.meminfo = dir.file("meminfo", "MemAvailable: 1 kB\n");
        options.memory.cgroupList = dir / "none";
        EXPECT_EQ(screen("1 " + std::to_string(cities), options),
                  count + (fits ? "" : noMemory) + "<menu>\n" + farewellText)
            << cities << " cities within " << cap;
    }
}

// Choice 1 draws every weight from 1 to 400: with 39,800 draws, every value turns up.
TEST(MenuLoop, RandomInstanceWeighsOneToFourHundred) {
    const std::string head = "<menu>\nLiczba miast: \n<menu>\n";
    std::istringstream cells(screen("1 200 2").substr(head.size()));
    std::set<std::uint32_t> offDiagonal;
    for (std::uint32_t k = 0, weight = 0; k < 200 * 200 && cells >> weight; ++k) {
        if (k / 200 == k % 200) {
            EXPECT_EQ(weight, 0u) << k;
        } else {
            offDiagonal.insert(weight);
        }
    }
    EXPECT_EQ(offDiagonal.size(), 400u);
    EXPECT_EQ(*offDiagonal.begin(), 1u);
    EXPECT_EQ(*offDiagonal.rbegin(), 400u);
}

} // namespace
} // namespace komiwojazer
