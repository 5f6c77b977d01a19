// The option names come from the settings table, and the defaults from its starting values.
#include "cli/settings_options.h"

#include <vector>

#include "cli/commands.h"
#include "disk/whole_files.h"
#include "runtime/utf8_path.h"
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
    for (std::size_t g = 0; g < options.group_values.size(); ++g) {
        const std::optional<std::string>& value = options.group_values[g];
        if (!value) continue;
        const skin::SettingsGroup& group = skin::kSettingsGroups[g];
        const std::vector<std::string> parts = split_components(*value);
        const auto fields = skin::fields_of(g);
        if (parts.size() != fields.size()) {
            throw usage_error(words, std::string(group.option),
                              Message("expected {form}, got \"{value}\"",
                                      {{"form", value_hint(group.kind)}, {"value", *value}}));
        }
        for (std::size_t c = 0; c < parts.size(); ++c)
            settings.texts[fields[c]] = parts[c];
    }
    if ((options.hint && options.hint->count() > 0) || options.settings_skin.empty())
        settings.show_hint = options.show_hint;
    return settings;
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
        app.add_option(std::string(group.option), options.group_values[g],
                       words("{caption} (default: {values})",
                             {{"caption", std::string(group.caption)}, {"values", defaults}}))
            ->type_name(value_hint(group.kind));
    }
    // One flag with a value, so that --hint=false means off; --no-hint is its negation.
    options.hint = app.add_flag("--hint,!--no-hint", options.show_hint,
                                words("Show the hint (the default); --no-hint or --hint=false "
                                      "does not"))
                       ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}

}  // namespace orbskin::cli
