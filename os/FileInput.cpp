#include "os/FileInput.h"

#include <cerrno>
#include <ios>

namespace komiwojazer {

FileInput::int_type FileInput::underflow() {
    while (true) {
        const ssize_t got = files.read(fd, buffer.data(), buffer.size());
        if (got > 0) {
            setg(buffer.data(), buffer.data(), buffer.data() + got);
            return traits_type::to_int_type(buffer[0]);
        }
        if (got == 0) {
            return traits_type::eof();
        }
        if (errno != EINTR) {
            throw std::ios_base::failure("the input cannot be read");
        }
    }
}

} // namespace komiwojazer
