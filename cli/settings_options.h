// The settings options pack and preview share: the group options with the window's starting
// values as defaults, --settings-from, and --hint/--no-hint.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "language/words.h"
#include "runtime/os.h"
#include "skin/settings.h"

namespace orbskin::cli {

struct SettingsOptions {
    std::string settings_skin;  // empty: the window's starting values
    // The settings options given, each as one word ("--main-color=1,2,3", "--no-hint"), for
    // skin::settings_of_options to read, as it reads a line pasted into the page.
    std::vector<std::string> given;
    std::string hint;  // --hint's value as CLI11 reads the flag ("true" for --no-hint=false)
};

// Registers the options on `app`, with help that shows the hint flag as it is typed.
void add_settings_options(CLI::App& app, SettingsOptions& options, const language::Words& words);

// The settings the options give (skin::settings_of_options), over the starting values or those of
// the skin named by --settings-from; a value with the wrong number of components is a usage error.
// The texts themselves are judged later, by the same conversion as the window's. Throws
// runtime::Error when the skin cannot be read or is not a skin.
[[nodiscard]] skin::SkinSettings settings_from(runtime::Os& os, const SettingsOptions& options,
                                               const language::Words& words);

}  // namespace orbskin::cli
