#include "SessionTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace komiwojazer {
namespace {

using testing::afterBanner;
using testing::farewellOf;
using testing::menuText;
using testing::runSession;

const std::string farewellText = "Konczenie...\n"
                                 "\"Opowiedz mi, Muzo, o mezu wielu drog, ktory tulal sie dlugo,\n"
                                 "gdy juz zburzyl swiety grod Troi;\n"
                                 "wielu ludzi widzial miasta i poznal ich mysli,\n"
                                 "wiele tez na morzu wycierpial w swym sercu,\n"
                                 "walczac o zycie swoje i o powrot towarzyszy.\"\n"
                                 "(Homer, \"Odyseja\", przeklad wlasny zespolu komiwojazer)\n"
                                 "\n";

// Parses the matrix that choice 2 prints: rows of tab-terminated numbers.
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

TEST(MenuLoop, StartAndImmediateEndPrintEveryByte) {
    const auto session = runSession("0\n");
    EXPECT_EQ(session.status, 0);
    EXPECT_EQ(session.output, "TRAKT Projekt 2 v1.1\n"
                              "Zespol komiwojazer, 2026\n"
                              "(MIT)\n"
                              "Uzycie macierzowej reprezentacji grafu\n"
                              "\n" +
                                  menuText + "\n" + farewellText);
}

TEST(MenuLoop, SettingsAreToggledAndReplaced) {
    const auto session = runSession("3 3 4 7 4 -3 0");
    EXPECT_EQ(afterBanner(session.output), "<menu>\n"
                                           "Dywersyfikacja TS zostala wylaczona\n\n"
                                           "<menu>\n"
                                           "Dywersyfikacja TS zostala wlaczona\n\n"
                                           "<menu>\n"
                                           "Poprzedni czas pracy TS: 10\n"
                                           "Podaj nowy czas: \n"
                                           "<menu>\n"
                                           "Poprzedni czas pracy TS: 7\n"
                                           "Podaj nowy czas: \n"
                                           "<menu>\n" +
                                               farewellText);
}

TEST(MenuLoop, StopTimesBeyondThirtyTwoBitsKeepTheNearestValue) {
    const auto session = runSession("4 99999999999 4 -99999999999999999999999 4 5 0");
    const std::string out = afterBanner(session.output);
    EXPECT_NE(out.find("Poprzedni czas pracy TS: 2147483647\n"), std::string::npos);
    EXPECT_NE(out.find("Poprzedni czas pracy TS: -2147483648\n"), std::string::npos);
}

TEST(MenuLoop, ChoicesNeedingAnInstanceAreRefusedWithoutOne) {
    const auto session = runSession("2 4 0 5 6 7 0");
    const std::string refusal = "+++ MELON MELON MELON +++ Brak zaladowanych danych +++\n\n";
    EXPECT_EQ(afterBanner(session.output),
              "<menu>\nBrak wygenerowanych danych\n\n"
              "<menu>\nPoprzedni czas pracy TS: 10\nPodaj nowy czas: \n"
              "<menu>\n" +
                  refusal + "<menu>\n" + refusal + "<menu>\n" + refusal + "<menu>\n" +
                  farewellText);
}

TEST(MenuLoop, UnknownCharactersAreRefusedAndDigitsRunTogether) {
    // "12" chooses 1 and answers its count with 2.
    const auto session = runSession("a\n12\n2\n0\n");
    const std::string out = afterBanner(session.output);
    const std::string prefix = "<menu>\nNieprawidlowy wybor\n\n<menu>\nLiczba miast: \n<menu>\n";
    ASSERT_EQ(out.substr(0, prefix.size()), prefix);
    EXPECT_EQ(matrixIn(out.substr(prefix.size())).size(), 2u);
}

TEST(MenuLoop, GeneratedInstanceIsCompleteWithWeightsUpTo400) {
    const std::string out = afterBanner(runSession("1 7 2 0").output);
    const std::string prefix = "<menu>\nLiczba miast: \n<menu>\n";
    ASSERT_EQ(out.substr(0, prefix.size()), prefix);
    const auto rows = matrixIn(out.substr(prefix.size()));
    ASSERT_EQ(rows.size(), 7u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 7u);
        for (std::size_t j = 0; j < rows.size(); ++j) {
            if (i == j) {
                EXPECT_EQ(rows[i][j], 0);
            } else {
                EXPECT_GE(rows[i][j], 1);
                EXPECT_LE(rows[i][j], 400);
            }
        }
    }
}

TEST(MenuLoop, SecondGenerationReplacesTheFirst) {
    const std::string out = afterBanner(runSession("1 3 1 5 2 0").output);
    const std::string prefix = "<menu>\nLiczba miast: \n<menu>\nLiczba miast: \n<menu>\n";
    ASSERT_EQ(out.substr(0, prefix.size()), prefix);
    EXPECT_EQ(matrixIn(out.substr(prefix.size())).size(), 5u);
}

TEST(MenuLoop, SmallAndEmptyInstancesAreAccepted) {
    EXPECT_EQ(afterBanner(runSession("1 0 2 0").output),
              "<menu>\nLiczba miast: \n<menu>\n\n<menu>\n" + farewellText);
    EXPECT_EQ(afterBanner(runSession("1 1 2 0").output),
              "<menu>\nLiczba miast: \n<menu>\n0\t\n\n<menu>\n" + farewellText);
}

TEST(MenuLoop, RefusedCountsKeepThePreviousInstance) {
    const auto session = runSession("1 2 1 -4 1 1000000 1 99999999999999999999 2 0");
    const std::string out = afterBanner(session.output);
    const std::string expected =
        "<menu>\nLiczba miast: \n"
        "<menu>\nLiczba miast: \n+++ MELON MELON MELON +++ Nieprawidlowa liczba miast +++\n\n"
        "<menu>\nLiczba miast: \n+++ MELON MELON MELON +++ Brak pamieci +++\n\n"
        "<menu>\nLiczba miast: \n+++ MELON MELON MELON +++ Brak pamieci +++\n\n"
        "<menu>\n";
    ASSERT_EQ(out.substr(0, expected.size()), expected);
    EXPECT_EQ(matrixIn(out.substr(expected.size())).size(), 2u);
}

TEST(MenuLoop, EndOfInputAtAnyPromptEndsLikeChoiceZero) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "<menu>\n"},
        {"   \n", "<menu>\n"},
        {"1", "<menu>\nLiczba miast: \n"},
        {"1 abc", "<menu>\nLiczba miast: \n"},
        {"1 -", "<menu>\nLiczba miast: \n"},
        {"4", "<menu>\nPoprzedni czas pracy TS: 10\nPodaj nowy czas: \n"},
        {"4 x5", "<menu>\nPoprzedni czas pracy TS: 10\nPodaj nowy czas: \n"},
        {"8", "<menu>\nPodaj nazwe pliku: \n"},
        {"9 ", "<menu>\nPodaj nazwe pliku: \n"},
    };
    for (const auto& [input, screen] : cases) {
        const auto session = runSession(input);
        EXPECT_EQ(session.status, 0) << input;
        EXPECT_EQ(afterBanner(session.output), screen + farewellText) << "input: " << input;
    }
}

TEST(MenuLoop, TrailingCharactersOfANumberAreReadAsChoices) {
    // "3x": the count is 3, then "x" is an unknown choice.
    const std::string out = afterBanner(runSession("1 3x 0").output);
    EXPECT_EQ(out,
              "<menu>\nLiczba miast: \n<menu>\nNieprawidlowy wybor\n\n<menu>\n" + farewellText);
}

} // namespace
} // namespace komiwojazer
