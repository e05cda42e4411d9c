#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace komiwojazer {

// The next non-blank character, or nothing at the end of the input.
std::optional<char> readChoice(std::istream& in);

// A signed decimal integer read the way formatted extraction reads it: blanks skipped, an optional
// sign, then digits up to the first other character, which stays in the input. Nothing when the
// input ends or holds no number there. Values beyond the 64-bit range saturate.
std::optional<std::int64_t> readInteger(std::istream& in);

// The next whitespace-delimited word, or nothing at the end of the input.
std::optional<std::string> readWord(std::istream& in);

} // namespace komiwojazer
