// The languages the user's system prefers: the display languages on Windows, the environment
// elsewhere.
#include "language/words.h"

#ifdef _WIN32
#include "runtime/utf16.h"
#else
#include <cstdlib>
#endif

namespace orbskin::language {

std::vector<std::string> system_preferences() {
#ifdef _WIN32
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
#else
    return environment_preferences([](const char* name) { return std::getenv(name); });
#endif
}

}  // namespace orbskin::language
