// The orientation tag, found by walking a JPEG's markers and a TIFF directory through
// bounds-checked fields.
#include "picture/orientation.h"

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "skin/byte_order.h"

namespace orbskin::picture {
namespace {

// Where the orientation tag's value lies in the first directory of TIFF-structured bytes, as a
// TIFF file and a JPEG's EXIF block both hold them, and whether it is little-endian.
struct OrientationTag {
    std::size_t at = 0;  // 0: there is none
    bool little = false;
};

OrientationTag tiff_orientation_tag(std::span<const std::uint8_t> tiff) {
    const bool little = skin::starts_with(tiff, "II*\0");
    if (!little && !skin::starts_with(tiff, "MM\0*")) return {};
    const skin::FieldReader r(tiff);
    const auto read = [&](std::size_t offset, std::size_t size) {
        return (little ? r.le(offset, size) : r.be(offset, size)).value_or(0);
    };
    const std::uint32_t directory = read(4, 4);
    for (std::uint32_t n = 0, count = read(directory, 2); n < count && n < 1000; ++n) {
        const std::size_t entry = directory + 2 + 12 * std::size_t{n};
        if (read(entry, 2) == 0x112 && entry + 10 <= tiff.size()) return {entry + 8, little};
    }
    return {};
}

// The orientation tag of a JPEG's EXIF block or of a TIFF file, from the start of `bytes`.
OrientationTag orientation_tag(std::span<const std::uint8_t> bytes) {
    if (!skin::starts_with(bytes, "\xFF\xD8")) return tiff_orientation_tag(bytes);
    // A JPEG's markers up to the first scan: each FF xx, then a 2-byte big-endian length that
    // counts itself. The orientation is in the APP1 block that starts "Exif".
    constexpr std::string_view kExif("Exif\0\0", 6);
    for (std::size_t at = 2;
         at + 4 <= bytes.size() && bytes[at] == 0xFF && bytes[at + 1] != 0xDA;) {
        const std::size_t length = skin::read_be(bytes.subspan(at + 2, 2));
        if (length < 2) return {};  // a damaged marker
        const std::span<const std::uint8_t> body =
            bytes.subspan(at + 4, std::min(length, bytes.size() - at - 2) - 2);
        if (bytes[at + 1] == 0xE1 && skin::starts_with(body, kExif)) {
            OrientationTag tag = tiff_orientation_tag(body.subspan(kExif.size()));
            if (tag.at != 0) tag.at += at + 4 + kExif.size();
            return tag;
        }
        at += 2 + length;
    }
    return {};
}

}  // namespace

int exif_orientation(std::span<const std::uint8_t> bytes) {
    const OrientationTag tag = orientation_tag(bytes);
    if (tag.at == 0) return 1;
    const auto field = bytes.subspan(tag.at, 2);
    const std::uint32_t value = tag.little ? skin::read_le(field) : skin::read_be(field);
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
}

void clear_orientation(std::span<std::uint8_t> bytes) {
    const OrientationTag tag = orientation_tag(bytes);
    if (tag.at == 0) return;
    bytes[tag.at] = tag.little ? 1 : 0;
    bytes[tag.at + 1] = tag.little ? 0 : 1;
}

Bitmap upright(const Bitmap& bitmap, int orientation) {
    if (orientation <= 1 || orientation > 8) return bitmap;
    const int w = bitmap.width, h = bitmap.height;
    const bool swapped = turned_a_quarter(orientation);
    Bitmap result{swapped ? h : w, swapped ? w : h,
                  std::vector<std::uint32_t>(bitmap.pixels.size())};
    for (int y = 0; y < result.height; ++y) {
        for (int x = 0; x < result.width; ++x) {
            // Where the shown pixel (x, y) is stored, for orientations 2 to 8.
            const std::pair<int, int> from[] = {
                {w - 1 - x, y}, {w - 1 - x, h - 1 - y}, {x, h - 1 - y}, {y, x},
                {y, h - 1 - x}, {w - 1 - y, h - 1 - x}, {w - 1 - y, x}};
            const auto [sx, sy] = from[orientation - 2];
            result.pixels[std::size_t(y) * result.width + x] =
                bitmap.pixels[std::size_t(sy) * w + sx];
        }
    }
    return result;
}

}  // namespace orbskin::picture
