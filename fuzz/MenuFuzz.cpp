// Arbitrary bytes as standard input of the menu loop.
#include "FuzzSupport.h"

#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace komiwojazer;
    static const MenuOptions options = fuzzing::boundedOptions();
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::ostringstream out;
    runMenu(in, out, out, options);
    return 0;
}
