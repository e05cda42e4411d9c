#include "SessionTestSupport.h"

#include <gtest/gtest.h>

namespace komiwojazer {
namespace {

using namespace komiwojazer::testing;

const std::string farewellText = "Konczenie...\n"
                                 "\"Opowiedz mi, Muzo, o mezu wielu drog, ktory tulal sie dlugo,\n"
                                 "gdy juz zburzyl swiety grod Troi;\n"
                                 "wielu ludzi widzial miasta i poznal ich mysli,\n"
                                 "wiele tez na morzu wycierpial w swym sercu,\n"
                                 "walczac o zycie swoje i o powrot towarzyszy.\"\n"
                                 "(Homer, \"Odyseja\", przeklad wlasny zespolu komiwojazer)\n\n";

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
}

TEST(MenuLoop, EndOfInputAtAnyPromptEndsLikeChoiceZero) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "<menu>\n"},
        {"   \n", "<menu>\n"},
        {"1", "<menu>\nLiczba miast: \n"},
        {"4", "<menu>\nPoprzedni czas pracy TS: 10\nPodaj nowy czas: \n"},
        {"8", "<menu>\nPodaj nazwe pliku: \n"},
        {"9 ", "<menu>\nPodaj nazwe pliku: \n"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(screen(input), expected + farewellText) << "input: " << input;
    }
}

// Counts and stop times outside what the program can hold; a refused count keeps the instance.
TEST(MenuLoop, EntriesBeyondTheirRange) {
    const std::string count = "<menu>\nLiczba miast: \n";
    const std::string noMemory = "+++ MELON MELON MELON +++ Brak pamieci +++\n\n";
    // "12" chooses 1 with the count 2, and "3x" is the count 3 followed by the choice x.
    const std::string out = screen("12 1 -4 1 2147483648 1 99999999999999999999 1 3x 2 0");
    const std::string prefix =
        count + count + "+++ MELON MELON MELON +++ Nieprawidlowa liczba miast +++\n\n" + count +
        noMemory + count + noMemory + count + "<menu>\nNieprawidlowy wybor\n\n<menu>\n";
    EXPECT_EQ(out.substr(0, prefix.size()), prefix);
    EXPECT_EQ(countOf(out, "\t\n"), 3); // the rows of the last instance made
    EXPECT_EQ(screen("4 99999999999 4 -99999999999999999999999 4 0 0"),
              "<menu>\nPoprzedni czas pracy TS: 10\nPodaj nowy czas: \n"
              "<menu>\nPoprzedni czas pracy TS: 2147483647\nPodaj nowy czas: \n"
              "<menu>\nPoprzedni czas pracy TS: -2147483648\nPodaj nowy czas: \n<menu>\n" +
                  farewellText);
}

} // namespace
} // namespace komiwojazer
