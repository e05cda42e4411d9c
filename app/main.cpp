#include "app/MenuLoop.h"

#include <csignal>
#include <iostream>

int main() {
    // A reader of the output that goes away (komiwojazer | head -1) is lost output, which the loop
    // reports at its end, not a reason to die at once without a word.
    std::signal(SIGPIPE, SIG_IGN);
    return komiwojazer::runMenu(std::cin, std::cout, std::cerr);
}
