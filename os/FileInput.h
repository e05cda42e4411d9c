#pragma once

#include "os/FileSystem.h"

#include <array>
#include <streambuf>

namespace komiwojazer {

// Reads an open file descriptor, such as standard input, through the file-system layer. A read
// that fails (standard input is a directory, or a disk error) is not the end of the input: it
// throws, which the reading istream turns into badbit, so that the program can tell the two apart.
class FileInput final : public std::streambuf {
public:
    explicit FileInput(int fd, FileSystem& files = FileSystem::standard()) : fd(fd), files(files) {}

protected:
    int_type underflow() override;

private:
    int fd;                          // not owned
    FileSystem& files;               // the layer it reads through
    std::array<char, 4096> buffer{}; // what the last read brought
};

} // namespace komiwojazer
