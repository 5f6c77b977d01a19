// Entry point of orbskin-cli.
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
    return orbskin::cli::run(args, std::cout, std::cerr);
}
