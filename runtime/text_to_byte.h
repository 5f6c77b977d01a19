// Converts the text of a number field to the byte it stands for.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orbskin::runtime {

// Plain decimal digits with a value from 0 to 255 give that value; leading zeros are allowed, and
// so are spaces and tabs around the digits. Anything else (nothing, a sign, a fraction, hex,
// letters, other scripts' digits, a value above 255) gives nothing.
[[nodiscard]] std::optional<std::uint8_t> text_to_byte(std::string_view text) noexcept;

}  // namespace orbskin::runtime
