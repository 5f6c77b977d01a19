// Writing canonical 24-bit BMP files: the 54-byte header, bottom-up rows, blue-green-red pixels.
//
//   offset  size  field (all little-endian)
//   0       2     "BM"
//   2       4     file length
//   10      4     offset of the pixel data: 54
//   14      4     info header length: 40
//   18      4     width              22  4  height (positive: bottom row first)
//   26      2     planes: 1          28  2  bits per pixel: 24
//   30      4     compression: 0     34  4  pixel data length
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orbskin::skin {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Encodes a picture given top row first. Widths must make rows a multiple of four bytes, as
// every picture of a skin does; `pixels` holds width * height values.
[[nodiscard]] std::vector<std::uint8_t> encode_bmp24(std::size_t width, std::size_t height,
                                                     std::span<const Rgb> pixels);

}  // namespace orbskin::skin
