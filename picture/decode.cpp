// Decoding a picture file's bytes.
#include "picture/decode.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "picture/bmp_decoder.h"
#include "picture/guard.h"
#include "picture/orientation.h"
#include "picture/picture_head.h"
#include "picture/tga_decoder.h"
#include "picture/wording.h"
#include "runtime/error.h"
#include "skin/byte_order.h"

namespace orbskin::picture {
namespace {

// Where a GIF's first frame lies on its logical screen.
struct GifFrame {
    int screen_width, screen_height, left, top, width, height;
};

// The first image descriptor, past the colour table and any extension blocks; nothing when the
// file is cut short before it, or when the screen has no area (the frame alone is then shown).
std::optional<GifFrame> gif_first_frame(std::span<const std::uint8_t> bytes) {
    const skin::FieldReader r(bytes);
    const auto screen_w = r.le(6, 2), screen_h = r.le(8, 2), packed = r.le(10, 1);
    if (!r.starts_with("GIF8") || !screen_w || !screen_h || !packed || !*screen_w || !*screen_h)
        return std::nullopt;
    std::size_t at = 13 + (*packed & 0x80 ? 3u << ((*packed & 7) + 1) : 0);
    while (const auto block = r.le(at, 1)) {
        if (*block == 0x2C) {
            const auto left = r.le(at + 1, 2), top = r.le(at + 3, 2), w = r.le(at + 5, 2),
                       h = r.le(at + 7, 2);
            if (!left || !top || !w || !h) return std::nullopt;
            return GifFrame{int(*screen_w), int(*screen_h), int(*left),
                            int(*top),      int(*w),        int(*h)};
        }
        if (*block != 0x21) return std::nullopt;
        at += 2;  // the introducer and the label, then sub-blocks up to an empty one
        while (const auto length = r.le(at, 1)) {
            at += 1 + *length;
            if (*length == 0) break;
        }
    }
    return std::nullopt;
}

// The first frame on the GIF's screen as a browser shows it: where the frame does not reach,
// transparent, whether the platform gave the frame alone or the screen filled with the GIF's
// background colour.
Bitmap on_gif_screen(Bitmap decoded, const GifFrame& f) {
    const bool whole_screen = decoded.width == f.screen_width && decoded.height == f.screen_height;
    if (!whole_screen && (decoded.width != f.width || decoded.height != f.height)) return decoded;
    Bitmap screen{f.screen_width, f.screen_height,
                  std::vector<std::uint32_t>(std::size_t(f.screen_width) * f.screen_height, 0)};
    for (int y = std::max(0, f.top); y < std::min(f.screen_height, f.top + f.height); ++y) {
        for (int x = std::max(0, f.left); x < std::min(f.screen_width, f.left + f.width); ++x) {
            const int sx = whole_screen ? x : x - f.left, sy = whole_screen ? y : y - f.top;
            screen.pixels[std::size_t(y) * f.screen_width + x] =
                decoded.pixels[std::size_t(sy) * decoded.width + sx];
        }
    }
    return screen;
}

// A colour-mapped TGA of 16-bit indices, which tga_header() does not take: its header otherwise
// sound.
bool tga_of_wide_indices(std::span<const std::uint8_t> bytes) {
    const std::span<const std::uint8_t> first =
        bytes.first(std::min<std::size_t>(18, bytes.size()));
    std::vector<std::uint8_t> head(first.begin(), first.end());
    if (head.size() < 18 || head[16] != 16 || (head[2] & ~8) != 1) return false;
    head[16] = 8;  // the same header with 8-bit indices
    return looks_like_tga(head);
}

// A platform's reader may half understand a file and hand back no pixels, or fewer than its
// sides claim; that is a refusal in words, never a picture to resize.
Bitmap refuse_empty(Bitmap decoded, const std::string& source) {
    if (decoded.width <= 0 || decoded.height <= 0 ||
        decoded.pixels.size() != std::size_t(decoded.width) * std::size_t(decoded.height))
        throw runtime::Error(unreadable_picture_message(source, Message(kNoPixels)));
    return decoded;
}

}  // namespace

bool decoded_by_us(std::span<const std::uint8_t> bytes) {
    const PictureFormat* format = format_of(bytes);
    return format && (format->name == "BMP" || format->name == "TGA");
}

Bitmap decode_ours(std::span<const std::uint8_t> bytes, const std::string& source) {
    return skin::starts_with(bytes, "BM") ? decode_bmp(bytes, source) : decode_tga(bytes, source);
}

std::optional<Message> unknown_format(std::span<const std::uint8_t> bytes) {
    if (format_of(bytes) || !netpbm_name(bytes).empty()) return std::nullopt;
    return tga_of_wide_indices(bytes) ? Message(kTgaWideIndices) : unknown_format_cause(bytes);
}

Bitmap decode_picture(std::vector<std::uint8_t> bytes, const std::string& source,
                      PlatformDecoder platform) {
    if (bytes.empty())
        throw runtime::Error(unreadable_picture_message(source, Message(kEmptyFile)));
    refuse_damaged_png(bytes, source);
    refuse_foreign(bytes, source);
    refuse_oversized(bytes, source);
    refuse_cut_short(bytes, source);
    if (decoded_by_us(bytes)) return decode_ours(bytes, source);
    // Turned here rather than by the platform, so that every platform turns alike.
    const int orientation = exif_orientation(bytes);
    const std::optional<GifFrame> frame = gif_first_frame(bytes);
    // The platform's decoders word their failures each in their own way, in English: ours are
    // said instead. A PNG is read by our own reader, whose words stand.
    const PictureFormat* format = format_of(bytes);
    const std::string_view netpbm = netpbm_name(bytes);
    const Message why = format            ? unreadable_kind_message(format->name)
                        : !netpbm.empty() ? unreadable_kind_message(netpbm.substr(0, 3))
                                          : *unknown_format(bytes);
    const bool png = skin::starts_with(bytes, kPngSignature);
    Bitmap decoded;
    try {
        decoded = platform(std::move(bytes), source);
    } catch (const runtime::Error&) {
        if (png) throw;
        throw runtime::Error(unreadable_picture_message(source, why));
    }
    decoded = refuse_empty(std::move(decoded), source);
    return frame ? on_gif_screen(std::move(decoded), *frame) : upright(decoded, orientation);
}

std::string real_extension(std::span<const std::uint8_t> bytes, std::string otherwise) {
    if (const PictureFormat* format = format_of(bytes))
        return std::string(format->extensions.substr(0, format->extensions.find(' ')));
    // A Netpbm picture by its kind: "PPM picture" is .ppm.
    if (const std::string_view netpbm = netpbm_name(bytes); !netpbm.empty()) {
        std::string extension = ".";
        for (const char c : netpbm.substr(0, 3))
            extension += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return extension;
    }
    if (const ForeignFormat* foreign = foreign_format(bytes))
        return std::string(foreign->extension);
    // Documents and archives saved under a picture's name, kept under their own.
    if (is_svg(bytes)) return ".svg";
    constexpr std::pair<std::string_view, std::string_view> kOthers[] = {
        {"%PDF-", ".pdf"},           {"%!PS", ".ps"},   {"PK\x03\x04", ".zip"}, {"\x1F\x8B", ".gz"},
        {"<!DOCTYPE html", ".html"}, {"<html", ".html"}};
    for (const auto& [magic, extension] : kOthers)
        if (skin::starts_with(bytes, magic)) return std::string(extension);
    return otherwise;
}

}  // namespace orbskin::picture
