#include "app/MenuLoop.h"

#include "app/ConsoleInput.h"
#include "app/Interruption.h"
#include "app/Output.h"
#include "app/TabuSettings.h"
#include "graph/ArrayGraph.h"
#include "io/TsplibReader.h"
#include "step/Stopwatch.h"

#include <algorithm>
#include <istream>
#include <limits>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

namespace komiwojazer {
namespace {

constexpr std::uint32_t randomMaxWeight = 400;

// The line that refuses a file, for each reason the reader gives.
texts::Refusal refusalOf(TsplibRefusal refusal) {
    switch (refusal) {
    case TsplibRefusal::MissingFile:
        return texts::Refusal::MissingFile;
    case TsplibRefusal::UnsupportedFormat:
        return texts::Refusal::UnsupportedFormat;
    case TsplibRefusal::MissingKeyword:
        return texts::Refusal::MissingKeyword;
    case TsplibRefusal::InvalidDimension:
        return texts::Refusal::InvalidDimension;
    case TsplibRefusal::Incomplete:
    case TsplibRefusal::None: // a refused load always says why
        break;
    }
    return texts::Refusal::IncompleteFile;
}

// The choices that work on the instance, and refuse to run without one.
bool needsInstance(char choice) {
    return choice == '5' || choice == '6' || choice == '7';
}

// The state of one run of the program.
class Menu {
public:
    Menu(std::istream& in, std::ostream& out, const MenuOptions& options)
        : in(in), out(out), options(options) {
        stopwatch.readClock = options.processClock;
    }

    void run();

private:
    // What a choice leaves behind: go on, or end the program.
    enum class Next { Continue, End };

    Next perform(char choice, const RunLimits& limits);
    Next generate();
    void display();
    void toggleDiversification();
    Next setStopTime();
    Next load(TsplibFormat format);
    // What one run may take: decided afresh for every run, since memory comes and goes.
    [[nodiscard]] std::uint64_t memoryBudget() const;
    // Runs a long step with Ctrl-C caught, so that it ends the step instead of the program, and
    // hands the step its limits. Every long step runs through here.
    template <typename Step> auto interruptible(std::uint64_t budgetBytes, Step step) {
        const InterruptionScope interruption;
        return step(RunLimits{budgetBytes, &InterruptionScope::flag()});
    }
    // A prompt that gets no answer ends the run as choice 0 does, after ending the prompt's line.
    Next inputEnded();
    void shutDown();

    std::istream& in;
    std::ostream& out;
    const MenuOptions& options;
    TabuSettings settings;
    Stopwatch stopwatch;
    std::unique_ptr<Graph> currentGraph; // the one instance, null until one is made
    ChoiceReader choices{in};
};

void Menu::run() {
    for (const std::string_view line : texts::banner) {
        printLine(out, line);
    }
    printLine(out);
    while (true) {
        for (const std::string_view line : texts::menu) {
            printLine(out, line);
        }
        out << texts::choicePrompt << std::flush;
        const std::optional<char> choice = choices.next();
        if (!choice) {
            inputEnded();
            break;
        }
        // The choices that work on the instance catch Ctrl-C from before the newline that follows
        // the choice, so whoever sees that newline may press Ctrl-C.
        const auto choose = [&](const RunLimits& limits) {
            printLine(out);
            return perform(*choice, limits);
        };
        if ((needsInstance(*choice) ? interruptible(memoryBudget(), choose) : choose({})) ==
            Next::End) {
            break;
        }
    }
    shutDown();
}

Menu::Next Menu::perform(char choice, const RunLimits& limits) {
    if (needsInstance(choice) && !currentGraph) {
        printRefusal(out, texts::Refusal::NoInstance);
        return Next::Continue;
    }
    switch (choice) {
    case '1':
        return generate();
    case '2':
        display();
        return Next::Continue;
    case '3':
        toggleDiversification();
        return Next::Continue;
    case '4':
        return setStopTime();
    case '5':
        runTabuChoice(out, *currentGraph, settings, stopwatch, options.tabuStop, limits);
        return Next::Continue;
    case '6':
        runBranchAndBoundChoice(out, *currentGraph, stopwatch, limits);
        return Next::Continue;
    case '7':
        runMeasurementSeries(out, *currentGraph, options.measurements, options.tabuStop, limits);
        return Next::Continue;
    case '8':
        return load(TsplibFormat::FullMatrix);
    case '9':
        return load(TsplibFormat::Euclidean2D);
    case '0':
        return Next::End;
    default:
        printRefusal(out, texts::Refusal::InvalidChoice);
        return Next::Continue;
    }
}

Menu::Next Menu::generate() {
    out << texts::countPrompt << std::flush;
    const IntegerEntry count = readInteger(in);
    if (count.kind == IntegerEntry::Kind::EndOfInput) {
        return inputEnded();
    }
    printLine(out);
    // A typo costs nothing: the instance stays.
    if (count.kind == IntegerEntry::Kind::NotANumber || count.value < 0) {
        printRefusal(out, texts::Refusal::InvalidCount);
        return Next::Continue;
    }
    // The new graph is made and filled before the old one goes, so that a refusal or a Ctrl-C
    // loses nothing.
    printEnding(out, interruptible(memoryBudget(), [&](const RunLimits& limits) {
                    std::unique_ptr<ArrayGraph> graph = ArrayGraph::tryCreate(
                        static_cast<std::uint64_t>(count.value), limits.memoryBudgetBytes);
                    if (!graph) {
                        return Ending::OutOfMemory;
                    }
                    const Ending ending = graph->randomGenerateFullGraph(randomMaxWeight, limits);
                    if (ending == Ending::Finished) {
                        currentGraph = std::move(graph);
                    }
                    return ending;
                }));
    return Next::Continue;
}

void Menu::display() {
    if (!currentGraph) {
        printRefusal(out, texts::Refusal::NothingToShow);
        return;
    }
    const Ending ending = interruptible(saturatedBytes, [&](const RunLimits& limits) {
        return currentGraph->displayGraph(out, limits);
    });
    if (ending == Ending::Finished) {
        printLine(out);
    }
    printEnding(out, ending);
}

void Menu::toggleDiversification() {
    settings.tabuDiversification = !settings.tabuDiversification;
    printLine(out,
              settings.tabuDiversification ? texts::diversificationOn : texts::diversificationOff);
    printLine(out);
}

Menu::Next Menu::setStopTime() {
    out << texts::previousStopTime << settings.tabuStopTime << std::endl;
    out << texts::stopTimePrompt << std::flush;
    const IntegerEntry stopTime = readInteger(in);
    if (stopTime.kind == IntegerEntry::Kind::EndOfInput) {
        return inputEnded();
    }
    printLine(out);
    if (stopTime.kind == IntegerEntry::Kind::NotANumber) {
        printRefusal(out, texts::Refusal::InvalidStopTime);
        return Next::Continue;
    }
    // Out-of-range entries keep the nearest value the setting can hold.
    settings.tabuStopTime = static_cast<std::int32_t>(
        std::clamp<std::int64_t>(stopTime.value, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
    return Next::Continue;
}

Menu::Next Menu::load(TsplibFormat format) {
    out << texts::fileNamePrompt << std::flush;
    // The name and the load share one reading of what is free.
    const std::uint64_t budget = memoryBudget();
    // A word's share is never more than a table of the platform, so size_t holds it.
    const std::optional<Word> fileName = readWord(in, static_cast<std::size_t>(wordShare(budget)));
    if (!fileName) {
        return inputEnded();
    }
    if (fileName->tooLong) {
        printRefusal(out, texts::Refusal::OutOfMemory);
        return Next::Continue;
    }
    const std::string& name = fileName->text;
    Outcome<TsplibInstance> load = interruptible(
        budget, [&](const RunLimits& limits) { return readTsplibFile(name, format, limits); });
    if (load.ending == Ending::Finished) {
        currentGraph = std::move(load.result.graph);
        out << texts::loaded << load.result.dimension << std::endl;
        printLine(out);
    } else if (load.ending == Ending::Refused) {
        printRefusal(out, refusalOf(load.result.refusal), name, load.result.detail);
    } else {
        printEnding(out, load.ending);
    }
    return Next::Continue;
}

std::uint64_t Menu::memoryBudget() const {
    return std::min(availableMemoryBytes(options.memory), options.memoryCapBytes);
}

Menu::Next Menu::inputEnded() {
    printLine(out);
    return Next::End;
}

void Menu::shutDown() {
    currentGraph.reset();
    for (const std::string_view line : texts::farewell) {
        printLine(out, line);
    }
    printLine(out);
}

} // namespace

int runMenu(std::istream& in, std::ostream& out, std::ostream& err, const MenuOptions& options) {
    Menu menu(in, out, options);
    menu.run();
    int status = 0;
    // Input that could not be read ended the program as the end of the input does, but it is no
    // normal end.
    if (in.bad()) {
        err << texts::refusalLine(texts::Refusal::InputUnreadable) << std::endl;
        status = 1;
    }
    if (!out.flush()) {
        err << texts::refusalLine(texts::Refusal::OutputLost) << std::endl;
        status = 1;
    }
    return status;
}

} // namespace komiwojazer
