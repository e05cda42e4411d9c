#pragma once

#include "io/Words.h"
#include "os/FileDescriptor.h"
#include "os/FileSystem.h"
#include "step/RunLimits.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace komiwojazer {

// Why a read stopped short of what was asked.
enum class Shortfall {
    None,      // it read all that was asked
    EndOfFile, // the file ended first; a read that fails ends it too, since what is missing is
               // missing either way
    Cancelled, // the load's cancel flag was found set
    TooLong,   // a word to be kept was longer than allowed
};

// Converts a word the way strtol does in base 10, fed piece by piece so that a word of any length
// is read in constant memory: a number that cannot be a weight as written (a negative one, one past
// the 32-bit range) is the heaviest weight, which addEdge caps.
class WeightParser {
public:
    void feed(const char* begin, const char* end) {
        for (const char* c = begin; c != end && stage != Stage::Done; ++c) {
            if (stage == Stage::Sign && (*c == '+' || *c == '-')) {
                negative = *c == '-';
                stage = Stage::FirstDigit;
            } else if (*c >= '0' && *c <= '9') {
                value = std::min(value * 10 + static_cast<std::uint64_t>(*c - '0'), overflow);
                stage = Stage::Digits;
            } else {
                stage = Stage::Done;
            }
        }
    }

    [[nodiscard]] std::uint32_t weight() const {
        if (value == 0) {
            return 0;
        }
        return negative || value > heaviest ? heaviest : static_cast<std::uint32_t>(value);
    }

private:
    enum class Stage { Sign, FirstDigit, Digits, Done };
    static constexpr std::uint32_t heaviest = std::numeric_limits<std::uint32_t>::max();
    // Any value above the 32-bit range gives the same weight; saturating here avoids overflow.
    static constexpr std::uint64_t overflow = std::uint64_t{heaviest} + 1;

    Stage stage = Stage::Sign; // where in "[sign] digits" the next character falls
    bool negative = false;     // a minus sign came first
    std::uint64_t value = 0;   // the digits read so far, saturated at overflow
};

// An instance file, read in large blocks as whitespace-separated words. Only a readable regular
// file is opened: a directory, a pipe or a device is refused, and O_NONBLOCK keeps a FIFO without
// a writer from blocking the open; a name with a NUL byte is refused too, since the system would
// open the file that its part before the NUL names. A UTF-8 byte order mark at the very start of
// the file is no word.
class TokenReader {
public:
    TokenReader(const std::string& fileName, const RunLimits& limits, FileSystem& files);

    [[nodiscard]] bool isOpen() const { return file.isOpen(); }
    // The size the file had when it was opened; 0 also for files whose size the system does not
    // know, such as those under /proc, which may hold data all the same.
    [[nodiscard]] std::uint64_t size() const { return fileSize; }
    // The bytes of the file consumed so far.
    [[nodiscard]] std::uint64_t offset() const { return consumed - (filled - position); }

    // Moves past the next word equal to keyword.
    Shortfall skipTo(std::string_view keyword);
    // Moves past the next count words.
    Shortfall skip(std::uint64_t count = 1);
    // Reads the next word whole into word; one longer than maxLength is read to its end but not
    // kept.
    Shortfall next(std::string& word, std::size_t maxLength);
    // Reads the next word as a weight (see WeightParser). Inline with the word splitting, as the
    // one call made for every weight of a matrix.
    Shortfall nextWeight(std::uint32_t& weight);

private:
    // Passes the next word to consume as one or more consecutive pieces (a word can span blocks).
    template <typename Consume> Shortfall readWord(Consume&& consume);
    // Reads the next block.
    Shortfall refill();

    FileSystem& files;          // the layer the file is read through
    FileDescriptor file;        // the open file, not open when it was refused
    const RunLimits& limits;    // the load's cancel flag
    std::uint64_t fileSize = 0; // see size()
    std::vector<char> block;    // the current block of the file
    std::size_t position = 0;   // the next unread character of block
    std::size_t filled = 0;     // the number of valid characters in block
    std::uint64_t consumed = 0; // the bytes read from the file into blocks
};

inline Shortfall TokenReader::nextWeight(std::uint32_t& weight) {
    WeightParser parser;
    const Shortfall read =
        readWord([&](const char* begin, const char* end) { parser.feed(begin, end); });
    if (read == Shortfall::None) {
        weight = parser.weight();
    }
    return read;
}

template <typename Consume> Shortfall TokenReader::readWord(Consume&& consume) {
    while (true) {
        while (position < filled && isBlank(block[position])) {
            ++position;
        }
        if (position < filled) {
            break;
        }
        if (const Shortfall read = refill(); read != Shortfall::None) {
            return read;
        }
    }
    while (true) {
        const std::size_t start = position;
        while (position < filled && !isBlank(block[position])) {
            ++position;
        }
        consume(block.data() + start, block.data() + position);
        if (position < filled) {
            return Shortfall::None;
        }
        // A word at the end of a block goes on in the next one, unless the file ends there; a
        // load cancelled there has not read it whole.
        if (const Shortfall read = refill(); read != Shortfall::None) {
            return read == Shortfall::Cancelled ? read : Shortfall::None;
        }
    }
}

} // namespace komiwojazer
