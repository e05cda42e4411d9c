#include "app/MenuLoop.h"

#include <iostream>

int main() {
    return komiwojazer::runMenu(std::cin, std::cout, std::cerr);
}
