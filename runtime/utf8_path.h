// Paths to and from the UTF-8 text the program works in. On Windows std::filesystem converts a
// plain string through the ANSI code page, which turns every other character into "?"; these
// go through UTF-8 on every platform.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orbskin::runtime {

[[nodiscard]] inline std::filesystem::path path_from_utf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

[[nodiscard]] inline std::string utf8_of(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace orbskin::runtime
