// Starting orbskin-cli-images for the picture commands, the way git starts its helpers, so that
// pack, check and unpack load no image library.
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "cli/cli.h"
#include "cli/commands.h"
#include "disk/files.h"
#include "runtime/error.h"

namespace orbskin::cli {
namespace {

// Where the helper may be: beside this program in a build tree, in libexec once installed.
std::filesystem::path find_helper(runtime::Os& os) {
    std::error_code ignored;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ignored);
    const std::filesystem::path candidates[] = {
        self.parent_path() / "orbskin-cli-images",
        self.parent_path().parent_path() / "libexec" / "orbskin" / "orbskin-cli-images"};
    for (const std::filesystem::path& candidate : candidates)
        if (disk::look_up(os, candidate).kind == runtime::FileKind::regular) return candidate;
    return candidates[0];
}

}  // namespace

int run_helper(runtime::Os& os, std::span<const std::string> args, std::ostream& err,
               const Words& words) {
    const std::filesystem::path helper = find_helper(os);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(helper.c_str(), argv.data());
    const int cause = errno;
    err << words("cannot run {helper} for {command}: {cause}",
                 {{"helper", runtime::quoted(helper)},
                  {"command", args[1]},
                  {"cause", runtime::errno_message(cause)}})
        << '\n';
    return kExitFailure;
}

}  // namespace orbskin::cli
