#include "app/MenuLoop.h"

#include "app/ConsoleInput.h"
#include "app/Messages.h"
#include "app/TabuSettings.h"
#include "graph/ArrayGraph.h"
#include "io/TsplibReader.h"
#include "solvers/Stopwatch.h"

#include <algorithm>
#include <istream>
#include <limits>
#include <memory>
#include <ostream>
#include <string>

namespace komiwojazer {
namespace {

constexpr std::uint32_t randomMaxWeight = 400;

constexpr std::string_view banner[] = {
    "TRAKT Projekt 2 v1.1",
    "Zespol komiwojazer, 2026",
    "(MIT)",
    "Uzycie macierzowej reprezentacji grafu",
};

constexpr std::string_view menuLines[] = {
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

// The opening lines of the Odyssey in the team's own rendering.
constexpr std::string_view farewell[] = {
    "\"Opowiedz mi, Muzo, o mezu wielu drog, ktory tulal sie dlugo,",
    "gdy juz zburzyl swiety grod Troi;",
    "wielu ludzi widzial miasta i poznal ich mysli,",
    "wiele tez na morzu wycierpial w swym sercu,",
    "walczac o zycie swoje i o powrot towarzyszy.\"",
    "(Homer, \"Odyseja\", przeklad wlasny zespolu komiwojazer)",
};

// The state of one run of the program.
class Menu {
public:
    Menu(std::istream& in, std::ostream& out, const MenuOptions& options)
        : in(in), out(out), options(options) {}

    int run();

private:
    // What a choice leaves behind: go on, or end the program.
    enum class Next { Menu, End };

    Next perform(char choice);
    Next generate();
    void display();
    void toggleDiversification();
    Next setStopTime();
    Next load(TsplibFormat format);
    // A prompt that gets no answer ends the run as choice 0 does, after ending the prompt's line.
    Next inputEnded();
    int shutDown();

    std::istream& in;
    std::ostream& out;
    const MenuOptions& options;
    TabuSettings settings;
    Stopwatch stopwatch;
    std::unique_ptr<Graph> currentGraph; // the one instance, null until one is made
};

int Menu::run() {
    for (const std::string_view line : banner) {
        printLine(out, line);
    }
    printLine(out);
    while (true) {
        for (const std::string_view line : menuLines) {
            printLine(out, line);
        }
        out << "Wybierz: " << std::flush;
        const std::optional<char> choice = readChoice(in);
        if (!choice) {
            inputEnded();
            break;
        }
        printLine(out);
        if (perform(*choice) == Next::End) {
            break;
        }
    }
    return shutDown();
}

Menu::Next Menu::perform(char choice) {
    switch (choice) {
    case '1':
        return generate();
    case '2':
        display();
        return Next::Menu;
    case '3':
        toggleDiversification();
        return Next::Menu;
    case '4':
        return setStopTime();
    case '5':
        runTabuChoice(out, currentGraph.get(), settings, stopwatch, options.tabuStop);
        return Next::Menu;
    case '6':
        runBranchAndBoundChoice(out, currentGraph.get(), stopwatch, options.branchAndBound);
        return Next::Menu;
    case '7':
        runMeasurementSeries(out, currentGraph.get(), options.measurements, options.tabuStop);
        return Next::Menu;
    case '8':
        return load(TsplibFormat::FullMatrix);
    case '9':
        return load(TsplibFormat::Euclidean2D);
    case '0':
        return Next::End;
    default:
        printRefusal(out, "Nieprawidlowy wybor");
        return Next::Menu;
    }
}

Menu::Next Menu::generate() {
    out << "Liczba miast: " << std::flush;
    const std::optional<std::int64_t> count = readInteger(in);
    if (!count) {
        return inputEnded();
    }
    printLine(out);
    if (*count < 0) {
        printRefusal(out, "+++ MELON MELON MELON +++ Nieprawidlowa liczba miast +++");
        return Next::Menu;
    }
    // The new graph is made before the old one goes, so that a refusal loses nothing.
    std::unique_ptr<ArrayGraph> graph = ArrayGraph::tryCreate(static_cast<std::uint64_t>(*count));
    if (!graph) {
        printRefusal(out, outOfMemoryMessage);
        return Next::Menu;
    }
    graph->randomGenerateFullGraph(randomMaxWeight);
    currentGraph = std::move(graph);
    return Next::Menu;
}

void Menu::display() {
    if (currentGraph) {
        currentGraph->displayGraph(out);
    } else {
        printLine(out, "Brak wygenerowanych danych");
    }
    printLine(out);
}

void Menu::toggleDiversification() {
    settings.tabuDiversification = !settings.tabuDiversification;
    printLine(out, settings.tabuDiversification ? "Dywersyfikacja TS zostala wlaczona"
                                                : "Dywersyfikacja TS zostala wylaczona");
    printLine(out);
}

Menu::Next Menu::setStopTime() {
    out << "Poprzedni czas pracy TS: " << settings.tabuStopTime << std::endl;
    out << "Podaj nowy czas: " << std::flush;
    const std::optional<std::int64_t> stopTime = readInteger(in);
    if (!stopTime) {
        return inputEnded();
    }
    // Out-of-range entries keep the nearest value the setting can hold.
    settings.tabuStopTime = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(*stopTime, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
    printLine(out);
    return Next::Menu;
}

Menu::Next Menu::load(TsplibFormat format) {
    out << "Podaj nazwe pliku: " << std::flush;
    const std::optional<std::string> fileName = readWord(in);
    if (!fileName) {
        return inputEnded();
    }
    TsplibLoad load = readTsplibFile(*fileName, format);
    const std::string failure = std::string(alarm);
    switch (load.status) {
    case TsplibLoad::Status::Loaded:
        currentGraph = std::move(load.graph);
        out << "Wczytano - liczba wierzcholkow: " << load.dimension << std::endl;
        printLine(out);
        break;
    case TsplibLoad::Status::MissingFile:
        printRefusal(out, failure + "Brak pliku " + *fileName + " +++");
        break;
    case TsplibLoad::Status::UnsupportedFormat:
        printRefusal(out, failure + "Nieobslugiwany format " + load.detail + " +++");
        break;
    case TsplibLoad::Status::MissingKeyword:
        printRefusal(out,
                     failure + "Brak klucza " + load.detail + " w pliku " + *fileName + " +++");
        break;
    case TsplibLoad::Status::Incomplete:
        printRefusal(out, failure + "Niekompletny plik " + *fileName + " +++");
        break;
    case TsplibLoad::Status::InvalidDimension:
        printRefusal(out, failure + "Nieprawidlowy wymiar " + load.detail + " +++");
        break;
    case TsplibLoad::Status::OutOfMemory:
        printRefusal(out, outOfMemoryMessage);
        break;
    }
    return Next::Menu;
}

Menu::Next Menu::inputEnded() {
    printLine(out);
    return Next::End;
}

int Menu::shutDown() {
    currentGraph.reset();
    printLine(out, "Konczenie...");
    for (const std::string_view line : farewell) {
        printLine(out, line);
    }
    printLine(out);
    return 0;
}

} // namespace

int runMenu(std::istream& in, std::ostream& out, const MenuOptions& options) {
    Menu menu(in, out, options);
    return menu.run();
}

} // namespace komiwojazer
