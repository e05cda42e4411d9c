#pragma once

#include <ostream>
#include <string_view>

namespace komiwojazer {

// Every failure line the user can cause starts with this.
inline constexpr std::string_view alarm = "+++ MELON MELON MELON +++ ";

inline constexpr std::string_view noInstanceMessage =
    "+++ MELON MELON MELON +++ Brak zaladowanych danych +++";
inline constexpr std::string_view outOfMemoryMessage = "+++ MELON MELON MELON +++ Brak pamieci +++";

// Prints a whole line and flushes it, so that the user sees it before any long work starts.
inline void printLine(std::ostream& out, std::string_view text = {}) {
    out << text << std::endl;
}

// A failure line followed by the empty line that closes the choice.
inline void printRefusal(std::ostream& out, std::string_view text) {
    printLine(out, text);
    printLine(out);
}

} // namespace komiwojazer
