// Little- and big-endian fields read from and written to byte buffers, one byte at a time, so that
// no struct is ever laid over file bytes.
#pragma once

#include <cstdint>
#include <span>

namespace orbskin::skin {

// The value of up to four bytes, least significant first.
[[nodiscard]] constexpr std::uint32_t read_le(std::span<const std::uint8_t> bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;)
        value = value << 8 | bytes[i];
    return value;
}

// The value of four bytes, most significant first, as PNG stores it.
[[nodiscard]] constexpr std::uint32_t read_be32(std::span<const std::uint8_t, 4> bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | bytes[3];
}

// Stores `value` in bytes.size() bytes, least significant first.
constexpr void write_le(std::span<std::uint8_t> bytes, std::uint32_t value) {
    for (std::uint8_t& byte : bytes) {
        byte = static_cast<std::uint8_t>(value);
        value >>= 8;
    }
}

}  // namespace orbskin::skin
