#include "app/ConsoleInput.h"

#include <cctype>
#include <istream>
#include <limits>

namespace komiwojazer {

std::optional<char> readChoice(std::istream& in) {
    char choice = 0;
    if (!(in >> choice)) {
        return std::nullopt;
    }
    return choice;
}

std::optional<std::int64_t> readInteger(std::istream& in) {
    if (!(in >> std::ws)) {
        return std::nullopt;
    }
    using Traits = std::istream::traits_type;
    bool negative = false;
    int next = in.peek();
    if (next == '+' || next == '-') {
        negative = next == '-';
        in.get();
        next = in.peek();
    }
    if (next == Traits::eof() || std::isdigit(next) == 0) {
        return std::nullopt;
    }
    // Accumulated as a negative number so that the most negative value is reachable.
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    while (next != Traits::eof() && std::isdigit(next) != 0) {
        const int digit = next - '0';
        value = value < (lowest + digit) / 10 ? lowest : value * 10 - digit;
        in.get();
        next = in.peek();
    }
    if (negative) {
        return value;
    }
    return value == lowest ? std::numeric_limits<std::int64_t>::max() : -value;
}

std::optional<std::string> readWord(std::istream& in) {
    std::string word;
    if (!(in >> word)) {
        return std::nullopt;
    }
    return word;
}

} // namespace komiwojazer
