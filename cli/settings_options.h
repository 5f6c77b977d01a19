// The settings options pack and preview share: the group options with the window's starting
// values as defaults, --settings-from, and --hint/--no-hint.
#pragma once

#include <CLI/CLI.hpp>
#include <array>
#include <optional>
#include <string>

#include "language/words.h"
#include "runtime/os.h"
#include "skin/settings.h"

namespace orbskin::cli {

struct SettingsOptions {
    std::string settings_skin;  // empty: the window's starting values
    std::array<std::optional<std::string>, skin::kSettingsGroups.size()> group_values;
    bool show_hint = skin::kShowHintStarting;
    CLI::Option* hint = nullptr;
};

// Registers the options on `app`, with help that shows the hint flag as it is typed.
void add_settings_options(CLI::App& app, SettingsOptions& options, const language::Words& words);

// Spreads the group options over the field texts of the starting values, or of the skin named by
// --settings-from; a value with the wrong number of components is a usage error. The texts
// themselves are judged later, by the same conversion as the window's. Throws runtime::Error
// when the skin cannot be read or is not a skin.
[[nodiscard]] skin::SkinSettings settings_from(runtime::Os& os, const SettingsOptions& options,
                                               const language::Words& words);

}  // namespace orbskin::cli
