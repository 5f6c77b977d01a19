// orbskin-cli pack: the generate command with the window's starting values as defaults.
#include <memory>
#include <optional>
#include <vector>

#include "cli/cli.h"
#include "cli/commands.h"
#include "disk/skin_folder.h"
#include "disk/whole_files.h"
#include "runtime/utf8_path.h"
#include "skin/unpack.h"

namespace orbskin::cli {
namespace {

std::string value_hint(skin::GroupKind kind) {
    return kind == skin::GroupKind::colour ? "R,G,B" : "X,Y";
}

struct PackOptions {
    std::string folder;
    std::string settings_skin;  // empty: the window's starting values
    std::array<std::optional<std::string>, skin::kSettingsGroups.size()> group_values;
    bool show_hint = skin::kShowHintStarting;
    bool hint_given = false;
};

// Spreads the group options over the field texts of the starting values, or of the skin named by
// --settings-from; a value with the wrong number of components is a usage error. The texts
// themselves are judged later, by the same conversion as the window's. Throws runtime::Error
// when the skin cannot be read or is not a skin.
skin::SkinSettings settings_from(runtime::Os& os, const PackOptions& options) {
    skin::SkinSettings settings = options.settings_skin.empty()
                                      ? skin::SkinSettings::starting()
                                      : skin::settings_of(skin::unpack_skin(disk::read_skin_file(
                                            os, runtime::path_from_utf8(options.settings_skin))));
    for (std::size_t g = 0; g < options.group_values.size(); ++g) {
        const std::optional<std::string>& value = options.group_values[g];
        if (!value) continue;
        const skin::SettingsGroup& group = skin::kSettingsGroups[g];
        const std::vector<std::string> parts = split_components(*value);
        const auto fields = skin::fields_of(g);
        if (parts.size() != fields.size()) {
            throw CLI::ValidationError(
                std::string(group.option),
                "expected " + value_hint(group.kind) + ", got \"" + *value + "\"");
        }
        for (std::size_t c = 0; c < parts.size(); ++c)
            settings.texts[fields[c]] = parts[c];
    }
    if (options.hint_given || options.settings_skin.empty()) settings.show_hint = options.show_hint;
    return settings;
}

// Shows the hint flag as it is typed, where CLI11 would show "--hint,--no-hint{false}".
class PackHelp : public CLI::Formatter {
  public:
    std::string make_option_name(const CLI::Option* option, bool positional) const override {
        if (option->get_name() == "--hint") return "--hint[=BOOL], --no-hint";
        return CLI::Formatter::make_option_name(option, positional);
    }
};

}  // namespace

Command add_pack(CLI::App& parent) {
    CLI::App* app = parent.add_subcommand(
        "pack", "Check the twelve pictures in a folder and write ORBSKIN.000 there.");
    auto options = std::make_shared<PackOptions>();
    app->formatter(std::make_shared<PackHelp>());
    app->add_option("--dir", options->folder, "Folder of the pictures and the skin (default: .)")
        ->type_name("DIR");
    app->add_option("--settings-from", options->settings_skin,
                    "Start from the settings of this skin instead of the defaults; the options "
                    "below still change them")
        ->type_name("SKIN");
    for (std::size_t g = 0; g < skin::kSettingsGroups.size(); ++g) {
        const skin::SettingsGroup& group = skin::kSettingsGroups[g];
        std::string defaults;
        for (const std::size_t field : skin::fields_of(g))
            defaults += (defaults.empty() ? "" : ",") +
                        std::string(skin::kSettingsFields[field].starting_text);
        app->add_option(std::string(group.option), options->group_values[g],
                        std::string(group.caption) + " (default: " + defaults + ")")
            ->type_name(value_hint(group.kind));
    }
    // One flag with a value, so that --hint=false means off; --no-hint is its negation.
    CLI::Option* hint =
        app->add_flag("--hint,!--no-hint", options->show_hint,
                      "Show the hint (the default); --no-hint or --hint=false does not")
            ->multi_option_policy(CLI::MultiOptionPolicy::Throw);

    return {app, [options, hint](runtime::Os& os, std::ostream& out, std::ostream& err) {
                options->hint_given = hint->count() > 0;
                return report_failures(err, [&] {
                    const skin::SkinSettings settings = settings_from(os, *options);
                    const skin::Outcome outcome =
                        disk::generate(os, runtime::path_from_utf8(options->folder), settings);
                    const std::string check = options->folder.empty()
                                                  ? "orbskin-cli check"
                                                  : "orbskin-cli check --dir " + options->folder;
                    for (const std::string& warning : outcome.warnings)
                        err << "warning: " << warning << "; run \"" << check << "\" for the fix\n";
                    (outcome.finished ? out : err) << outcome.message << '\n';
                    return outcome.finished ? kExitSuccess : kExitFailure;
                });
            }};
}

}  // namespace orbskin::cli
