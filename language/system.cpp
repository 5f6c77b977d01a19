// The languages the user's system prefers: the environment's, as gettext reads it; on Windows,
// where it is seldom set, the display languages unless it is.
#include <cstdlib>

#include "language/words.h"

#ifdef _WIN32
#include "runtime/utf16.h"
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

}  // namespace

std::vector<std::string> system_preferences() {
#ifdef _WIN32
    if (!variable("LANGUAGE") && !variable("LC_ALL") && !variable("LC_MESSAGES") &&
        !variable("LANG"))
        return display_languages();
#endif
    return environment_preferences(variable);
}

}  // namespace orbskin::language
