// Our own words in the user's language. A message is written in English at the place that says
// it, with named placeholders ("{file} is empty"), and looked up in the catalogue by that text;
// the programs choose the language once, from what the user's system prefers, and pass it on.
// pack's own messages and the window's captions never come through here: they stay as they are.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "language/catalogue.h"
#include "runtime/message.h"

namespace orbskin::language {

using runtime::Arg;
using runtime::Message;

class Words {
  public:
    Words();  // English
    // The first of `preferences` ("zh_CN.UTF-8", "zh-Hant-TW", "pt", "fr-CA"...) that we have;
    // English when none is, or when the first is "C" or "POSIX".
    explicit Words(std::span<const std::string> preferences);

    // The message in this language, its placeholders filled, nested messages said in it too.
    [[nodiscard]] std::string operator()(const Message& message) const;
    [[nodiscard]] std::string operator()(std::string_view english,
                                         std::vector<Arg> args = {}) const {
        return (*this)(Message(english, std::move(args)));
    }
    // The form for `n` of a message with a plural; "{n}" is filled with n.
    [[nodiscard]] std::string plural(std::string_view one, std::string_view many, std::uint64_t n,
                                     std::vector<Arg> args = {}) const {
        return (*this)(Message::plural(one, many, n, std::move(args)));
    }

    [[nodiscard]] std::string_view code() const { return language_->code; }
    [[nodiscard]] std::string_view name() const { return language_->name; }
    // How this language writes numbers and quoted names.
    [[nodiscard]] const runtime::Writing& writing() const { return language_->writing; }

  private:
    const catalogue::Language* language_;
};

// The languages a user has chosen on Linux, in gettext's order: LANGUAGE's list, unless the
// locale (the first set of LC_ALL, LC_MESSAGES and LANG) is C, then that locale.
[[nodiscard]] std::vector<std::string> environment_preferences(
    const std::function<const char*(const char*)>& get);

// What this user's system prefers: the display languages on Windows, the environment elsewhere.
[[nodiscard]] std::vector<std::string> system_preferences();

}  // namespace orbskin::language
