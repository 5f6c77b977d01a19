// orbskin-cli: the generate command for scripts and batch builds, with the window's defaults.
#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "runtime/error.h"
#include "skin/generate.h"

namespace orbskin::cli {
namespace {

// One option per settings group, in the order of the groups.
inline constexpr std::array<std::string_view, skin::kSettingsGroups.size()> kGroupOptions{
    "--list-color", "--selected-color", "--ebook-color",     "--movie-icon",
    "--music-icon", "--image-icon",     "--game-icon",       "--ebook-icon",
    "--setup-icon", "--list-position",  "--menu-text-offset"};

std::string value_hint(skin::GroupKind kind) {
    return kind == skin::GroupKind::colour ? "R,G,B" : "X,Y";
}

std::vector<std::string> split_components(const std::string& value) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = value.find(',', start);
        parts.push_back(value.substr(start, comma - start));
        if (comma == std::string::npos) return parts;
        start = comma + 1;
    }
}

// Spreads the group options over the field texts; a value with the wrong number of components
// is a usage error. The texts themselves are judged later, by the same conversion as the window's.
void apply_group_values(const std::array<std::optional<std::string>, kGroupOptions.size()>& values,
                        skin::SkinSettings& settings) {
    for (std::size_t g = 0; g < values.size(); ++g) {
        if (!values[g]) continue;
        const skin::SettingsGroup& group = skin::kSettingsGroups[g];
        const std::vector<std::string> parts = split_components(*values[g]);
        if (parts.size() != skin::component_count(group.kind)) {
            throw CLI::ValidationError(
                std::string(kGroupOptions[g]),
                "expected " + value_hint(group.kind) + ", got \"" + *values[g] + "\"");
        }
        for (std::size_t c = 0; c < parts.size(); ++c)
            settings.texts[skin::first_field(g) + c] = parts[c];
    }
}

int pack(const std::string& folder, const skin::SkinSettings& settings, std::ostream& out,
         std::ostream& err) {
    try {
        const skin::Outcome outcome = skin::generate(folder, settings);
        (outcome.finished ? out : err) << outcome.message << '\n';
        return outcome.finished ? kExitSuccess : kExitFailure;
    } catch (const runtime::Error& e) {
        err << e.what() << '\n';
    } catch (const std::exception& e) {
        err << "unexpected failure: " << e.what() << '\n';
    }
    return kExitFailure;
}

}  // namespace

int run(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    CLI::App app{"Builds ORBSKIN.000, the menu skin of the handheld, from twelve BMP pictures.",
                 "orbskin-cli"};
    app.set_version_flag("--version", std::string("orbskin-cli ") + ORBSKIN_VERSION);
    app.require_subcommand(1);

    CLI::App* pack_command = app.add_subcommand(
        "pack", "Check the twelve pictures in a folder and write ORBSKIN.000 there.");
    std::string folder;
    pack_command->add_option("--dir", folder, "Folder of the pictures and the skin (default: .)")
        ->type_name("DIR");
    std::array<std::optional<std::string>, kGroupOptions.size()> group_values;
    for (std::size_t g = 0; g < kGroupOptions.size(); ++g) {
        const skin::SettingsGroup& group = skin::kSettingsGroups[g];
        std::string defaults;
        for (std::size_t c = 0; c < skin::component_count(group.kind); ++c)
            defaults +=
                (c ? "," : "") + std::string(skin::kStartingTexts[skin::first_field(g) + c]);
        pack_command
            ->add_option(std::string(kGroupOptions[g]), group_values[g],
                         std::string(group.caption) + " (default: " + defaults + ")")
            ->type_name(value_hint(group.kind))
            ->allow_extra_args(false);
    }
    CLI::Option* hint =
        pack_command->add_flag("--hint")->description("Show the hint (the default)");
    CLI::Option* no_hint = pack_command->add_flag("--no-hint")->description("Do not show the hint");
    hint->excludes(no_hint);

    std::vector<std::string> reversed(args.rbegin(), args.rend() - 1);
    skin::SkinSettings settings = skin::SkinSettings::starting();
    try {
        app.parse(std::move(reversed));
        apply_group_values(group_values, settings);
        settings.show_hint = no_hint->count() == 0;
    } catch (const CLI::Success& e) {
        return app.exit(e, out, err);
    } catch (const CLI::ParseError& e) {
        app.exit(e, out, err);
        return kExitUsage;
    }
    return pack(folder, settings, out, err);
}

}  // namespace orbskin::cli
