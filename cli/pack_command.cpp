// orbskin-cli pack: the generate command with the window's starting values as defaults.
#include <memory>
#include <optional>
#include <vector>

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/settings_options.h"
#include "disk/skin_folder.h"
#include "disk/whole_files.h"
#include "runtime/utf8_path.h"
#include "skin/settings_line.h"
#include "skin/unpack.h"

namespace orbskin::cli {
namespace {

struct PackOptions {
    std::string folder;
    SettingsOptions settings;
};

}  // namespace

Command add_pack(CLI::App& parent, const Words& words) {
    CLI::App* app = parent.add_subcommand(
        "pack", words("Check the twelve pictures in a folder and write ORBSKIN.000 there."));
    auto options = std::make_shared<PackOptions>();
    app->add_option("--dir", options->folder,
                    words("Folder of the pictures and the skin (default: .)"))
        ->type_name("DIR");
    add_settings_options(*app, options->settings, words);

    return {
        app,
        [options, &words](runtime::Os& os, std::ostream& out, std::ostream& err) {
            return report_failures(err, words, [&] {
                const std::filesystem::path folder = runtime::path_from_utf8(options->folder);
                finish_interrupted(os, folder, err, words, false);
                const skin::SkinSettings settings = settings_from(os, options->settings, words);
                const skin::Outcome outcome = disk::generate(os, folder, settings);
                const std::string check =
                    options->folder.empty()
                        ? "orbskin-cli check"
                        : "orbskin-cli check --dir " + shell_word(path_argument(options->folder));
                for (const Message& warning : outcome.warnings)
                    err << words("warning: {warning}; run \"{command}\" for the fix",
                                 {{"warning", warning}, {"command", check}})
                        << '\n';
                (outcome.finished ? out : err) << outcome.message << '\n';
                return outcome.finished ? kExitSuccess : kExitFailure;
            });
        },
        // By the rule the page reads a pasted line with, so that both take the same lines.
        [](std::span<const std::string> given) { (void)skin::settings_of_options(given, true); }};
}

}  // namespace orbskin::cli
