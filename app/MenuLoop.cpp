#include "app/MenuLoop.h"

#include "app/ConsoleInput.h"
#include "app/Interruption.h"
#include "app/Messages.h"
#include "app/SystemMemory.h"
#include "app/TabuSettings.h"
#include "graph/ArrayGraph.h"
#include "io/TsplibReader.h"
#include "solvers/Stopwatch.h"

#include <algorithm>
#include <istream>
#include <limits>
#include <memory>
#include <optional>
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

    void run();

private:
    // What a choice leaves behind: go on, or end the program.
    enum class Next { Menu, End };

    Next perform(char choice);
    Next generate();
    void display();
    void toggleDiversification();
    Next setStopTime();
    Next load(TsplibFormat format);
    // What one run may take: decided afresh for every run, since memory comes and goes.
    [[nodiscard]] std::uint64_t memoryBudget() const;
    // The limits of a run that Ctrl-C may end, within a live InterruptionScope.
    [[nodiscard]] RunLimits interruptibleLimits(std::uint64_t memoryBudgetBytes) const;
    // A prompt that gets no answer ends the run as choice 0 does, after ending the prompt's line.
    Next inputEnded();
    void shutDown();

    std::istream& in;
    std::ostream& out;
    const MenuOptions& options;
    TabuSettings settings;
    Stopwatch stopwatch;
    std::unique_ptr<Graph> currentGraph; // the one instance, null until one is made
};

void Menu::run() {
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
        // Ctrl-C ends a solver run or a series and returns to the menu. The handler is in place
        // before the choice's newline, so whoever sees that newline may press Ctrl-C.
        std::optional<InterruptionScope> interruption;
        if (*choice == '5' || *choice == '6' || *choice == '7') {
            interruption.emplace();
        }
        printLine(out);
        if (perform(*choice) == Next::End) {
            break;
        }
    }
    shutDown();
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
        runTabuChoice(out, currentGraph.get(), settings, stopwatch, options.tabuRun,
                      interruptibleLimits(memoryBudget()));
        return Next::Menu;
    case '6':
        // Half of what is free: the search's queue grows until it stops, and the machine must
        // keep room for everything else.
        runBranchAndBoundChoice(out, currentGraph.get(), stopwatch,
                                interruptibleLimits(memoryBudget() / 2));
        return Next::Menu;
    case '7':
        runMeasurementSeries(out, currentGraph.get(), options.measurements, options.tabuRun,
                             interruptibleLimits(memoryBudget()));
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
    const IntegerEntry count = readInteger(in);
    if (count.kind == IntegerEntry::Kind::EndOfInput) {
        return inputEnded();
    }
    printLine(out);
    // A typo costs nothing: the instance stays.
    if (count.kind == IntegerEntry::Kind::NotANumber || count.value < 0) {
        printAlarm(out, "Nieprawidlowa liczba miast");
        return Next::Menu;
    }
    // The new graph is made before the old one goes, so that a refusal loses nothing.
    std::unique_ptr<ArrayGraph> graph =
        ArrayGraph::tryCreate(static_cast<std::uint64_t>(count.value), memoryBudget());
    if (!graph) {
        printAlarm(out, outOfMemoryText);
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
    const IntegerEntry stopTime = readInteger(in);
    if (stopTime.kind == IntegerEntry::Kind::EndOfInput) {
        return inputEnded();
    }
    printLine(out);
    if (stopTime.kind == IntegerEntry::Kind::NotANumber) {
        printAlarm(out, "Nieprawidlowy czas");
        return Next::Menu;
    }
    // Out-of-range entries keep the nearest value the setting can hold.
    settings.tabuStopTime = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(stopTime.value, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
    return Next::Menu;
}

Menu::Next Menu::load(TsplibFormat format) {
    out << "Podaj nazwe pliku: " << std::flush;
    const std::uint64_t budget = memoryBudget();
    // A name may take a quarter of what is free: reading it may hold two copies while it grows.
    const std::optional<Word> fileName = readWord(in, budget / 4);
    if (!fileName) {
        return inputEnded();
    }
    if (fileName->tooLong) {
        printAlarm(out, outOfMemoryText);
        return Next::Menu;
    }
    const std::string& name = fileName->text;
    TsplibLoad load;
    {
        const InterruptionScope interruption;
        load = readTsplibFile(name, format, interruptibleLimits(budget));
    }
    // A Ctrl-C during the load cancels it, even when the load got to its end first.
    if (InterruptionScope::take()) {
        printAlarm(out, interruptedText);
        return Next::Menu;
    }
    switch (load.status) {
    case TsplibLoad::Status::Loaded:
        currentGraph = std::move(load.graph);
        out << "Wczytano - liczba wierzcholkow: " << load.dimension << std::endl;
        printLine(out);
        break;
    case TsplibLoad::Status::MissingFile: {
        // A name with a NUL byte names no file; the line shows it without the NUL.
        std::string shown = name;
        std::erase(shown, '\0');
        printAlarm(out, "Brak pliku " + shown);
        break;
    }
    case TsplibLoad::Status::UnsupportedFormat:
        printAlarm(out, "Nieobslugiwany format " + load.detail);
        break;
    case TsplibLoad::Status::MissingKeyword:
        printAlarm(out, "Brak klucza " + load.detail + " w pliku " + name);
        break;
    case TsplibLoad::Status::Incomplete:
        printAlarm(out, "Niekompletny plik " + name);
        break;
    case TsplibLoad::Status::InvalidDimension:
        printAlarm(out, "Nieprawidlowy wymiar " + load.detail);
        break;
    case TsplibLoad::Status::OutOfMemory:
        printAlarm(out, outOfMemoryText);
        break;
    case TsplibLoad::Status::Interrupted: // only a Ctrl-C cancels a load, and it was taken above
        printAlarm(out, interruptedText);
        break;
    }
    return Next::Menu;
}

std::uint64_t Menu::memoryBudget() const {
    return std::min(availableMemoryBytes(), options.memoryCapBytes);
}

RunLimits Menu::interruptibleLimits(std::uint64_t memoryBudgetBytes) const {
    return {memoryBudgetBytes, &InterruptionScope::flag()};
}

Menu::Next Menu::inputEnded() {
    printLine(out);
    return Next::End;
}

void Menu::shutDown() {
    currentGraph.reset();
    printLine(out, "Konczenie...");
    for (const std::string_view line : farewell) {
        printLine(out, line);
    }
    printLine(out);
}

} // namespace

int runMenu(std::istream& in, std::ostream& out, std::ostream& err, const MenuOptions& options) {
    Menu menu(in, out, options);
    menu.run();
    if (!out.flush()) {
        err << alarmLine("Blad zapisu wyjscia programu, wyjscie utracone") << std::endl;
        return 1;
    }
    return 0;
}

} // namespace komiwojazer
