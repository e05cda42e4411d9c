#pragma once

#include "app/MenuLoop.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace komiwojazer::testing {

// The screen between two prompts, written out by hand so that a typo in the program shows.
inline const std::string menuText =
    "1 - wygeneruj losowe dane\n2 - wyswietl dane\n3 - dywersyfikacja TS\n"
    "4 - czas zatrzymania TS\n5 - tabu search\n6 - podzial i ograniczenia\n"
    "7 - automatyczne pomiary (tabu search)\n8 - wczytaj dane z pliku ATSP\n"
    "9 - wczytaj dane z pliku TSP\nAby zakonczyc - 0\nWybierz: ";

// The worked four-vertex instance whose optimum is 0, 1, 2, 3, 0 of length 8.
inline const std::string fourVertexMatrix =
    "NAME: four\nTYPE: ATSP\nDIMENSION: 4\nEDGE_WEIGHT_TYPE: EXPLICIT\n"
    "EDGE_WEIGHT_FORMAT: FULL_MATRIX\nEDGE_WEIGHT_SECTION\n0 3 5 9\n4 0 2 7\n6 8 0 1\n2 5 4 "
    "0\nEOF\n";

// Tabu runs cut to 200 iterations, so that no test waits for seconds.
inline TabuOutcome quickTabuRun(const Graph& graph, const TabuParameters& parameters, std::uint32_t,
                                const RunLimits& limits) {
    return runTabuSearch(graph, parameters, iterationLimit(200, 1), limits);
}

inline MenuOptions quickOptions() {
    MenuOptions options;
    options.tabuRun = quickTabuRun;
    return options;
}

struct Session {
    std::string output;
    std::string errors;
    int status = -1;
};

inline Session runSession(const std::string& input, const MenuOptions& options = quickOptions(),
                          std::ostream* out = nullptr) {
    std::istringstream in(input);
    std::ostringstream text;
    std::ostringstream errors;
    Session session;
    session.status = runMenu(in, out != nullptr ? *out : text, errors, options);
    session.output = text.str();
    session.errors = errors.str();
    return session;
}

// What a session shows after its banner, every menu replaced by "<menu>".
inline std::string screen(const std::string& input, const MenuOptions& options = quickOptions()) {
    std::string rest = runSession(input, options).output;
    rest.erase(0, rest.find(menuText));
    for (std::size_t at = rest.find(menuText); at != std::string::npos;
         at = rest.find(menuText, at)) {
        rest.replace(at, menuText.size(), "<menu>");
    }
    return rest;
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

// A fresh directory of this test's own, removed with the object.
class TempDir {
public:
    TempDir() {
        static int counter = 0;
        path = std::filesystem::temp_directory_path() /
               ("komiwojazer-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Writes a file into the directory and returns its path.
    [[nodiscard]] std::string file(const std::string& name, const std::string& contents) const {
        std::ofstream(path / name, std::ios::binary) << contents;
        return (path / name).string();
    }

    std::filesystem::path path;
};

inline std::string fileContents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

} // namespace komiwojazer::testing
