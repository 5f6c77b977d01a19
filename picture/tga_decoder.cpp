// Every field through FieldReader, every size judged before it is multiplied or allocated.
#include "picture/tga_decoder.h"

#include <optional>
#include <vector>

#include "picture/wording.h"
#include "runtime/error.h"
#include "skin/byte_order.h"

namespace orbskin::picture {
namespace {

constexpr std::uint32_t kOpaque = 0xFF000000;

[[noreturn]] void damaged(const std::string& source, const std::string& why) {
    throw runtime::Error(unreadable_picture_text(source, damaged_cause("TGA", why)));
}

// A 5-bit channel widened to the nearest of 256 levels.
std::uint32_t widened(std::uint32_t five) {
    return (five * 255 + 15) / 31;
}

// One pixel of `bits` bits, least significant byte first, as 0xAARRGGBB.
std::uint32_t pixel_of(std::uint32_t value, unsigned bits, bool alpha) {
    switch (bits) {
        case 8:  // grey
            return kOpaque | value << 16 | value << 8 | value;
        case 15:
        case 16: {
            const std::uint32_t a = alpha && bits == 16 && !(value & 0x8000) ? 0 : 0xFF;
            return a << 24 | widened(value >> 10 & 31) << 16 | widened(value >> 5 & 31) << 8 |
                   widened(value & 31);
        }
        case 24:
            return kOpaque | value;
        default:  // 32: blue, green, red, alpha
            return alpha ? value : kOpaque | value;
    }
}

struct Header {
    std::uint32_t id_length, map_type, type, map_first, map_length, map_bits, width, height, bits,
        descriptor;
};

}  // namespace

Bitmap decode_tga(std::span<const std::uint8_t> bytes, const std::string& source) {
    const skin::FieldReader r(bytes);
    const auto f = [&](std::size_t at, std::size_t size) { return r.le(at, size); };
    const std::optional<std::uint32_t> fields[] = {f(0, 1), f(1, 1),  f(2, 1),  f(3, 2),  f(5, 2),
                                                   f(7, 1), f(12, 2), f(14, 2), f(16, 1), f(17, 1)};
    for (const auto& field : fields)
        if (!field) damaged(source, "its header is cut short");
    const Header h{*fields[0], *fields[1], *fields[2], *fields[3], *fields[4],
                   *fields[5], *fields[6], *fields[7], *fields[8], *fields[9]};
    if (h.width == 0 || h.height == 0) damaged(source, "its header claims no pixels");
    if (std::uint64_t{h.width} * h.height > kLargestDecodedPixels)
        throw runtime::Error(unreadable_picture_text(source, std::string(kFarTooLarge)));
    const std::uint32_t kind = h.type & 7;  // 1 mapped, 2 true colour, 3 grey
    const bool rle = h.type & 8;
    const bool readable =
        (kind == 1 && h.map_type == 1 && h.bits == 8 &&
         (h.map_bits == 15 || h.map_bits == 16 || h.map_bits == 24 || h.map_bits == 32)) ||
        (kind == 2 && (h.bits == 15 || h.bits == 16 || h.bits == 24 || h.bits == 32)) ||
        (kind == 3 && h.bits == 8);
    if (!readable) {
        throw runtime::Error(unreadable_picture_text(
            source, "it is a TGA file of type " + std::to_string(h.type) + " with " +
                        std::to_string(h.bits) + "-bit pixels, which import does not read"));
    }
    const bool alpha = (h.descriptor & 15) != 0;
    std::size_t at = 18 + h.id_length;

    std::vector<std::uint32_t> map;
    if (h.map_type == 1) {
        const std::size_t entry = (h.map_bits + 7) / 8;
        for (std::uint32_t n = 0; n < h.map_length; ++n, at += entry) {
            const std::optional<std::uint32_t> value = f(at, entry);
            if (!value) damaged(source, "its colour map is cut short");
            map.push_back(pixel_of(*value, h.map_bits, alpha));
        }
    }
    const std::size_t size = (h.bits + 7) / 8;
    const auto read_pixel = [&](std::size_t offset) {
        const std::optional<std::uint32_t> value = f(offset, size);
        if (!value) damaged(source, "its pixels are cut short");
        if (kind != 1) return pixel_of(*value, h.bits, alpha);
        const std::uint32_t index = *value - h.map_first;
        return index < map.size() ? map[index] : kOpaque;
    };

    // The pixels in stored order; rows bottom first unless bit 5 says otherwise.
    const std::size_t count = std::size_t{h.width} * h.height;
    std::vector<std::uint32_t> stored;
    stored.reserve(count);
    while (stored.size() < count) {
        if (!rle) {
            stored.push_back(read_pixel(at));
            at += size;
            continue;
        }
        const std::optional<std::uint32_t> packet = f(at++, 1);
        if (!packet) damaged(source, "its compressed pixels are cut short");
        const std::size_t n = std::min<std::size_t>((*packet & 0x7F) + 1, count - stored.size());
        const bool run = *packet & 0x80;
        for (std::size_t i = 0; i < n; ++i)
            stored.push_back(read_pixel(run ? at : at + i * size));
        at += run ? size : n * size;
    }
    Bitmap bitmap{int(h.width), int(h.height), std::vector<std::uint32_t>(count)};
    const bool top_first = h.descriptor & 0x20, right_to_left = h.descriptor & 0x10;
    bool any_alpha = false;
    for (std::size_t y = 0; y < h.height; ++y) {
        const std::size_t row = top_first ? y : h.height - 1 - y;
        for (std::size_t x = 0; x < h.width; ++x) {
            const std::uint32_t p = stored[y * h.width + x];
            any_alpha = any_alpha || p >> 24 != 0;
            bitmap.pixels[row * h.width + (right_to_left ? h.width - 1 - x : x)] = p;
        }
    }
    // As in BMP: writers that leave every alpha at zero mean no transparency at all.
    if (!any_alpha)
        for (std::uint32_t& p : bitmap.pixels)
            p |= kOpaque;
    return bitmap;
}

}  // namespace orbskin::picture
