// Entry point of orbskin-cli. On Windows import and preview run in-process with the system's
// imaging libraries;
// elsewhere orbskin-cli starts orbskin-cli-images for the picture commands.
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
#ifdef _WIN32
    constexpr orbskin::cli::AddCommand kPictureCommands[] = {orbskin::cli::add_import,
                                                             orbskin::cli::add_preview};
    return orbskin::cli::run(args, std::cout, std::cerr, kPictureCommands);
#else
    return orbskin::cli::run(args, std::cout, std::cerr);
#endif
}
