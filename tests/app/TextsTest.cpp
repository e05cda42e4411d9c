#include "app/Texts.h"

#include "tests/Support.h"

#include <gtest/gtest.h>

#include <string>

namespace komiwojazer {
namespace {

using texts::Refusal;

// The README's table and the manual page say every refusal as the program says it: the README
// with F for a file's name and a letter for what else a line names, the manual page with words.
TEST(Texts, EveryRefusalIsDocumentedAsItIsSaid) {
    const std::string readme = testing::fileContents(KOMIWOJAZER_SOURCE_DIR "/README.md");
    const std::string manual = testing::fileContents(KOMIWOJAZER_SOURCE_DIR "/man/komiwojazer.1");
    const std::string alarm = "+++ MELON MELON MELON +++ ";
    for (int k = 0; k <= static_cast<int>(Refusal::InputUnreadable); ++k) {
        const auto refusal = static_cast<Refusal>(k);
        const int kind = refusal == Refusal::UnsupportedFormat ? 0
                         : refusal == Refusal::MissingKeyword  ? 1
                                                               : 2;
        const std::string file =
            refusal == Refusal::ResultsNotWritten ? "wyniki-komiwojazer-ts.txt" : "";
        std::string line =
            texts::refusalLine(refusal, file.empty() ? "F" : file, std::string(1, "VKT"[kind]));
        if (refusal < Refusal::OutputLost && line.starts_with(alarm)) {
            line = line.substr(alarm.size(), line.size() - alarm.size() - 4);
        }
        EXPECT_NE(readme.find('`' + line + '`'), std::string::npos) << line;
        // The manual page writes a hyphen as \-.
        std::string manualLine;
        const char* const words[] = {"\" value \"", "\" keyword \"", "\" token \""};
        for (const char c :
             texts::refusalLine(refusal, file.empty() ? "\" name \"" : file, words[kind])) {
            manualLine += c == '-' ? "\\-" : std::string(1, c);
        }
        EXPECT_NE(manual.find(manualLine), std::string::npos) << manualLine;
    }
}

} // namespace
} // namespace komiwojazer
