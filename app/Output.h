#pragma once

#include "app/Texts.h"
#include "step/Outcome.h"

#include <ostream>
#include <string_view>

namespace komiwojazer {

// Prints a whole line and flushes it, so that the user sees it before any long work starts.
inline void printLine(std::ostream& out, std::string_view text = {}) {
    out << text << std::endl;
}

// A refusal's line followed by the empty line that closes the choice.
inline void printRefusal(std::ostream& out, texts::Refusal refusal, std::string_view name = {},
                         std::string_view detail = {}) {
    printLine(out, texts::refusalLine(refusal, name, detail));
    printLine(out);
}

// What the user sees of how a long step ended when it ran out of memory or was interrupted; a step
// that finished, or whose input was refused, says so in its own words. Whatever the step still has
// to show follows.
inline void printEnding(std::ostream& out, Ending ending) {
    if (ending == Ending::OutOfMemory) {
        printRefusal(out, texts::Refusal::OutOfMemory);
    } else if (ending == Ending::Interrupted) {
        printRefusal(out, texts::Refusal::Interrupted);
    }
}

} // namespace komiwojazer
