#pragma once

#include <cstdint>

namespace komiwojazer {

// The two tabu-search settings that the user changes from the menu; they live for one run.
struct TabuSettings {
    bool tabuDiversification = true; // restarts on or off (choice 3)
    std::int32_t tabuStopTime = 10;  // stop time in whole seconds (choice 4)
};

} // namespace komiwojazer
