#pragma once

#include <string>
#include <string_view>

// Every text that the user sees, each written once. The refusals mirror the README's table of
// them, and a test holds them against the README and the manual page.
namespace komiwojazer::texts {

inline constexpr std::string_view banner[] = {
    "TRAKT Projekt 2 v1.1",
    "Zespol komiwojazer, 2026",
    "(MIT)",
    "Uzycie macierzowej reprezentacji grafu",
};

inline constexpr std::string_view menu[] = {
    "1 - wygeneruj losowe dane",
    "2 - wyswietl dane",
    "3 - dywersyfikacja TS",
    "4 - czas zatrzymania TS",
    "5 - tabu search",
    "6 - podzial i ograniczenia",
    "7 - automatyczne pomiary (tabu search)",
    "8 - wczytaj dane z pliku ATSP",
    "9 - wczytaj dane z pliku TSP",
    "Aby zakonczyc - 0",
};

// The opening lines of the Odyssey in the team's own rendering, after the line that says goodbye.
inline constexpr std::string_view farewell[] = {
    "Konczenie...",
    "\"Opowiedz mi, Muzo, o mezu wielu drog, ktory tulal sie dlugo,",
    "gdy juz zburzyl swiety grod Troi;",
    "wielu ludzi widzial miasta i poznal ich mysli,",
    "wiele tez na morzu wycierpial w swym sercu,",
    "walczac o zycie swoje i o powrot towarzyszy.\"",
    "(Homer, \"Odyseja\", przeklad wlasny zespolu komiwojazer)",
};

// The prompts: each ends in one blank, and what is typed follows on the same line.
inline constexpr std::string_view choicePrompt = "Wybierz: ";
inline constexpr std::string_view countPrompt = "Liczba miast: ";
inline constexpr std::string_view stopTimePrompt = "Podaj nowy czas: ";
inline constexpr std::string_view fileNamePrompt = "Podaj nazwe pliku: ";

// What the choices say; a text ending in a blank is followed by a number.
inline constexpr std::string_view diversificationOn = "Dywersyfikacja TS zostala wlaczona";
inline constexpr std::string_view diversificationOff = "Dywersyfikacja TS zostala wylaczona";
inline constexpr std::string_view previousStopTime = "Poprzedni czas pracy TS: ";
inline constexpr std::string_view loaded = "Wczytano - liczba wierzcholkow: ";

// A solver run: its parameters first, then the route table's summary.
inline constexpr std::string_view tenure = "Kadencja: ";
inline constexpr std::string_view stopTime = "Czas zatrzymania algorytmu [s]: ";
inline constexpr std::string_view restartsAfter = "Dywersyfikacja wlaczona, kryterium: ";
inline constexpr std::string_view iterations = " iteracji";
inline constexpr std::string_view noRestarts = "Dywersyfikacja wylaczona";
inline constexpr std::string_view routeLength = "Dlugosc trasy: ";
inline constexpr std::string_view runTime = "Czas wykonania algorytmu [s]: ";

// The measurement series: "Pomiar 5 [s] (3 z 10 z dywersyfikacja)..." before each run.
inline constexpr std::string_view seriesTitle = "Pomiary dla problemu komiwojazera, tabu search";
inline constexpr std::string_view seriesCriterion = "Kryterium dywersyfikacji: ";
inline constexpr std::string_view measurement = "Pomiar ";
inline constexpr std::string_view seconds = " [s] (";
inline constexpr std::string_view passOf = " z ";
inline constexpr std::string_view withoutRestarts = " bez dywersyfikacji)...";
inline constexpr std::string_view withRestarts = " z dywersyfikacja)...";
inline constexpr std::string_view processing = "Opracowywanie wynikow...";
inline constexpr std::string_view saving = "Zapis wynikow...";
inline constexpr std::string_view done = "Gotowe!";
// The results file: a header, then "5 [s]: 1234 1200" for each stop time.
inline constexpr std::string_view resultsHeader = "czas - bez dywersyfikacji - z dywersyfikacja";
inline constexpr std::string_view resultsStopTime = " [s]: ";

// Why the program refuses a choice or stops a step, in the order of the README's table; the last
// two go to standard error, once, at the end.
enum class Refusal {
    NoInstance,        // choice 5, 6 or 7 without an instance
    NoCheese,          // choice 5 with a stop time of 0 or less
    InvalidCount,      // choice 1 with a negative count or no number
    InvalidStopTime,   // choice 4 with no number
    OutOfMemory,       // the instance, the file name or a search does not fit
    Interrupted,       // Ctrl-C during a step
    MissingFile,       // the file cannot be opened; names the file
    UnsupportedFormat, // names the format value
    MissingKeyword,    // the file ends before a keyword; names the keyword and the file
    IncompleteFile,    // the file ends inside its data; names the file
    InvalidDimension,  // names the dimension token
    ResultsNotWritten, // names the results file
    InvalidChoice,     // a key that names no choice
    NothingToShow,     // choice 2 without an instance
    OutputLost,        // standard output could not be written
    InputUnreadable,   // standard input could not be read
};

// The line that says a refusal; name is the file that it names and detail what else it names.
// A name with a NUL byte names no file; it is shown without the NUL.
[[nodiscard]] std::string refusalLine(Refusal refusal, std::string_view name = {},
                                      std::string_view detail = {});

} // namespace komiwojazer::texts
