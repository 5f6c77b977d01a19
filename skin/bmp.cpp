// Canonical BMP encoding with explicit little-endian fields.
#include "skin/bmp.h"

#include <stdexcept>

#include "skin/layout.h"

namespace orbskin::skin {
namespace {

void put_le16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void put_le32(std::uint8_t* at, std::uint32_t value) {
    put_le16(at, value & 0xFFFF);
    put_le16(at + 2, value >> 16);
}

}  // namespace

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
    put_le32(h + 2, static_cast<std::uint32_t>(file.size()));
    put_le32(h + 10, kBmpHeaderLength);
    put_le32(h + 14, 40);
    put_le32(h + 18, static_cast<std::uint32_t>(width));
    put_le32(h + 22, static_cast<std::uint32_t>(height));
    put_le16(h + 26, 1);
    put_le16(h + 28, 24);
    put_le32(h + 34, static_cast<std::uint32_t>(data_length));

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
