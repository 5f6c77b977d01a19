// Reading, guarding, scaling, compositing and encoding an imported picture.
#include "picture/picture_import.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "runtime/error.h"
#include "skin/byte_order.h"
#include "skin/dither.h"

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

// One target pixel along one axis: the first source pixel it takes and the weight of each.
struct Taps {
    int first = 0;
    std::vector<double> weights;
};

// The taps of `to` target pixels covering `span` source pixels from `start` on, in a line of
// `from` source pixels.
std::vector<Taps> tent_taps(int from, int to, double start, double span) {
    const double scale = span / to;
    const double support = std::max(1.0, scale);
    std::vector<Taps> taps(static_cast<std::size_t>(to));
    for (int i = 0; i < to; ++i) {
        const double centre = start + (i + 0.5) * scale;
        Taps& tap = taps[static_cast<std::size_t>(i)];
        tap.first = std::clamp(static_cast<int>(std::floor(centre - support)), 0, from - 1);
        const int last = std::clamp(static_cast<int>(std::ceil(centre + support)), 0, from - 1);
        double total = 0;
        for (int s = tap.first; s <= last; ++s) {
            const double w = std::max(0.0, 1.0 - std::abs((s + 0.5 - centre) / support));
            tap.weights.push_back(w);
            total += w;
        }
        for (double& w : tap.weights)
            w /= total;
    }
    return taps;
}

using Premultiplied = std::array<double, 4>;  // alpha, red, green, blue, each 0 to 255

std::uint8_t channel(std::uint32_t pixel, int shift) {
    return static_cast<std::uint8_t>(pixel >> shift);
}

Premultiplied premultiplied(std::uint32_t p) {
    const double a = channel(p, 24);
    return {a, channel(p, 16) * a / 255, channel(p, 8) * a / 255, channel(p, 0) * a / 255};
}

std::uint32_t to_pixel(const Premultiplied& p) {
    const double alpha = std::clamp(p[0], 0.0, 255.0);
    const auto straight = [&](double v) {
        return static_cast<std::uint32_t>(
            alpha > 0 ? std::lround(std::clamp(v * 255 / alpha, 0.0, 255.0)) : 0);
    };
    return static_cast<std::uint32_t>(std::lround(alpha)) << 24 | straight(p[1]) << 16 |
           straight(p[2]) << 8 | straight(p[3]);
}

// The picture's pixels with transparency laid over `background`.
std::vector<skin::Rgb> composited(const Bitmap& bitmap, skin::Rgb background) {
    const auto blend = [](std::uint8_t value, std::uint8_t alpha, std::uint8_t under) {
        return static_cast<std::uint8_t>((value * alpha + under * (255 - alpha) + 127) / 255);
    };
    std::vector<skin::Rgb> pixels;
    pixels.reserve(bitmap.pixels.size());
    for (const std::uint32_t p : bitmap.pixels) {
        const std::uint8_t a = channel(p, 24);
        pixels.push_back({blend(channel(p, 16), a, background.red),
                          blend(channel(p, 8), a, background.green),
                          blend(channel(p, 0), a, background.blue)});
    }
    return pixels;
}

}  // namespace

std::string too_large_text(const std::string& subject, std::uint64_t length) {
    return subject + " is " + std::to_string(length >> 20) +
           " MB, too large to be a picture for a skin";
}

void refuse_damaged_png(std::span<const std::uint8_t> bytes, const std::string& source) {
    if (skin::starts_with(bytes, skin::kPngSignature) && !png_chunks_fit(bytes)) {
        throw runtime::Error(skin::unreadable_picture_text(
            source,
            "it is a damaged PNG file, with a part that claims more bytes than the file "
            "holds"));
    }
}

std::uint32_t pixel_from_16bit(std::uint16_t red, std::uint16_t green, std::uint16_t blue,
                               std::uint16_t alpha) {
    const auto nearest = [](std::uint16_t value) {
        return (std::uint32_t{value} * 255 + 32767) / 65535;
    };
    return nearest(alpha) << 24 | nearest(red) << 16 | nearest(green) << 8 | nearest(blue);
}

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
    const auto read = [&](std::size_t offset, std::size_t size) -> std::uint32_t {
        if (offset > tiff.size() || size > tiff.size() - offset) return 0;
        const auto field = tiff.subspan(offset, size);
        return little ? skin::read_le(field) : skin::read_be(field);
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

std::optional<Size> claimed_size(std::span<const std::uint8_t> bytes) {
    const auto field = [&](std::size_t at, std::size_t size) -> std::uint32_t {
        return at <= bytes.size() && size <= bytes.size() - at
                   ? skin::read_le(bytes.subspan(at, size))
                   : 0;
    };
    const auto big = [&](std::size_t at) -> std::uint32_t {
        return at + 4 <= bytes.size() ? skin::read_be(bytes.subspan(at, 4)) : 0;
    };
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
    const bool swapped = orientation >= 5;
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

Placement place(int width, int height, int into_width, int into_height, Resize how) {
    const double across = static_cast<double>(into_width) / width;
    const double down = static_cast<double>(into_height) / height;
    if (how == Resize::fit) {
        const double scale = std::min(across, down);
        const int w = std::clamp(static_cast<int>(std::lround(width * scale)), 1, into_width);
        const int h = std::clamp(static_cast<int>(std::lround(height * scale)), 1, into_height);
        return {0, 0, double(width), double(height), (into_width - w) / 2, (into_height - h) / 2,
                w, h};
    }
    if (how == Resize::crop) {
        const double scale = std::max(across, down);
        const double w = into_width / scale, h = into_height / scale;
        return {(width - w) / 2, (height - h) / 2, w, h, 0, 0, into_width, into_height};
    }
    return {0, 0, double(width), double(height), 0, 0, into_width, into_height};
}

Bitmap scaled(const Bitmap& bitmap, int into_width, int into_height, const Placement& at) {
    const std::vector<Taps> across =
        tent_taps(bitmap.width, at.width, at.source_left, at.source_width);
    const std::vector<Taps> down =
        tent_taps(bitmap.height, at.height, at.source_top, at.source_height);
    // Only the source rows the vertical taps reach are resized across, each once.
    const int top = down.front().first;
    const int bottom = down.back().first + static_cast<int>(down.back().weights.size());
    const std::size_t width = static_cast<std::size_t>(at.width);
    std::vector<Premultiplied> rows(width * static_cast<std::size_t>(bottom - top));
    for (int y = top; y < bottom; ++y) {
        const std::uint32_t* line = &bitmap.pixels[std::size_t(y) * std::size_t(bitmap.width)];
        for (std::size_t i = 0; i < width; ++i) {
            Premultiplied sum{};
            for (std::size_t k = 0; k < across[i].weights.size(); ++k) {
                const Premultiplied p = premultiplied(line[std::size_t(across[i].first) + k]);
                for (std::size_t c = 0; c < 4; ++c)
                    sum[c] += p[c] * across[i].weights[k];
            }
            rows[std::size_t(y - top) * width + i] = sum;
        }
    }
    Bitmap result{into_width, into_height,
                  std::vector<std::uint32_t>(std::size_t(into_width) * std::size_t(into_height))};
    for (std::size_t j = 0; j < down.size(); ++j) {
        for (std::size_t i = 0; i < width; ++i) {
            Premultiplied sum{};
            for (std::size_t k = 0; k < down[j].weights.size(); ++k) {
                const Premultiplied& p = rows[(std::size_t(down[j].first - top) + k) * width + i];
                for (std::size_t c = 0; c < 4; ++c)
                    sum[c] += p[c] * down[j].weights[k];
            }
            result.pixels[(std::size_t(at.top) + j) * std::size_t(into_width) +
                          std::size_t(at.left) + i] = to_pixel(sum);
        }
    }
    return result;
}

std::vector<std::uint8_t> canonical_picture(const Bitmap& bitmap, const skin::Picture& picture,
                                            const Conversion& how, const std::string& source) {
    const int width = static_cast<int>(picture.width), height = static_cast<int>(picture.height);
    const bool other_size = bitmap.width != width || bitmap.height != height;
    if (other_size && how.resize == Resize::none) {
        throw OtherSize(runtime::quoted(source) + " is " +
                        skin::size_text(bitmap.width, bitmap.height) + ", but " +
                        std::string(picture.name) + " must be " + skin::size_text(width, height));
    }
    std::vector<skin::Rgb> pixels = composited(
        other_size ? scaled(bitmap, width, height,
                            place(bitmap.width, bitmap.height, width, height, how.resize))
                   : bitmap,
        how.background);
    if (how.dither) skin::dither_to_skin_levels(pixels, picture.width);
    return skin::encode_bmp24(picture.width, picture.height, pixels);
}

}  // namespace orbskin::picture
