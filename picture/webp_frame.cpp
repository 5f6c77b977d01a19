// The first frame of an animated WebP, taken out of its container.
#include "picture/webp_frame.h"

#include <string_view>

#include "skin/byte_order.h"

namespace orbskin::picture {
namespace {

using skin::FieldReader;

constexpr std::uint8_t kAnimationFlag = 0x02, kAlphaFlag = 0x10;

// A chunk of the container: its four letters, and where its payload lies.
struct Chunk {
    std::string_view name;
    std::size_t at = 0, size = 0;
};

// The chunk at `at` within `end`: nothing where its header or payload runs past it.
std::optional<Chunk> chunk_at(const FieldReader& r, std::size_t at, std::size_t end) {
    const auto size = r.le(at + 4, 4);
    if (!size || at + 8 > end || *size > end - at - 8) return std::nullopt;
    const auto* name = reinterpret_cast<const char*>(r.bytes().data() + at);
    return Chunk{std::string_view(name, 4), at + 8, *size};
}

// Chunks are padded to an even length.
std::size_t after(const Chunk& c) {
    return c.at + c.size + (c.size & 1);
}

void put_le(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void put_chunk(std::vector<std::uint8_t>& out, const FieldReader& r, const Chunk& c) {
    const auto from = r.bytes().begin() + static_cast<std::ptrdiff_t>(c.at - 8);
    out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(8 + c.size));
    if (c.size & 1) out.push_back(0);
}

}  // namespace

std::optional<StillFrame> first_webp_frame(std::span<const std::uint8_t> file) {
    const FieldReader r(file);
    if (!r.starts_with("RIFF") || !r.starts_with("WEBP", 8) || !r.starts_with("VP8X", 12))
        return std::nullopt;
    const auto flags = r.le(20, 1), canvas_w = r.le(24, 3), canvas_h = r.le(27, 3);
    if (!flags || !(*flags & kAnimationFlag) || !canvas_h) return std::nullopt;
    std::size_t at = 12;
    std::optional<Chunk> frame;
    while (std::optional<Chunk> c = chunk_at(r, at, file.size())) {
        if (c->name == "ANMF") {
            frame = c;
            break;
        }
        at = after(*c);
    }
    if (!frame || frame->size < 16) return std::nullopt;
    const std::size_t end = frame->at + frame->size;
    std::optional<Chunk> alpha, image;
    for (at = frame->at + 16; !image;) {
        const std::optional<Chunk> c = chunk_at(r, at, end);
        if (!c) return std::nullopt;
        if (c->name == "ALPH") alpha = c;
        if (c->name == "VP8 " || c->name == "VP8L") image = c;
        at = after(*c);
    }
    const std::uint32_t width = *r.le(frame->at + 6, 3) + 1, height = *r.le(frame->at + 9, 3) + 1;
    // A lossless frame's alpha is in its own image data; its header says whether it is used.
    const bool lossless_alpha =
        image->name == "VP8L" && image->size >= 5 && (*r.le(image->at + 4, 1) & 0x10);
    StillFrame still{{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P', 'V', 'P', '8', 'X'},
                     {int(*canvas_w + 1), int(*canvas_h + 1), int(*r.le(frame->at, 3) * 2),
                      int(*r.le(frame->at + 3, 3) * 2), int(width), int(height)}};
    std::vector<std::uint8_t>& webp = still.webp;
    put_le(webp, 10, 4);
    webp.push_back(alpha || lossless_alpha ? kAlphaFlag : 0);
    put_le(webp, 0, 3);
    put_le(webp, width - 1, 3);
    put_le(webp, height - 1, 3);
    // Alpha beside a lossy frame only; a lossless one carries its own.
    if (alpha && image->name == "VP8 ") put_chunk(webp, r, *alpha);
    put_chunk(webp, r, *image);
    skin::write_le(std::span(webp).subspan(4, 4), static_cast<std::uint32_t>(webp.size() - 8));
    return still;
}

}  // namespace orbskin::picture
