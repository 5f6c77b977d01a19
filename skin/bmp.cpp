// Canonical BMP encoding with explicit little-endian fields.
#include "skin/bmp.h"

#include <algorithm>
#include <array>
#include <stdexcept>

#include "skin/byte_order.h"
#include "skin/layout.h"

namespace orbskin::skin {
namespace {

// The canonical header of a file of `data_length` bytes of pixels, bottom row first.
void write_header(std::span<std::uint8_t> file, std::size_t width, std::size_t height) {
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
    write_le(std::span(h + 34, 4), static_cast<std::uint32_t>(file.size() - kBmpHeaderLength));
}

}  // namespace

std::vector<std::uint8_t> encode_bmp24(std::size_t width, std::size_t height,
                                       std::span<const Rgb> pixels) {
    if (pixels.size() != width * height) throw std::invalid_argument("pixel count mismatch");
    if (width * kBytesPerInputPixel % 4 != 0)
        throw std::invalid_argument("rows would need padding");

    std::vector<std::uint8_t> file(kBmpHeaderLength + pixels.size() * kBytesPerInputPixel);
    write_header(file, width, height);
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

std::vector<std::uint8_t> as_packed(const Picture& picture, std::span<const std::uint8_t> file) {
    if (file.size() != picture.file_length())
        throw std::invalid_argument("not the picture's length");
    std::vector<std::uint8_t> shown(file.begin(), file.end());
    write_header(shown, picture.width, picture.height);
    return shown;
}

namespace {

constexpr std::uint32_t kCoreHeader = 12, kOs2Header = 64;
constexpr std::array<std::uint32_t, 7> kHeaderSizes{12, 40, 52, 56, 64, 108, 124};

}  // namespace

std::optional<BmpHeader> read_bmp_header(std::span<const std::uint8_t> bytes) {
    const FieldReader r(bytes);
    if (!r.starts_with("BM")) return std::nullopt;
    const auto header_size = r.le(14, 4), data_offset = r.le(10, 4);
    if (!header_size || !data_offset) return std::nullopt;
    // The core header has 16-bit unsigned sides; the others signed 32-bit ones.
    const bool core = *header_size == kCoreHeader;
    const auto width = core ? r.le(18, 2) : r.le(18, 4);
    const auto height = core ? r.le(20, 2) : r.le(22, 4);
    const auto bits = core ? r.le(24, 2) : r.le(28, 2);
    const auto compression = core ? std::optional<std::uint32_t>(kBmpRgb) : r.le(30, 4);
    if (!width || !height || !bits || !compression) return std::nullopt;
    const auto as_signed = [core](std::uint32_t raw) {
        return core ? std::int64_t{raw} : std::int64_t{static_cast<std::int32_t>(raw)};
    };
    return BmpHeader{*header_size,       *data_offset, as_signed(*width),
                     as_signed(*height), *bits,        *compression};
}

bool bmp_header_known(std::uint32_t header_size) {
    return std::find(kHeaderSizes.begin(), kHeaderSizes.end(), header_size) != kHeaderSizes.end();
}

bool bmp_layout_readable(const BmpHeader& h) {
    if (!bmp_header_known(h.header_size)) return false;
    const bool masks_allowed = h.header_size != kOs2Header;  // OS/2 gives 3 another meaning
    switch (h.compression) {
        case kBmpRgb:
            return h.bits == 1 || h.bits == 4 || h.bits == 8 || h.bits == 16 || h.bits == 24 ||
                   h.bits == 32;
        case kBmpRle8:
            return h.bits == 8;
        case kBmpRle4:
            return h.bits == 4;
        case kBmpMasks:
        case kBmpAlphaMasks:
            return masks_allowed && (h.bits == 16 || h.bits == 32);
        default:
            return false;
    }
}

}  // namespace orbskin::skin
