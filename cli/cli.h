// The command-line front end, callable in-process so that tests see exactly what users see.
#pragma once

#include <ostream>
#include <span>
#include <string>

namespace orbskin::cli {

// Exit statuses of orbskin-cli.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // a failed check, a bad value or a file error
inline constexpr int kExitUsage = 2;    // a command line that cannot be understood

// Runs orbskin-cli with `args` (the program name first) and returns its exit status.
int run(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace orbskin::cli
