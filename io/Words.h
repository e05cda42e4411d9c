#pragma once

#include <algorithm>
#include <cstddef>
#include <new>
#include <string>

namespace komiwojazer {

// What separates words, in files and at the prompts alike: the blanks of the classic locale, the
// ones formatted extraction skips (blank, \t, \n, \v, \f, \r).
[[nodiscard]] constexpr bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// A word kept whole as it is read, piece by piece, but never longer than a bound: a longer word is
// read to its end all the same, but dropped, and tooLong() says so. The text grows by hand, so that
// it never takes more than twice the longest word allowed; a failed allocation drops it the same
// way.
class BoundedWord {
public:
    explicit BoundedWord(std::size_t maxLength) : maxLength(maxLength) {}

    void append(const char* begin, const char* end) {
        const auto length = static_cast<std::size_t>(end - begin);
        if (overlong || length > maxLength - text.size()) {
            drop();
            return;
        }
        if (text.size() + length > text.capacity()) {
            try {
                text.reserve(
                    std::min(maxLength, std::max(text.size() + length, 2 * text.size() + 16)));
            } catch (const std::bad_alloc&) {
                drop();
                return;
            }
        }
        text.append(begin, length);
    }

    [[nodiscard]] bool tooLong() const { return overlong; }
    // The word read, empty when it was too long.
    [[nodiscard]] std::string take() { return std::move(text); }

private:
    void drop() {
        overlong = true;
        std::string().swap(text);
    }

    std::size_t maxLength; // the longest word kept
    std::string text;      // the word so far
    bool overlong = false; // the word passed maxLength
};

} // namespace komiwojazer
