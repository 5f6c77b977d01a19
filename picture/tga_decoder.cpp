// Every field through FieldReader, every size judged before it is multiplied or allocated.
#include "picture/tga_decoder.h"

#include <optional>
#include <vector>

#include "picture/picture_head.h"
#include "picture/wording.h"
#include "runtime/error.h"
#include "skin/byte_order.h"
#include "skin/pixels.h"

namespace orbskin::picture {
namespace {

constexpr std::uint32_t kOpaque = 0xFF000000;

[[noreturn]] void damaged(const std::string& source, const Message& why) {
    throw runtime::Error(unreadable_picture_message(source, damaged_message("TGA", why)));
}

// A 5-bit channel widened as the handheld shows it, so that a picture of its 15-bit colours
// stays on them.
std::uint32_t widened(std::uint32_t five) {
    return skin::skin_level(five);
}

// One pixel of `bits` bits, least significant byte first, as 0xAARRGGBB; a grey one is the grey
// level, then alpha for 16 bits.
std::uint32_t pixel_of(std::uint32_t value, unsigned bits, bool alpha, bool grey = false) {
    if (grey) {
        // The second byte is alpha only when the descriptor counts alpha bits.
        const std::uint32_t level = value & 0xFF, a = alpha && bits == 16 ? value >> 8 : 0xFF;
        return a << 24 | level << 16 | level << 8 | level;
    }
    switch (bits) {
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

// The stored pixels top row first, left to right, as the descriptor's bits 4 and 5 say.
Bitmap laid_out(const TgaHeader& h, const std::vector<std::uint32_t>& stored) {
    const std::size_t count = stored.size();
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

}  // namespace

Bitmap decode_tga(std::span<const std::uint8_t> bytes, const std::string& source) {
    const skin::FieldReader r(bytes);
    const auto f = [&](std::size_t at, std::size_t size) { return r.le(at, size); };
    const std::optional<TgaHeader> header = tga_header(bytes);
    if (!header && bytes.size() < 18) damaged(source, Message("its header is cut short"));
    if (!header) {
        throw runtime::Error(unreadable_picture_message(
            source,
            Message("it is a TGA file of type {type} with {bits}-bit pixels, which import "
                    "does not read",
                    {{"type", runtime::Number(bytes[2])}, {"bits", runtime::Number(bytes[16])}})));
    }
    const TgaHeader& h = *header;
    if (std::uint64_t{h.width} * h.height > kLargestDecodedPixels)
        throw runtime::Error(unreadable_picture_message(source, Message(kFarTooLarge)));
    const std::uint32_t kind = h.type & 7;  // 1 mapped, 2 true colour, 3 grey
    const bool rle = h.type & 8;
    const bool alpha = (h.descriptor & 15) != 0;
    std::size_t at = 18 + h.id_length;

    // A true-colour or grey picture may carry a colour map too: skipped.
    std::vector<std::uint32_t> map;
    if (h.map_type == 1) {
        const std::size_t entry = (h.map_bits + 7) / 8;
        for (std::uint32_t n = 0; n < h.map_length; ++n, at += entry) {
            const std::optional<std::uint32_t> value = f(at, entry);
            if (!value) damaged(source, Message("its colour map is cut short"));
            // 32-bit entries carry alpha, whatever the descriptor says of the pixels.
            if (kind == 1) map.push_back(pixel_of(*value, h.map_bits, alpha || h.map_bits == 32));
        }
    }
    const std::size_t size = (h.bits + 7) / 8;
    const auto read_pixel = [&](std::size_t offset) {
        const std::optional<std::uint32_t> value = f(offset, size);
        if (!value) damaged(source, Message("its pixels are cut short"));
        if (kind != 1) return pixel_of(*value, h.bits, alpha, kind == 3);
        const std::uint32_t index = *value - h.map_first;
        if (index >= map.size())
            damaged(source, Message("a pixel names colour {index}, which its colour map lacks",
                                    {{"index", runtime::Number(*value)}}));
        return map[index];
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
        if (!packet) damaged(source, Message("its compressed pixels are cut short"));
        const std::size_t n = std::min<std::size_t>((*packet & 0x7F) + 1, count - stored.size());
        const bool run = *packet & 0x80;
        for (std::size_t i = 0; i < n; ++i)
            stored.push_back(read_pixel(run ? at : at + i * size));
        at += run ? size : n * size;
    }
    return laid_out(h, stored);
}

}  // namespace orbskin::picture
