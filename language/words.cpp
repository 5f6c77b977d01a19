// Looking up our words, and choosing the language from what the user's system prefers.
#include "language/words.h"

#include <algorithm>
#include <cctype>

namespace orbskin::language {
namespace {

using catalogue::kKeys;
using catalogue::kLanguages;

// Tags that name a language by a script or region rather than by the code of its file.
struct Variant {
    std::string_view language, part, code;
};
constexpr Variant kVariants[] = {
    {"zh", "hans", "zh_CN"}, {"zh", "hant", "zh_TW"}, {"zh", "tw", "zh_TW"}, {"zh", "hk", "zh_TW"},
    {"zh", "mo", "zh_TW"},   {"zh", "", "zh_CN"},     {"pt", "", "pt_BR"},
};

// "zh_TW.UTF-8@euro" or "zh-Hant-TW" as its parts in lower case: {"zh", "hant", "tw"}.
std::vector<std::string> parts_of(std::string_view tag) {
    tag = tag.substr(0, tag.find_first_of(".@"));
    std::vector<std::string> parts(1);
    for (const char c : tag) {
        if (c == '_' || c == '-')
            parts.emplace_back();
        else
            parts.back() += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return parts;
}

const catalogue::Language* find(std::string_view code) {
    for (const auto& language : kLanguages)
        if (language.listed && language.code == code) return &language;
    return nullptr;
}

const catalogue::Language* language_of(std::string_view tag) {
    const auto parts = parts_of(tag);
    if (tag == "qps") return &kLanguages.back();  // the tests' pseudo-language, never listed
    for (const auto& variant : kVariants) {
        if (parts[0] != variant.language) continue;
        if (variant.part.empty() ||
            std::find(parts.begin() + 1, parts.end(), variant.part) != parts.end())
            return find(variant.code);
    }
    return find(parts[0]);
}

// Where the message of `key` is in the catalogue; none for one the build's check would have
// stopped.
const catalogue::Forms* entry(const catalogue::Language& language, std::string_view key) {
    const auto at = std::lower_bound(kKeys.begin(), kKeys.end(), key);
    if (at == kKeys.end() || *at != key) return nullptr;
    return &language.forms[at - kKeys.begin()];
}

}  // namespace

Words::Words() : language_(&kLanguages.front()) {}

Words::Words(std::span<const std::string> preferences) : Words() {
    for (const auto& tag : preferences) {
        if (tag == "C" || tag.starts_with("C.") || tag == "POSIX") return;
        if (const auto* language = language_of(tag)) {
            language_ = language;
            return;
        }
    }
}

std::string Words::operator()(const Message& message) const {
    const auto* forms = entry(*language_, message.key());
    std::string_view form = message.english();
    if (forms)
        form = (*forms)[message.english_plural().empty()
                            ? 0
                            : std::min<std::size_t>(language_->plural(message.count()), 1)];
    else if (!message.english_plural().empty() && message.count() != 1)
        form = message.english_plural();
    return runtime::fill(
        form, message, [this](const Message& part) { return (*this)(part); }, language_->writing);
}

std::vector<std::string> environment_preferences(
    const std::function<const char*(const char*)>& get) {
    const auto set = [&](const char* name) {
        const char* value = get(name);
        return std::string(value ? value : "");
    };
    std::string locale;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (locale.empty()) locale = set(name);
    if (locale.empty() || locale == "C" || locale.starts_with("C.") || locale == "POSIX")
        return {"C"};
    std::vector<std::string> preferences;
    const auto list = set("LANGUAGE");
    for (std::size_t at = 0; at <= list.size();) {
        const auto end = std::min(list.find(':', at), list.size());
        if (end > at) preferences.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    preferences.push_back(locale);
    return preferences;
}

}  // namespace orbskin::language
