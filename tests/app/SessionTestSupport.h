#pragma once

#include "app/MenuLoop.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace komiwojazer::testing {

// The screen between two prompts, written out by hand so that a typo in the program shows.
inline const std::string menuText = "1 - wygeneruj losowe dane\n"
                                    "2 - wyswietl dane\n"
                                    "3 - dywersyfikacja TS\n"
                                    "4 - czas zatrzymania TS\n"
                                    "5 - tabu search\n"
                                    "6 - podzial i ograniczenia\n"
                                    "7 - automatyczne pomiary (tabu search)\n"
                                    "8 - wczytaj dane z pliku ATSP\n"
                                    "9 - wczytaj dane z pliku TSP\n"
                                    "Aby zakonczyc - 0\n"
                                    "Wybierz: ";

struct Session {
    std::string output;
    int status = -1;
};

// The program's options with tabu runs cut to 200 iterations, so that no test waits for seconds.
inline MenuOptions quickOptions() {
    MenuOptions options;
    options.tabuRun = [](const Graph& graph, const TabuParameters& parameters, std::uint32_t,
                         const RunLimits& limits) {
        return runTabuSearch(graph, parameters, iterationLimit(200, 1), limits);
    };
    return options;
}

// Runs a whole session on the given input.
inline Session runSession(const std::string& input, const MenuOptions& options = quickOptions()) {
    std::istringstream in(input);
    std::ostringstream out;
    Session session;
    session.status = runMenu(in, out, out, options);
    session.output = out.str();
    return session;
}

// The output after the banner, with every menu replaced by "<menu>".
inline std::string afterBanner(const std::string& output) {
    const std::string banner = "Uzycie macierzowej reprezentacji grafu\n\n";
    std::string rest = output.substr(output.find(banner) + banner.size());
    for (std::size_t at = rest.find(menuText); at != std::string::npos;
         at = rest.find(menuText, at)) {
        rest.replace(at, menuText.size(), "<menu>");
    }
    return rest;
}

// What a session shows after its banner, menus folded.
inline std::string screen(const std::string& input, const MenuOptions& options = quickOptions()) {
    return afterBanner(runSession(input, options).output);
}

// The same without the farewell block that every run ends with.
inline std::string screenBeforeEnd(const std::string& input,
                                   const MenuOptions& options = quickOptions()) {
    const std::string text = screen(input, options);
    return text.substr(0, text.rfind("Konczenie...\n"));
}

inline int countOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Measured times vary between runs: each is replaced by T.
inline std::string withoutTimes(const std::string& text) {
    const std::string label = "Czas wykonania algorytmu [s]: ";
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = text.find(label); at != std::string::npos; at = text.find(label, from)) {
        result.append(text, from, at + label.size() - from).append("T");
        from = text.find('\n', at);
    }
    return result.append(text, from, std::string::npos);
}

// A file in a fresh directory of its own, removed with the object.
class TempFile {
public:
    explicit TempFile(const std::string& contents, const std::string& name = "instance.txt") {
        static int counter = 0;
        directory =
            std::filesystem::temp_directory_path() /
            ("komiwojazer-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(directory);
        path = (directory / name).string();
        std::ofstream(path) << contents;
    }
    ~TempFile() { std::filesystem::remove_all(directory); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    std::filesystem::path directory;
    std::string path;
};

} // namespace komiwojazer::testing
