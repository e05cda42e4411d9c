#include "app/Texts.h"

#include "tests/Support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

namespace komiwojazer {
namespace {

using texts::Refusal;

// The README's table and the manual page say every refusal as the program says it: the README
// with F for a file's name and a letter for what else a line names, the manual page with words.
TEST(Texts, EveryRefusalIsDocumentedAsItIsSaid) {
    const std::string readme = testing::fileContents(KOMIWOJAZER_SOURCE_DIR "/README.md");
    const std::string manual = testing::fileContents(KOMIWOJAZER_SOURCE_DIR "/man/komiwojazer.1");
    const std::string results = "wyniki-komiwojazer-ts.txt";
    // What the README writes, what the manual page writes: the name, then the detail.
    const std::tuple<Refusal, std::string, std::string, std::string, std::string> cases[] = {
        {Refusal::NoInstance, "", "", "", ""},
        {Refusal::NoCheese, "", "", "", ""},
        {Refusal::InvalidCount, "", "", "", ""},
        {Refusal::InvalidStopTime, "", "", "", ""},
        {Refusal::OutOfMemory, "", "", "", ""},
        {Refusal::Interrupted, "", "", "", ""},
        {Refusal::MissingFile, "F", "", "\" name \"", ""},
        {Refusal::UnsupportedFormat, "", "V", "", "\" value \""},
        {Refusal::MissingKeyword, "F", "K", "\" name \"", "\" keyword \""},
        {Refusal::IncompleteFile, "F", "", "\" name \"", ""},
        {Refusal::InvalidDimension, "", "T", "", "\" token \""},
        {Refusal::ResultsNotWritten, results, "", results, ""},
        {Refusal::InvalidChoice, "", "", "", ""},
        {Refusal::NothingToShow, "", "", "", ""},
        {Refusal::OutputLost, "", "", "", ""},
        {Refusal::InputUnreadable, "", "", "", ""},
    };
    const std::string alarm = "+++ MELON MELON MELON +++ ";
    for (const auto& [refusal, name, detail, manualName, manualDetail] : cases) {
        std::string line = texts::refusalLine(refusal, name, detail);
        if (line.starts_with(alarm) && refusal != Refusal::OutputLost &&
            refusal != Refusal::InputUnreadable) {
            line = line.substr(alarm.size(), line.size() - alarm.size() - 4);
        }
        EXPECT_NE(readme.find('`' + line + '`'), std::string::npos) << line;
        // The manual page writes a hyphen as \-.
        std::string manualLine;
        for (const char c : texts::refusalLine(refusal, manualName, manualDetail)) {
            manualLine += c == '-' ? "\\-" : std::string(1, c);
        }
        EXPECT_NE(manual.find(manualLine), std::string::npos) << manualLine;
    }
}

} // namespace
} // namespace komiwojazer
