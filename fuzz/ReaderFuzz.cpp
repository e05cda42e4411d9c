// Arbitrary bytes as an instance file, loaded through menu choices 8 and 9 and displayed.
#include "FuzzSupport.h"

#include <cstdio>
#include <fstream>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace komiwojazer;
    static const MenuOptions options = fuzzing::boundedOptions();
    static const std::string path = fuzzing::scratchPath("instance.txt");
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::istringstream in("8 " + path + " 2 9 " + path + " 2 0");
    std::ostringstream out;
    runMenu(in, out, out, options);
    return 0;
}
