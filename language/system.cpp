// The languages the user's system prefers: the environment's, as gettext reads it; on Windows,
// where it is seldom set, the display languages unless it is.
#include <cctype>
#include <cstdlib>
#include <string>
#include <string_view>

#include "language/words.h"

#ifdef _WIN32
#include "runtime/utf16.h"
#else
#include <langinfo.h>

#include <clocale>
#include <cstring>
#endif

namespace orbskin::language {
namespace {

#ifdef _WIN32
// The user's display languages, first the one Windows is shown in: "zh-TW", "en-US".
std::vector<std::string> display_languages() {
    ULONG count = 0, size = 0;
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) || !size) return {};
    std::wstring names(size, L'\0');
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, names.data(), &size)) return {};
    std::vector<std::string> preferences;  // "zh-TW\0en-US\0\0"
    for (std::size_t at = 0; at < names.size() && names[at];) {
        const auto end = names.find(L'\0', at);
        preferences.push_back(runtime::to_utf8(std::wstring_view(names).substr(at, end - at)));
        at = end + 1;
    }
    return preferences;
}
#endif

const char* variable(const char* name) {
    return std::getenv(name);
}

// Whether the locale that sets the character set names one other than UTF-8, as "ja_JP.eucJP"
// does: so it is meant even where that locale is not installed to be asked.
bool names_legacy_encoding() {
    const char* locale = nullptr;
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"})
        if ((locale = variable(name)) && *locale) break;
    const std::string_view named = locale ? locale : "";
    const auto dot = named.find('.');
    if (dot == std::string_view::npos) return false;
    std::string_view after = named.substr(dot + 1);
    after = after.substr(0, after.find('@'));
    std::string codeset;
    for (const char c : after)
        if (c != '-' && c != '_')
            codeset += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return codeset != "utf8";
}

#ifndef _WIN32
// Whether the terminal's locale is one of the legacy encodings (GB2312, EUC-JP, ISO 8859...),
// which our UTF-8 words would fill with stray bytes; a locale that is not installed says nothing.
bool legacy_encoding() {
    const char* before = std::setlocale(LC_CTYPE, nullptr);
    const std::string kept = before ? before : "C";
    bool legacy = false;
    if (std::setlocale(LC_CTYPE, "")) {
        const char* codeset = nl_langinfo(CODESET);
        legacy = std::strcmp(codeset, "UTF-8") != 0 && std::strcmp(codeset, "ANSI_X3.4-1968") != 0;
    }
    std::setlocale(LC_CTYPE, kept.c_str());
    return legacy;
}
#endif

}  // namespace

std::vector<std::string> system_preferences() {
    if (names_legacy_encoding()) return {"C"};  // English, which every encoding shows
#ifdef _WIN32
    if (!variable("LANGUAGE") && !variable("LC_ALL") && !variable("LC_MESSAGES") &&
        !variable("LANG"))
        return display_languages();
#else
    if (legacy_encoding()) return {"C"};  // English, which every encoding shows
#endif
    return environment_preferences(variable);
}

}  // namespace orbskin::language
