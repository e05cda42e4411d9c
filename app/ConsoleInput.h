#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace komiwojazer {

// Reads the menu's choices: each is the next non-blank character. A UTF-8 byte order mark at the
// very start of the input, which an editor may put before the first choice, is skipped; the bytes
// of one that is not whole are choices of their own, as they would be without this.
class ChoiceReader {
public:
    explicit ChoiceReader(std::istream& in) : in(in) {}

    // The next choice, or nothing at the end of the input.
    std::optional<char> next();

private:
    std::istream& in;
    bool started = false;       // a choice has been read
    std::string pendingChoices; // the bytes of a broken byte order mark, each a choice
};

// What a number prompt received.
struct IntegerEntry {
    enum class Kind {
        Number,     // value holds it
        NotANumber, // a word that does not begin with an integer, consumed whole
        EndOfInput, // nothing more to read
    };
    Kind kind = Kind::EndOfInput;
    std::int64_t value = 0;
};

// A signed decimal integer read the way formatted extraction reads it: blanks skipped, an optional
// sign, then digits up to the first other character, which stays in the input. Values beyond the
// 64-bit range saturate. A word that holds no number there is consumed to its end, so that the
// next read takes the next word.
IntegerEntry readInteger(std::istream& in);

// A whitespace-delimited word as formatted extraction reads it, but never longer than maxLength:
// a longer word is read to its end and dropped, and tooLong says so.
struct Word {
    std::string text;
    bool tooLong = false;
};

// The next word, or nothing at the end of the input.
std::optional<Word> readWord(std::istream& in, std::size_t maxLength);

} // namespace komiwojazer
