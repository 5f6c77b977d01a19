// Runs orbskin-cli in-process and keeps what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "disk/files.h"

namespace orbskin::test {

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

inline CliResult run_cli(std::vector<std::string> args,
                         std::span<const cli::AddCommand> picture_commands = {},
                         runtime::Os& os = disk::system_os()) {
    args.insert(args.begin(), "orbskin-cli");
    std::ostringstream out, err;
    const int status = cli::run(os, args, out, err, picture_commands);
    return {status, out.str(), err.str()};
}

}  // namespace orbskin::test
