#include "io/TokenReader.h"

#include "io/Words.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>

namespace komiwojazer {
namespace {

constexpr std::size_t blockSize = std::size_t{1} << 16;
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
constexpr std::uint32_t heaviest = std::numeric_limits<std::uint32_t>::max();

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Converts a word the way strtol does in base 10, fed piece by piece so that a word of any length
// is read in constant memory.
class WeightParser {
public:
    void feed(const char* begin, const char* end) {
        for (const char* c = begin; c != end && stage != Stage::Done; ++c) {
            if (stage == Stage::Sign && (*c == '+' || *c == '-')) {
                negative = *c == '-';
                stage = Stage::FirstDigit;
            } else if (isDigit(*c)) {
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
    // Any value above the 32-bit range gives the same weight; saturating here avoids overflow.
    static constexpr std::uint64_t overflow = std::uint64_t{heaviest} + 1;

    Stage stage = Stage::Sign; // where in "[sign] digits" the next character falls
    bool negative = false;     // a minus sign came first
    std::uint64_t value = 0;   // the digits read so far, saturated at overflow
};

} // namespace

TokenReader::TokenReader(const std::string& fileName, const RunLimits& limits, FileSystem& files)
    : files(files), limits(limits) {
    if (fileName.find('\0') != std::string::npos) {
        return;
    }
    file = FileDescriptor(
        files, files.openat(AT_FDCWD, fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (file.isOpen() && files.fstat(file.get(), info) == 0 && S_ISREG(info.st_mode)) {
        fileSize = static_cast<std::uint64_t>(info.st_size);
        block.resize(blockSize);
    } else {
        file = FileDescriptor();
    }
}

Shortfall TokenReader::skipTo(std::string_view keyword) {
    while (true) {
        std::size_t length = 0;
        bool matches = true;
        const Shortfall read = readWord([&](const char* begin, const char* end) {
            const auto pieceLength = static_cast<std::size_t>(end - begin);
            matches = matches && length + pieceLength <= keyword.size() &&
                      std::equal(begin, end, keyword.begin() + length);
            length += pieceLength;
        });
        if (read != Shortfall::None || (matches && length == keyword.size())) {
            return read;
        }
    }
}

Shortfall TokenReader::skip(std::uint64_t count) {
    for (std::uint64_t k = 0; k < count; ++k) {
        if (const Shortfall read = readWord([](const char*, const char*) {});
            read != Shortfall::None) {
            return read;
        }
    }
    return Shortfall::None;
}

Shortfall TokenReader::next(std::string& word, std::size_t maxLength) {
    BoundedWord kept(maxLength);
    const Shortfall read =
        readWord([&](const char* begin, const char* end) { kept.append(begin, end); });
    const bool tooLong = kept.tooLong();
    word = kept.take();
    return read == Shortfall::None && tooLong ? Shortfall::TooLong : read;
}

Shortfall TokenReader::nextWeight(std::uint32_t& weight) {
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

Shortfall TokenReader::refill() {
    position = 0;
    filled = 0;
    if (limits.cancelled()) {
        return Shortfall::Cancelled;
    }
    while (true) {
        const ssize_t count = files.read(file.get(), block.data(), block.size());
        if (count > 0) {
            filled = static_cast<std::size_t>(count);
            // Editors on Windows often begin a UTF-8 file with a byte order mark; it is no word.
            if (consumed == 0 &&
                std::string_view(block.data(), filled).starts_with(byteOrderMark)) {
                position = byteOrderMark.size();
            }
            consumed += filled;
            return Shortfall::None;
        }
        if (count == 0 || errno != EINTR) {
            return Shortfall::EndOfFile;
        }
    }
}

} // namespace komiwojazer
