#pragma once

#include <iosfwd>

namespace komiwojazer {

// Runs the interactive menu on the given streams until the user ends it (or the input ends);
// returns the process exit status.
int runMenu(std::istream& in, std::ostream& out);

} // namespace komiwojazer
