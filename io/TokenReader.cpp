#include "io/TokenReader.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace komiwojazer {
namespace {

constexpr std::size_t blockSize = std::size_t{1} << 16;
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

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
