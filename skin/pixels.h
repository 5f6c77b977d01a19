// Conversion of the twelve 24-bit pictures into the skin's BGR555 picture sections.
#pragma once

#include <cstdint>
#include <span>

namespace orbskin::skin {

// The 16-bit value of one pixel: the five high bits of each channel, blue highest, bit 15 clear.
[[nodiscard]] constexpr std::uint16_t bgr555(std::uint8_t blue, std::uint8_t green,
                                             std::uint8_t red) {
    return static_cast<std::uint16_t>((blue >> 3) << 10 | (green >> 3) << 5 | (red >> 3));
}

// The 8-bit value a 5-bit level is shown as: its bits repeated, so that converting it back with
// bgr555() gives the same level.
[[nodiscard]] constexpr std::uint8_t skin_level(unsigned five) {
    return static_cast<std::uint8_t>(five << 3 | five >> 2);
}

// Converts consecutive blue-green-red triples into little-endian BGR555 values, in the same
// order. `out` must hold two bytes for every three of `bgr`; it may begin at or before `bgr`,
// as each value is written after its pixel is read.
void convert_pixels(std::span<const std::uint8_t> bgr, std::span<std::uint8_t> out);

}  // namespace orbskin::skin
