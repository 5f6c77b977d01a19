// Reading BMP files of every kind image tools write, with one rule for every platform.
//
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

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orbskin::skin {

// A decoded picture: straight (not premultiplied) alpha, top row first, each pixel 0xAARRGGBB.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// The largest picture decoded, in pixels: 256 MB of 32-bit pixels.
inline constexpr std::uint64_t kLargestDecodedPixels = (std::uint64_t{256} << 20) / 4;

// "cannot read SOURCE as a picture: WHY", the one wording of every decoder's refusal.
[[nodiscard]] std::string unreadable_picture_text(const std::string& source,
                                                  const std::string& why);

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

// Whether decode_bmp() reads pixels laid out as `header` says.
[[nodiscard]] bool bmp_layout_readable(const BmpHeader& header);

// The picture of a whole BMP file. Channels narrower than 8 bits are widened to the nearest
// level (31 of 31 is 255); a 32-bit picture whose fourth bytes are all zero is opaque. Throws
// runtime::Error, naming `source`, for a file that is damaged (cut short, sizes that overflow,
// runs past the rows), far too large, or of a layout it does not read.
[[nodiscard]] Bitmap decode_bmp(std::span<const std::uint8_t> bytes, const std::string& source);

}  // namespace orbskin::skin
