// The header reader behind explain_picture(). Every field is read through a bounds-checked
// helper, and sizes are judged before any arithmetic is done with them.
#include "skin/picture_check.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "skin/bmp.h"
#include "skin/byte_order.h"

namespace orbskin::skin {
namespace {

// The largest width or height worth describing; beyond it a header is taken as damaged.
constexpr std::int64_t kLargestSide = 1 << 16;
constexpr std::string_view kMustBeBmp = "the picture must be a 24-bit BMP";
constexpr std::string_view kDamaged = "the file is damaged";

PictureVerdict not_bmp(std::string found, bool importable, bool needs_scaling = true) {
    return {std::move(found), std::string(kMustBeBmp), needs_scaling, importable};
}

// An SVG file: XML text, after any byte-order mark and blank space, with an <svg element early.
bool is_svg(std::span<const std::uint8_t> head) {
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    std::size_t at = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    at = text.find_first_not_of(" \t\r\n", at);
    return at != std::string_view::npos && text[at] == '<' &&
           text.find("<svg", at) != std::string_view::npos;
}

std::optional<PictureVerdict> other_format(const FieldReader& r, const Picture& expected) {
    if (r.starts_with(kPngSignature)) {
        const std::optional<Size> size = claimed_size(r.bytes());  // as shown, turned upright
        if (!size || !r.has(20, 4) || !r.starts_with("IHDR", 12))
            return not_bmp("PNG file, not BMP", true);
        PictureVerdict verdict =
            not_bmp("PNG file of " + size_text(size->width, size->height) + ", not BMP", true,
                    size->width != std::int64_t(expected.width) ||
                        size->height != std::int64_t(expected.height));
        verdict.width = size->width, verdict.height = size->height;
        verdict.few_colours = few_colours(r.bytes());
        return verdict;
    }
    if (is_svg(r.bytes())) {
        PictureVerdict verdict = not_bmp("SVG drawing, not BMP", false);
        verdict.advice = "export the drawing as a PNG of " + size_text(expected) +
                         " from the program that made it, then import that PNG";
        return verdict;
    }
    if (const ForeignFormat* foreign = foreign_format(r.bytes())) {
        const std::optional<Size> size = claimed_size(r.bytes());
        PictureVerdict verdict =
            not_bmp(std::string(foreign->name) +
                        (size ? " of " + size_text(size->width, size->height) : "") + ", not BMP",
                    false);
        verdict.advice = std::string(foreign->advice) + " of " + size_text(expected) +
                         ", then import that file with orbskin-cli import";
        return verdict;
    }
    // PNG was judged above, and BMP is judged by its header below; a Netpbm file is read by a
    // platform's decoder.
    const PictureFormat* format = format_of(r.bytes());
    const std::string_view name = format ? format->name : netpbm_name(r.bytes());
    if (!name.empty() && name != "BMP") {
        const std::optional<Size> size = claimed_size(r.bytes());
        if (!size || size->width <= 0 || size->height <= 0)
            return not_bmp(std::string(name) + (format ? " file" : "") + ", not BMP", true);
        PictureVerdict verdict =
            not_bmp(std::string(name) + (format ? " file" : "") + " of " +
                        size_text(size->width, size->height) + ", not BMP",
                    true,
                    size->width != static_cast<std::int64_t>(expected.width) ||
                        size->height != static_cast<std::int64_t>(expected.height));
        verdict.width = size->width, verdict.height = size->height;
        verdict.few_colours = few_colours(r.bytes());
        return verdict;
    }
    if (r.starts_with("RIFF")) return not_bmp("RIFF (not a picture) file, not BMP", false);
    if (!r.starts_with("BM"))
        return not_bmp("not a BMP file (it does not start with \"BM\")", false);
    return std::nullopt;
}

std::string_view compression_name(std::uint32_t compression) {
    switch (compression) {
        case kBmpRgb:
            return "";
        case kBmpRle8:
            return "RLE8-compressed";
        case kBmpRle4:
            return "RLE4-compressed";
        case kBmpMasks:
        case kBmpAlphaMasks:
            return "with colour masks";
        case kBmpJpeg:
            return "holding a JPEG";
        case kBmpPng:
            return "holding a PNG";
        default:
            return "with an unknown compression";
    }
}

// The colour profile a 124-byte header names, by its colour-space type at byte 70.
std::string_view profile_note(const BmpHeader& h, const FieldReader& r) {
    constexpr std::uint32_t kEmbedded = 0x4D424544, kLinked = 0x4C494E4B;  // "MBED", "LINK"
    const std::optional<std::uint32_t> type = r.le(70, 4);
    if (h.header_size < 124 || !type) return "";
    if (*type == kEmbedded) return ", with an embedded colour profile";
    if (*type == kLinked) return ", with a linked colour profile";
    return "";
}

std::string describe(const BmpHeader& h, const FieldReader& r) {
    std::string found = std::to_string(h.bits) + "-bit BMP, " + size_text(h.width, h.height()) +
                        ", " + std::to_string(h.header_size) + "-byte header";
    found += profile_note(h, r);
    if (h.claimed_height < 0) found += ", top-down";
    if (const std::string_view packed = compression_name(h.compression); !packed.empty())
        found += ", " + std::string(packed);
    return found;
}

// Why the conversion, which takes the pixels from byte 54 on as bottom-up 24-bit rows, would not
// give the picture as drawn; empty when it would.
std::string bmp_cause(const BmpHeader& h, std::uint64_t length, const Picture& expected) {
    const auto size_note = [&] {
        return std::to_string(length) + " bytes instead of " +
               std::to_string(expected.file_length());
    };
    if (h.bits != 24) return "the picture must be 24-bit";
    if (h.compression != kBmpRgb) return "the picture must be uncompressed";
    if (h.header_size != 40) return "the header must be the plain 40-byte one";
    if (h.claimed_height < 0)
        return "the rows are stored top row first, so the skin would show it upside down";
    if (h.data_offset != kBmpHeaderLength)
        return "its pixels start at byte " + std::to_string(h.data_offset) + " instead of 54";
    if (length > expected.file_length())
        return std::to_string(length - expected.file_length()) + " extra bytes after the pixels (" +
               size_note() + ")";
    if (length < expected.file_length()) return "the file is cut short (" + size_note() + ")";
    return "";
}

}  // namespace

PictureVerdict explain_picture(std::span<const std::uint8_t> head, std::uint64_t length,
                               const Picture& expected) {
    const FieldReader r(head);
    if (length == 0) return not_bmp("an empty file", false);
    if (std::optional<PictureVerdict> verdict = other_format(r, expected)) return *verdict;

    const std::optional<BmpHeader> h = read_bmp_header(r.bytes());
    if (!h)
        return {"a BMP file cut short after " + std::to_string(length) + " bytes",
                std::string(kDamaged), true, false};
    if (!bmp_header_known(h->header_size))
        return {"a BMP file with an unknown " + std::to_string(h->header_size) + "-byte header",
                std::string(kDamaged), true, false};
    if (h->width <= 0 || h->height() == 0 || h->width > kLargestSide || h->height() > kLargestSide)
        return {"a BMP file whose header claims an impossible size of " +
                    size_text(h->width, h->claimed_height),
                "the header is damaged", true, false};

    const bool other_size = h->width != static_cast<std::int64_t>(expected.width) ||
                            h->height() != static_cast<std::int64_t>(expected.height);
    if (other_size) {
        PictureVerdict verdict{std::to_string(h->bits) + "-bit BMP of " +
                                   size_text(h->width, h->height()) +
                                   std::string(profile_note(*h, r)),
                               "the picture must be " + size_text(expected),
                               true,
                               bmp_layout_readable(*h),
                               h->width,
                               h->height()};
        verdict.few_colours = h->bits <= 8;
        return verdict;
    }
    return {describe(*h, r), bmp_cause(*h, length, expected),
            false,           bmp_layout_readable(*h),
            h->width,        h->height()};
}

std::string verdict_text(const PictureVerdict& verdict, std::uint64_t length) {
    if (verdict.ok()) return "ok";
    return std::to_string(length) + " bytes: " + verdict.found + ": " + verdict.cause;
}

}  // namespace orbskin::skin
