// Entry point of orbskin-cli. On Windows import and preview run in-process with the system's
// imaging libraries, and the command line and the output are Unicode whatever the code page;
// elsewhere orbskin-cli starts orbskin-cli-images for the picture commands. Our words are in the
// language the user's system prefers, chosen once here.
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/commands.h"
#include "disk/files.h"
#include "language/words.h"

#ifdef _WIN32
#include "cli/console_windows.h"

int wmain(int argc, wchar_t** argv) {
    constexpr orbskin::cli::AddCommand kPictureCommands[] = {orbskin::cli::add_import,
                                                             orbskin::cli::add_preview};
    orbskin::cli::ConsoleStream out(orbskin::cli::Standard::output);
    orbskin::cli::ConsoleStream err(orbskin::cli::Standard::error);
    const orbskin::language::Words words(orbskin::language::system_preferences());
    return orbskin::cli::run(orbskin::disk::system_os(), orbskin::cli::utf8_arguments(argc, argv),
                             out, err, kPictureCommands, words);
}
#else
#include <iostream>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv, argv + argc);
    const orbskin::language::Words words(orbskin::language::system_preferences());
    return orbskin::cli::run(orbskin::disk::system_os(), args, std::cout, std::cerr, {}, words);
}
#endif
