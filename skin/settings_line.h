// The settings as orbskin-cli pack's options, both ways, so that the page and the command line
// carry them to each other: "--movie-icon=20,42 --no-hint" for the fields, and the fields from a
// pasted `orbskin-cli pack …` command or the options that unpack prints.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/error.h"
#include "skin/settings.h"

namespace orbskin::skin {

// The pack options of `settings`: each group whose texts differ from the starting values, and the
// hint where it differs; with `every`, each group and the hint, as unpack prints them. A text
// that a shell would split is quoted.
[[nodiscard]] std::string pack_options(const SkinSettings& settings, bool every = false);

// The comma-separated parts of an option's value such as "R,G,B" or "X,Y", empty parts kept.
[[nodiscard]] std::vector<std::string> split_components(std::string_view value);

// A value that pack's option does not take: "{option}: {problem}", its two parts kept apart for a
// command line that words it as its own usage errors.
class OptionRefused : public runtime::Error {
  public:
    OptionRefused(std::string option, const runtime::Message& problem);
    std::string option;
    runtime::Message problem;
};

// The settings of pack's options (the words after "pack"): `base` (the starting values, or those
// of the skin --settings-from names), changed by each option as pack changes them; the hint only
// where --hint or --no-hint is given. The texts are taken as they are, to be judged as pack judges
// them. Throws runtime::Error for options pack would not take: one it does not know, one given
// twice, a value of the wrong number of parts (OptionRefused), a hint that is not true or false.
// --dir names no setting and is passed over; so is --settings-from where `from_skin` (pack's own
// reading of a skin), and elsewhere, naming a file a page cannot open, it is refused.
[[nodiscard]] SkinSettings settings_of_options(std::span<const std::string> words, bool from_skin,
                                               SkinSettings base = SkinSettings::starting());

// The settings of a pasted `orbskin-cli pack …` line, or of the options that unpack prints, by
// settings_of_options; a quote left open is refused too.
[[nodiscard]] SkinSettings settings_of_line(std::string_view line);

// A command pasted over several lines as one line, for a box that holds one: each continuation
// (a backslash, caret or backtick ending a line) and each other line end made a space; within
// quotes, as a shell takes it: kept within single quotes, dropped within double quotes.
[[nodiscard]] std::string joined_line(std::string_view text);

}  // namespace orbskin::skin
