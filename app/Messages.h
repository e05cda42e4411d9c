#pragma once

#include "solvers/Outcome.h"

#include <ostream>
#include <string>
#include <string_view>

namespace komiwojazer {

// A failure line that the user can cause: the alarm, the text, and the closing marks.
inline std::string alarmLine(std::string_view text) {
    return "+++ MELON MELON MELON +++ " + std::string(text) + " +++";
}

inline constexpr std::string_view noInstanceText = "Brak zaladowanych danych";
inline constexpr std::string_view outOfMemoryText = "Brak pamieci";
inline constexpr std::string_view interruptedText = "Przerwano";

// Prints a whole line and flushes it, so that the user sees it before any long work starts.
inline void printLine(std::ostream& out, std::string_view text = {}) {
    out << text << std::endl;
}

// A line followed by the empty line that closes the choice.
inline void printRefusal(std::ostream& out, std::string_view text) {
    printLine(out, text);
    printLine(out);
}

// An alarm line followed by the empty line that closes the choice.
inline void printAlarm(std::ostream& out, std::string_view text) {
    printRefusal(out, alarmLine(text));
}

// What the user sees of how a long step ended when it ran out of memory or was interrupted; a step
// that finished, or whose input was refused, says so in its own words. Whatever the step still has
// to show follows.
inline void printEnding(std::ostream& out, Ending ending) {
    if (ending == Ending::OutOfMemory) {
        printAlarm(out, outOfMemoryText);
    } else if (ending == Ending::Interrupted) {
        printAlarm(out, interruptedText);
    }
}

} // namespace komiwojazer
