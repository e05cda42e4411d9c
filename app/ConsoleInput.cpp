#include "app/ConsoleInput.h"

#include "io/Words.h"

#include <cctype>
#include <istream>
#include <limits>
#include <string_view>
#include <utility>

namespace komiwojazer {

std::optional<char> ChoiceReader::next() {
    if (!std::exchange(started, true)) {
        constexpr std::string_view mark = "\xEF\xBB\xBF";
        while (pendingChoices.size() < mark.size() &&
               in.peek() == std::istream::traits_type::to_int_type(mark[pendingChoices.size()])) {
            pendingChoices += static_cast<char>(in.get());
        }
        if (pendingChoices == mark) {
            pendingChoices.clear();
        }
    }
    char choice = 0;
    if (!pendingChoices.empty()) {
        choice = pendingChoices.front();
        pendingChoices.erase(0, 1);
    } else if (!(in >> choice)) {
        return std::nullopt;
    }
    return choice;
}

IntegerEntry readInteger(std::istream& in) {
    using Kind = IntegerEntry::Kind;
    using Traits = std::istream::traits_type;
    if (!(in >> std::ws) || in.peek() == Traits::eof()) {
        return {Kind::EndOfInput};
    }
    bool negative = false;
    int next = in.peek();
    if (next == '+' || next == '-') {
        negative = next == '-';
        in.get();
        next = in.peek();
    }
    if (next == Traits::eof() || std::isdigit(next) == 0) {
        while (next != Traits::eof() && !isBlank(Traits::to_char_type(next))) {
            in.get();
            next = in.peek();
        }
        return {Kind::NotANumber};
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
        return {Kind::Number, value};
    }
    return {Kind::Number, value == lowest ? std::numeric_limits<std::int64_t>::max() : -value};
}

std::optional<Word> readWord(std::istream& in, std::size_t maxLength) {
    using Traits = std::istream::traits_type;
    if (!(in >> std::ws) || in.peek() == Traits::eof()) {
        in.setstate(std::ios::failbit);
        return std::nullopt;
    }
    BoundedWord word(maxLength);
    for (int next = in.peek(); next != Traits::eof() && !isBlank(Traits::to_char_type(next));
         next = in.peek()) {
        const char c = Traits::to_char_type(in.get());
        word.append(&c, &c + 1);
    }
    const bool tooLong = word.tooLong();
    return Word{word.take(), tooLong};
}

} // namespace komiwojazer
