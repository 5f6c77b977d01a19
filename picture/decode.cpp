// Decoding a picture file's bytes.
#include "picture/decode.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "picture/bmp_decoder.h"
#include "picture/orientation.h"
#include "picture/tga_decoder.h"
#include "picture/tiff_decoder.h"
#include "picture/webp_frame.h"
#include "picture/wording.h"
#include "runtime/error.h"
#include "skin/byte_order.h"

namespace orbskin::picture {
namespace {

// The first frame on its screen as a browser shows it: where the frame does not reach,
// transparent, whether the platform gave the frame alone or the screen filled with the GIF's
// background colour.
Bitmap on_screen(Bitmap decoded, const FirstFrame& f) {
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

// A platform's reader may half understand a file and hand back no pixels, or fewer than its
// sides claim; that is a refusal in words, never a picture to resize.
Bitmap refuse_empty(Bitmap decoded, const std::string& source) {
    if (decoded.width <= 0 || decoded.height <= 0 ||
        decoded.pixels.size() != std::size_t(decoded.width) * std::size_t(decoded.height))
        throw runtime::Error(unreadable_picture_message(source, Message(kNoPixels)));
    return decoded;
}

}  // namespace

Bitmap decode_picture(std::vector<std::uint8_t> bytes, const PictureHead& head,
                      const std::string& source, const Decoders& decoders) {
    // Our PNG reader walks the file's parts before anything else is judged, as it refuses a
    // damaged part in its own words.
    if (head.reader == Reader::png)
        return upright(decode_png(bytes, source, decoders.inflate), head.orientation);
    if (const std::optional<Message> why = head.refusal())
        throw runtime::Error(unreadable_picture_message(source, *why));
    if (head.reader == Reader::bmp) return decode_bmp(bytes, source);
    if (head.reader == Reader::tga) return decode_tga(bytes, source);
    if (head.reader == Reader::tiff)
        return upright(decode_tiff(bytes, source, decoders.inflate), head.orientation);
    // The platform's decoders word their failures each in their own way, in English: ours are
    // said instead.
    const Message why = head.format            ? unreadable_kind_message(head.format->name)
                        : !head.netpbm.empty() ? unreadable_kind_message(head.netpbm.substr(0, 3))
                                               : *head.unknown;
    if (!decoders.platform) throw runtime::Error(unreadable_picture_message(source, why));
    // Every platform is handed an animated WebP's first frame alone, as a still WebP.
    std::optional<FirstFrame> frame = head.gif_frame;
    if (std::optional<StillFrame> still = first_webp_frame(bytes)) {
        bytes = std::move(still->webp);
        frame = still->place;
    }
    Bitmap decoded;
    try {
        decoded = decoders.platform(std::move(bytes), source);
    } catch (const NoDecoderHere&) {
        // Not damaged: only not readable on this system.
        throw runtime::Error(unreadable_picture_message(
            source, head.format ? no_decoder_message(head.format->name) : why));
    } catch (const runtime::Error&) {
        throw runtime::Error(unreadable_picture_message(source, why));
    }
    decoded = refuse_empty(std::move(decoded), source);
    // Turned here rather than by the platform, so that every platform turns alike.
    return frame ? on_screen(std::move(decoded), *frame) : upright(decoded, head.orientation);
}

std::string real_extension(std::span<const std::uint8_t> bytes, std::string otherwise) {
    const PictureHead head = read_head(bytes);
    if (head.format)
        return std::string(head.format->extensions.substr(0, head.format->extensions.find(' ')));
    // A Netpbm picture by its kind: "PPM picture" is .ppm.
    if (!head.netpbm.empty()) {
        std::string extension = ".";
        for (const char c : head.netpbm.substr(0, 3))
            extension += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return extension;
    }
    if (head.foreign) return std::string(head.foreign->extension);
    // Documents and archives saved under a picture's name, kept under their own.
    if (head.svg) return ".svg";
    constexpr std::pair<std::string_view, std::string_view> kOthers[] = {
        {"%PDF-", ".pdf"},           {"%!PS", ".ps"},   {"PK\x03\x04", ".zip"}, {"\x1F\x8B", ".gz"},
        {"<!DOCTYPE html", ".html"}, {"<html", ".html"}};
    for (const auto& [magic, extension] : kOthers)
        if (skin::starts_with(bytes, magic)) return std::string(extension);
    return otherwise;
}

}  // namespace orbskin::picture
