#include "app/MenuLoop.h"
#include "os/FileInput.h"

#include <csignal>
#include <iostream>
#include <unistd.h>

int main() {
    // A reader of the output that goes away (komiwojazer | head -1), and a file-size limit on an
    // output file, are lost output, which the loop reports at its end, not reasons to die at once
    // without a word.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
    // Standard input read so that a read that fails is told apart from the end of the input.
    komiwojazer::FileInput input(STDIN_FILENO);
    std::istream in(&input);
    in.tie(&std::cout);
    return komiwojazer::runMenu(in, std::cout, std::cerr);
}
