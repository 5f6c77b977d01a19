// The command-line front end, callable in-process so that tests see exactly what users see.
#pragma once

#include <array>
#include <ostream>
#include <span>
#include <string>

#include "runtime/os.h"

namespace CLI {
class App;
}
namespace orbskin::language {
class Words;
}

namespace orbskin::cli {

struct Command;
using AddCommand = Command (*)(CLI::App&, const language::Words&);

// Exit statuses of orbskin-cli.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // a failed check, a bad value or a file error
inline constexpr int kExitUsage = 2;    // a command line that cannot be understood

// The picture commands and what they do; they run in-process where `picture_commands` supplies
// them, and otherwise in the helper orbskin-cli-images, so that pack, check and unpack never
// load an image library.
struct CommandHelp {
    std::string name;
    std::string description;
};
[[nodiscard]] std::array<CommandHelp, 2> picture_commands_help(const language::Words& words);

// Runs orbskin-cli with `args` (the program name first) and returns its exit status, saying our
// own words in the language of `words` (English where none is given).
// Files are read and written through `os`.
int run(runtime::Os& os, std::span<const std::string> args, std::ostream& out, std::ostream& err,
        std::span<const AddCommand> picture_commands = {});
int run(runtime::Os& os, std::span<const std::string> args, std::ostream& out, std::ostream& err,
        std::span<const AddCommand> picture_commands, const language::Words& words);

}  // namespace orbskin::cli
