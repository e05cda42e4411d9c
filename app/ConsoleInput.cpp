#include "app/ConsoleInput.h"

#include "io/Words.h"

#include <cctype>
#include <istream>
#include <limits>
#include <streambuf>

namespace komiwojazer {

std::optional<char> readChoice(std::istream& in) {
    char choice = 0;
    if (!(in >> choice)) {
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
    if (!(in >> std::ws) || in.rdbuf()->sgetc() == Traits::eof()) {
        in.setstate(std::ios::failbit);
        return std::nullopt;
    }
    std::streambuf& source = *in.rdbuf();
    BoundedWord word(maxLength);
    for (int next = source.sgetc();; next = source.snextc()) {
        if (next == Traits::eof()) {
            in.setstate(std::ios::eofbit);
            break;
        }
        const char c = Traits::to_char_type(next);
        if (isBlank(c)) {
            break;
        }
        word.append(&c, &c + 1);
    }
    const bool tooLong = word.tooLong();
    return Word{word.take(), tooLong};
}

} // namespace komiwojazer
