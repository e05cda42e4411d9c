#include "SessionTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace komiwojazer {
namespace {

using namespace komiwojazer::testing;

const std::string farewellText = "Konczenie...\n"
                                 "\"Opowiedz mi, Muzo, o mezu wielu drog, ktory tulal sie dlugo,\n"
                                 "gdy juz zburzyl swiety grod Troi;\n"
                                 "wielu ludzi widzial miasta i poznal ich mysli,\n"
                                 "wiele tez na morzu wycierpial w swym sercu,\n"
                                 "walczac o zycie swoje i o powrot towarzyszy.\"\n"
                                 "(Homer, \"Odyseja\", przeklad wlasny zespolu komiwojazer)\n"
                                 "\n";

// The rows of the matrix that choice 2 prints, checking that every cell ends with a tab.
std::vector<std::vector<long>> matrixIn(const std::string& text) {
    std::vector<std::vector<long>> rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line) && !line.empty();) {
        EXPECT_EQ(line.back(), '\t');
        std::istringstream cells(line);
        rows.emplace_back();
        for (long cell = 0; cells >> cell;) {
            rows.back().push_back(cell);
        }
    }
    return rows;
}

// The matrix printed after the given screen prefix, which the screen must start with.
std::vector<std::vector<long>> matrixAfter(const std::string& text, const std::string& prefix) {
    EXPECT_EQ(text.substr(0, prefix.size()), prefix);
    return matrixIn(text.substr(std::min(prefix.size(), text.size())));
}

TEST(MenuLoop, StartAndImmediateEndPrintEveryByte) {
    const auto session = runSession("0\n");
    EXPECT_EQ(session.status, 0);
    EXPECT_EQ(session.output, "TRAKT Projekt 2 v1.1\nZespol komiwojazer, 2026\n(MIT)\n"
                              "Uzycie macierzowej reprezentacji grafu\n\n" +
                                  menuText + "\n" + farewellText);
}

TEST(MenuLoop, SettingsAreToggledAndReplaced) {
    EXPECT_EQ(screen("3 3 4 7 4 99999999999 4 -99999999999999999999999 4 0 0"),
              "<menu>\nDywersyfikacja TS zostala wylaczona\n\n"
              "<menu>\nDywersyfikacja TS zostala wlaczona\n\n"
              "<menu>\nPoprzedni czas pracy TS: 10\nPodaj nowy czas: \n"
              "<menu>\nPoprzedni czas pracy TS: 7\nPodaj nowy czas: \n"
              // Entries beyond 32 bits keep the nearest value the setting can hold.
              "<menu>\nPoprzedni czas pracy TS: 2147483647\nPodaj nowy czas: \n"
              "<menu>\nPoprzedni czas pracy TS: -2147483648\nPodaj nowy czas: \n<menu>\n" +
                  farewellText);
}

TEST(MenuLoop, ChoicesNeedingAnInstanceAreRefusedWithoutOne) {
    const std::string refusal = "+++ MELON MELON MELON +++ Brak zaladowanych danych +++\n\n";
    EXPECT_EQ(screen("2 4 0 5 6 7 0"), "<menu>\nBrak wygenerowanych danych\n\n"
                                       "<menu>\nPoprzedni czas pracy TS: 10\nPodaj nowy czas: \n"
                                       "<menu>\n" +
                                           refusal + "<menu>\n" + refusal + "<menu>\n" + refusal +
                                           "<menu>\n" + farewellText);
}

TEST(MenuLoop, CharactersAreReadOneAtATime) {
    // "12" chooses 1 and answers its count with 2; "3x" is a count of 3, then the choice x.
    const auto rows =
        matrixAfter(screen("a\n12\n2\n1 3x 0"),
                    "<menu>\nNieprawidlowy wybor\n\n<menu>\nLiczba miast: \n<menu>\n");
    EXPECT_EQ(rows.size(), 2u);
    EXPECT_EQ(countOf(screen("1 3x 0"), "Nieprawidlowy wybor\n\n<menu>\n"), 1);
}

TEST(MenuLoop, OnlyAcceptedCountsReplaceTheInstance) {
    const std::string count = "<menu>\nLiczba miast: \n";
    const auto rows = matrixAfter(
        screen("1 3 1 7 1 -4 1 1000000 1 99999999999999999999 2 0"),
        count + count + count + "+++ MELON MELON MELON +++ Nieprawidlowa liczba miast +++\n\n" +
            count + "+++ MELON MELON MELON +++ Brak pamieci +++\n\n" + count +
            "+++ MELON MELON MELON +++ Brak pamieci +++\n\n<menu>\n");
    // The second instance, complete with weights 1..400 off the diagonal.
    ASSERT_EQ(rows.size(), 7u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 7u);
        for (std::size_t j = 0; j < rows.size(); ++j) {
            EXPECT_TRUE(i == j ? rows[i][j] == 0 : rows[i][j] >= 1 && rows[i][j] <= 400);
        }
    }
    EXPECT_EQ(screen("1 0 2 0"), count + "<menu>\n\n<menu>\n" + farewellText);
    EXPECT_EQ(screen("1 1 2 0"), count + "<menu>\n0\t\n\n<menu>\n" + farewellText);
}

TEST(MenuLoop, EndOfInputAtAnyPromptEndsLikeChoiceZero) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "<menu>\n"},
        {"   \n", "<menu>\n"},
        {"1", "<menu>\nLiczba miast: \n"},
        {"1 abc", "<menu>\nLiczba miast: \n"},
        {"1 -", "<menu>\nLiczba miast: \n"},
        {"4 x5", "<menu>\nPoprzedni czas pracy TS: 10\nPodaj nowy czas: \n"},
        {"8", "<menu>\nPodaj nazwe pliku: \n"},
        {"9 ", "<menu>\nPodaj nazwe pliku: \n"},
    };
    for (const auto& [input, expected] : cases) {
        const auto session = runSession(input);
        EXPECT_EQ(session.status, 0) << input;
        EXPECT_EQ(afterBanner(session.output), expected + farewellText) << "input: " << input;
    }
}

} // namespace
} // namespace komiwojazer
