// Entry point of orbskin-cli. On Windows import runs in-process with the system's decoders;
// elsewhere orbskin-cli starts orbskin-cli-images for the picture commands.
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
#ifdef _WIN32
    constexpr orbskin::cli::AddCommand kPictureCommands[] = {orbskin::cli::add_import};
    return orbskin::cli::run(args, std::cout, std::cerr, kPictureCommands);
#else
    return orbskin::cli::run(args, std::cout, std::cerr);
#endif
}
