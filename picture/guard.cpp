// The guards read only headers, each field through a bounds-checked reader.
#include "picture/guard.h"

#include "picture/bitmap.h"
#include "picture/wording.h"
#include "runtime/error.h"
#include "skin/bmp.h"
#include "skin/byte_order.h"

namespace orbskin::picture {
namespace {

// Whether every chunk of a PNG lies within the file: each is a 4-byte length, a 4-byte type,
// the data and a 4-byte checksum.
bool png_chunks_fit(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kHead = 8, kFraming = 12;
    std::size_t at = skin::kPngSignature.size();
    while (at + kHead <= bytes.size()) {
        const std::uint64_t length = skin::read_be(bytes.subspan(at, 4));
        if (length + kFraming > bytes.size() - at) return false;
        at += kFraming + static_cast<std::size_t>(length);
    }
    return true;
}

}  // namespace

void refuse_damaged_png(std::span<const std::uint8_t> bytes, const std::string& source) {
    if (skin::starts_with(bytes, skin::kPngSignature) && !png_chunks_fit(bytes)) {
        throw runtime::Error(unreadable_picture_text(
            source,
            "it is a damaged PNG file, with a part that claims more bytes than the file "
            "holds"));
    }
}

std::optional<Size> claimed_size(std::span<const std::uint8_t> bytes) {
    // A field past the end reads as 0, which no check below takes for a size.
    const skin::FieldReader r(bytes);
    const auto field = [&](std::size_t at, std::size_t size) { return r.le(at, size).value_or(0); };
    const auto big = [&](std::size_t at) { return r.be(at, 4).value_or(0); };
    if (skin::starts_with(bytes, skin::kPngSignature)) return Size{big(16), big(20)};
    if (skin::starts_with(bytes, "GIF8")) return Size{field(6, 2), field(8, 2)};
    if (skin::starts_with(bytes, "BM")) {
        const std::optional<skin::BmpHeader> h = skin::read_bmp_header(bytes);
        if (h) return Size{h->width, h->height()};
        return std::nullopt;
    }
    if (skin::starts_with(bytes, "RIFF") && skin::starts_with(bytes, "WEBP", 8)) {
        if (skin::starts_with(bytes, "VP8X", 12)) return Size{field(24, 3) + 1, field(27, 3) + 1};
        if (skin::starts_with(bytes, "VP8L", 12)) {
            const std::uint32_t packed = field(21, 4);
            return Size{(packed & 0x3FFF) + 1, (packed >> 14 & 0x3FFF) + 1};
        }
        if (skin::starts_with(bytes, "VP8 ", 12))
            return Size{field(26, 2) & 0x3FFF, field(28, 2) & 0x3FFF};
        return std::nullopt;
    }
    if (!skin::starts_with(bytes, "\xFF\xD8")) return std::nullopt;
    // A JPEG's frame header: the first SOFn marker (C0 to CF but C4, C8 and CC), whose height and
    // width follow its length and precision.
    for (std::size_t at = 2; at + 9 <= bytes.size() && bytes[at] == 0xFF;) {
        const std::uint8_t marker = bytes[at + 1];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return Size{skin::read_be(bytes.subspan(at + 7, 2)),
                        skin::read_be(bytes.subspan(at + 5, 2))};
        if (marker == 0xDA) break;
        at += 2 + skin::read_be(bytes.subspan(at + 2, 2));
    }
    return std::nullopt;
}

void refuse_oversized(std::span<const std::uint8_t> bytes, const std::string& source) {
    const std::optional<Size> size = claimed_size(bytes);
    if (size && static_cast<std::uint64_t>(size->width) * static_cast<std::uint64_t>(size->height) >
                    kLargestDecodedPixels)
        throw runtime::Error(
            unreadable_picture_text(source, claims_too_many_pixels(size->width, size->height)));
}

}  // namespace orbskin::picture
