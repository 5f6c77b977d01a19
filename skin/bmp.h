// BMP files: writing canonical 24-bit ones (the 54-byte header, bottom-up rows, blue-green-red
// pixels), and reading the header of any kind image tools write.
//
// The canonical file:
//   offset  size  field (all little-endian)
//   0       2     "BM"
//   2       4     file length
//   10      4     offset of the pixel data: 54
//   14      4     info header length: 40
//   18      4     width              22  4  height (positive: bottom row first)
//   26      2     planes: 1          28  2  bits per pixel: 24
//   30      4     compression: 0     34  4  pixel data length
// Any BMP file:
//   offset  size  field (all little-endian)
//   0       2     "BM"
//   10      4     offset of the pixel data
//   14      4     info header length: 12 (OS/2 core), 40, 52, 56, 64 (OS/2), 108 or 124
//   core:   18 width (2)  20 height (2)  22 planes (2)  24 bits per pixel (2)
//   others: 18 width (4)  22 height (4, negative: top row first)  26 planes (2)
//           28 bits per pixel (2)  30 compression (4)  46 palette entries used (4)
//           54 red, 58 green, 62 blue mask (52 bytes and more)  66 alpha mask (56 and more)
//
// A 40-byte header with colour masks (compression 3, or 6 with alpha) has them right after it.
// The palette follows the header and any masks: 3 bytes an entry after a core header, 4 after
// the others. A colour profile lies beyond the pixels or the header and is never read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "skin/layout.h"

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

// A file of `picture`'s length as the skin shows it: pack takes the bytes after the first
// kBmpHeaderLength as they are, whatever its own header says, so they get the canonical header.
[[nodiscard]] std::vector<std::uint8_t> as_packed(const Picture& picture,
                                                  std::span<const std::uint8_t> file);

// The compressions a header names, by their codes.
enum BmpCompression : std::uint32_t {
    kBmpRgb = 0,
    kBmpRle8 = 1,
    kBmpRle4 = 2,
    kBmpMasks = 3,
    kBmpJpeg = 4,
    kBmpPng = 5,
    kBmpAlphaMasks = 6,
};

// The fields of a BMP header that decide how its pixels are laid out.
struct BmpHeader {
    std::uint32_t header_size = 0;
    std::uint32_t data_offset = 0;
    std::int64_t width = 0;
    std::int64_t claimed_height = 0;  // negative: the top row is stored first
    std::uint32_t bits = 0;
    std::uint32_t compression = 0;

    [[nodiscard]] std::int64_t height() const {
        return claimed_height < 0 ? -claimed_height : claimed_height;
    }
};

// The header's fields; nothing when the file does not start with "BM" or is cut short in them.
[[nodiscard]] std::optional<BmpHeader> read_bmp_header(std::span<const std::uint8_t> bytes);

// Whether the info header is of one of the kinds above, by its length.
[[nodiscard]] bool bmp_header_known(std::uint32_t header_size);

// Whether our BMP decoder reads pixels laid out as `header` says.
[[nodiscard]] bool bmp_layout_readable(const BmpHeader& header);

}  // namespace orbskin::skin
