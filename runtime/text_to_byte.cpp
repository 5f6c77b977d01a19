// Text to byte, strict about what counts as a number so that a typo never becomes a setting.
#include "runtime/text_to_byte.h"

namespace orbskin::runtime {
namespace {

constexpr bool is_blank(char c) {
    return c == ' ' || c == '\t';
}
constexpr bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<std::uint8_t> text_to_byte(std::string_view text) noexcept {
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    if (text.empty()) return std::nullopt;

    unsigned value = 0;
    for (const char c : text) {
        if (!is_digit(c)) return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
        // Stopping at once keeps the value small however many digits follow.
        if (value > 255) return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

}  // namespace orbskin::runtime
