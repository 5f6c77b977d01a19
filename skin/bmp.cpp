// Canonical BMP encoding with explicit little-endian fields.
#include "skin/bmp.h"

#include <stdexcept>

#include "skin/byte_order.h"
#include "skin/layout.h"

namespace orbskin::skin {
std::vector<std::uint8_t> encode_bmp24(std::size_t width, std::size_t height,
                                       std::span<const Rgb> pixels) {
    if (pixels.size() != width * height) throw std::invalid_argument("pixel count mismatch");
    if (width * kBytesPerInputPixel % 4 != 0)
        throw std::invalid_argument("rows would need padding");

    const std::size_t data_length = pixels.size() * kBytesPerInputPixel;
    std::vector<std::uint8_t> file(kBmpHeaderLength + data_length);
    std::uint8_t* h = file.data();
    h[0] = 'B';
    h[1] = 'M';
    write_le(std::span(h + 2, 4), static_cast<std::uint32_t>(file.size()));
    write_le(std::span(h + 10, 4), kBmpHeaderLength);
    write_le(std::span(h + 14, 4), 40);
    write_le(std::span(h + 18, 4), static_cast<std::uint32_t>(width));
    write_le(std::span(h + 22, 4), static_cast<std::uint32_t>(height));
    write_le(std::span(h + 26, 2), 1);
    write_le(std::span(h + 28, 2), 24);
    write_le(std::span(h + 34, 4), static_cast<std::uint32_t>(data_length));

    std::uint8_t* out = file.data() + kBmpHeaderLength;
    for (std::size_t row = height; row-- > 0;) {
        for (const Rgb& p : pixels.subspan(row * width, width)) {
            *out++ = p.blue;
            *out++ = p.green;
            *out++ = p.red;
        }
    }
    return file;
}

}  // namespace orbskin::skin
