// The translations as compiled into the programs by catalogue.py: each language's forms of every
// message, in the order of kKeys, sorted by their bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "runtime/message.h"

namespace orbskin::language::catalogue {

// A message's singular and plural form; one that has no plural gives its one form twice.
using Forms = std::array<std::string_view, 2>;

struct Language {
    std::string_view code;  // as the translation's file is named: "zh_CN", "pt_BR", "fr"
    std::string_view name;  // in the language itself: "简体中文", "Français"
    std::size_t (*plural)(std::uint64_t n);  // which form, from the file's Plural-Forms
    const Forms* forms;                      // one per message of kMessages
    bool listed;                             // false for the tests' pseudo-language
    runtime::Writing writing;                // how it writes numbers and quoted names
};

// What each message is looked up by: its English, after its context and "\x04" where it has one,
// as gettext keys it ("a way to resize\x04Fit").
extern const std::span<const std::string_view> kKeys;
extern const std::span<const Language> kLanguages;  // English first

}  // namespace orbskin::language::catalogue
