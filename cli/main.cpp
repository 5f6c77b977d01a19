// Entry point of orbskin-cli. On Windows import and preview run in-process with the system's
// imaging libraries, and the command line and the output are Unicode whatever the code page;
// elsewhere orbskin-cli starts orbskin-cli-images for the picture commands.
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/commands.h"
#include "disk/files.h"

#ifdef _WIN32
#include "cli/console_windows.h"

int wmain(int argc, wchar_t** argv) {
    constexpr orbskin::cli::AddCommand kPictureCommands[] = {orbskin::cli::add_import,
                                                             orbskin::cli::add_preview};
    orbskin::cli::ConsoleStream out(orbskin::cli::Standard::output);
    orbskin::cli::ConsoleStream err(orbskin::cli::Standard::error);
    return orbskin::cli::run(orbskin::disk::system_os(), orbskin::cli::utf8_arguments(argc, argv),
                             out, err, kPictureCommands);
}
#else
#include <iostream>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
    return orbskin::cli::run(orbskin::disk::system_os(), args, std::cout, std::cerr);
}
#endif
