// The settings as orbskin-cli pack's options, both ways, so that the page and the command line
// carry them to each other: "--movie-icon=20,42 --no-hint" for the fields, and the fields from a
// pasted `orbskin-cli pack …` command or the options that unpack prints.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "skin/settings.h"

namespace orbskin::skin {

// The pack options of `settings`: each group whose texts differ from the starting values, and the
// hint where it differs; with `every`, each group and the hint, as unpack prints them. A text
// that a shell would split is quoted.
[[nodiscard]] std::string pack_options(const SkinSettings& settings, bool every = false);

// The comma-separated parts of an option's value such as "R,G,B" or "X,Y", empty parts kept.
[[nodiscard]] std::vector<std::string> split_components(std::string_view value);

// The settings of a pasted line: the starting values, changed by each option as pack changes
// them. The texts are taken as they are, to be judged as pack judges them. Throws runtime::Error
// for a line pack would not take: an option it does not know, a value of the wrong number of
// parts (in pack's words), or quotes left open. --dir is passed over, since it names no setting;
// --settings-from names a file a page cannot open, and is refused.
[[nodiscard]] SkinSettings settings_of_line(std::string_view line);

}  // namespace orbskin::skin
