// The option names come from the settings table, and the defaults from its starting values.
#include "cli/settings_options.h"

#include <vector>

#include "cli/commands.h"
#include "disk/whole_files.h"
#include "runtime/error.h"
#include "runtime/utf8_path.h"
#include "skin/settings_line.h"
#include "skin/unpack.h"

namespace orbskin::cli {
namespace {

std::string value_hint(skin::GroupKind kind) {
    return kind == skin::GroupKind::colour ? "R,G,B" : "X,Y";
}

// Shows the hint flag as it is typed, where CLI11 would show "--hint,--no-hint{false}".
class SettingsHelp : public ColumnHelp {
  public:
    std::string make_option_name(const CLI::Option* option, bool positional) const override {
        if (option->get_name() == "--hint") return "--hint[=BOOL], --no-hint";
        return ColumnHelp::make_option_name(option, positional);
    }
};

}  // namespace

skin::SkinSettings settings_from(runtime::Os& os, const SettingsOptions& options,
                                 const Words& words) {
    skin::SkinSettings settings = options.settings_skin.empty()
                                      ? skin::SkinSettings::starting()
                                      : skin::settings_of(skin::unpack_skin(disk::read_skin_file(
                                            os, runtime::path_from_utf8(options.settings_skin))));
    std::vector<std::string> given = options.given;
    if (!options.hint.empty()) given.push_back("--hint=" + options.hint);
    try {
        return skin::settings_of_options(given, true, std::move(settings));
    } catch (const skin::OptionRefused& refused) {
        throw usage_error(words, refused.option, refused.problem);
    } catch (const runtime::Error& refused) {
        throw CLI::ValidationError(words(runtime::failure_message(refused)));
    }
}

void add_settings_options(CLI::App& app, SettingsOptions& options, const Words& words) {
    const auto help = std::make_shared<SettingsHelp>();
    speak_labels(*help, words);
    app.formatter(help);
    app.add_option("--settings-from", options.settings_skin,
                   words("Start from the settings of this skin instead of the defaults; the "
                         "options below still change them"))
        ->type_name("SKIN");
    for (std::size_t g = 0; g < skin::kSettingsGroups.size(); ++g) {
        const skin::SettingsGroup& group = skin::kSettingsGroups[g];
        std::string defaults;
        for (const std::size_t field : skin::fields_of(g))
            defaults += (defaults.empty() ? "" : ",") +
                        std::string(skin::kSettingsFields[field].starting_text);
        const std::string option(group.option);
        app.add_option(
               option,
               [&given = options.given, option](const CLI::results_t& values) {
                   given.push_back(option + '=' + values.back());
                   return true;
               },
               words("{caption} (default: {values})",
                     {{"caption", std::string(group.caption)}, {"values", defaults}}))
            ->type_name(value_hint(group.kind));
    }
    // One flag with a value, so that --hint=false means off; --no-hint is its negation. Its value
    // is judged by pack's rule, with the group options.
    app.add_flag("--hint,!--no-hint", options.hint,
                 words("Show the hint (the default); --no-hint or --hint=false does not"))
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}

}  // namespace orbskin::cli
