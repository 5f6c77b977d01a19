// The BMP header reader behind explain_bmp(). Every field is read through a bounds-checked
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

using runtime::Arg;
using runtime::Message;

// The largest width or height worth describing; beyond it a header is taken as damaged.
constexpr std::int64_t kLargestSide = 1 << 16;

Arg size_arg(std::int64_t width, std::int64_t height) {
    return {"size", size_text(width, height)};
}

Arg number(std::string_view name, std::uint64_t value) {
    return {name, runtime::Number(static_cast<std::int64_t>(value))};
}

PictureVerdict damaged(Message found, Message cause) {
    return {std::move(found), std::move(cause), true, false};
}

// How the pixels are packed, as a part of what the file is: "{found}, RLE8-compressed".
Message with_compression(Message found, std::uint32_t compression) {
    const Arg before("found", found);
    switch (compression) {
        case kBmpRgb:
            return found;
        case kBmpRle8:
            return Message("{found}, RLE8-compressed", {before});
        case kBmpRle4:
            return Message("{found}, RLE4-compressed", {before});
        case kBmpMasks:
        case kBmpAlphaMasks:
            return Message("{found}, with colour masks", {before});
        case kBmpJpeg:
            return Message("{found}, holding a JPEG", {before});
        case kBmpPng:
            return Message("{found}, holding a PNG", {before});
        default:
            return Message("{found}, with an unknown compression", {before});
    }
}

// The colour profile a 124-byte header names, by its colour-space type at byte 70.
Message with_profile(Message found, const BmpHeader& h, const FieldReader& r) {
    constexpr std::uint32_t kEmbedded = 0x4D424544, kLinked = 0x4C494E4B;  // "MBED", "LINK"
    const std::optional<std::uint32_t> type = r.le(70, 4);
    if (h.header_size < 124 || !type) return found;
    if (*type == kEmbedded)
        return Message("{found}, with an embedded colour profile", {{"found", found}});
    if (*type == kLinked)
        return Message("{found}, with a linked colour profile", {{"found", found}});
    return found;
}

Message describe(const BmpHeader& h, const FieldReader& r) {
    Message found = with_profile(Message("{bits}-bit BMP, {size}, {header}-byte header",
                                         {number("bits", h.bits), size_arg(h.width, h.height()),
                                          number("header", h.header_size)}),
                                 h, r);
    if (h.claimed_height < 0) found = Message("{found}, top-down", {{"found", found}});
    return with_compression(std::move(found), h.compression);
}

// Why the conversion, which takes the pixels from byte 54 on as bottom-up 24-bit rows, would not
// give the picture as drawn; none when it would.
std::optional<Message> bmp_cause(const BmpHeader& h, std::uint64_t length,
                                 const Picture& expected) {
    const Arg got = number("length", length), wanted = number("expected", expected.file_length());
    if (h.bits != 24) return Message("the picture must be 24-bit");
    if (h.compression != kBmpRgb) return Message("the picture must be uncompressed");
    if (h.header_size != 40) return Message("the header must be the plain 40-byte one");
    if (h.claimed_height < 0)
        return Message("the rows are stored top row first, so the skin would show it upside down");
    if (h.data_offset != kBmpHeaderLength)
        return Message("its pixels start at byte {offset} instead of 54",
                       {number("offset", h.data_offset)});
    if (length > expected.file_length())
        return Message::plural(
            "{n} extra byte after the pixels ({length} bytes instead of {expected})",
            "{n} extra bytes after the pixels ({length} bytes instead of {expected})",
            length - expected.file_length(), {got, wanted});
    if (length < expected.file_length())
        return Message("the file is cut short ({length} bytes instead of {expected})",
                       {got, wanted});
    return std::nullopt;
}

}  // namespace

PictureVerdict not_bmp(Message found, bool importable, bool needs_scaling) {
    return {std::move(found), Message("the picture must be a 24-bit BMP"), needs_scaling,
            importable};
}

PictureVerdict explain_bmp(std::span<const std::uint8_t> head, std::uint64_t length,
                           const Picture& expected) {
    const FieldReader r(head);
    if (!r.starts_with("BM"))
        return not_bmp(Message("not a BMP file (it does not start with \"BM\")"), false);

    const std::optional<BmpHeader> h = read_bmp_header(r.bytes());
    if (!h)
        return damaged(
            Message("a BMP file cut short after {length} bytes", {number("length", length)}),
            Message("the file is damaged"));
    if (!bmp_header_known(h->header_size))
        return damaged(Message("a BMP file with an unknown {header}-byte header",
                               {number("header", h->header_size)}),
                       Message("the file is damaged"));
    if (h->width <= 0 || h->height() == 0 || h->width > kLargestSide || h->height() > kLargestSide)
        return damaged(Message("a BMP file whose header claims an impossible size of {size}",
                               {size_arg(h->width, h->claimed_height)}),
                       Message("the header is damaged"));

    const bool other_size = h->width != static_cast<std::int64_t>(expected.width) ||
                            h->height() != static_cast<std::int64_t>(expected.height);
    if (other_size) {
        PictureVerdict verdict{
            with_profile(Message("{bits}-bit BMP of {size}",
                                 {number("bits", h->bits), size_arg(h->width, h->height())}),
                         *h, r),
            Message("the picture must be {size}", {{"size", size_text(expected)}}),
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

Message verdict_message(const PictureVerdict& verdict, std::uint64_t length) {
    if (verdict.ok()) return Message(C_("what check found of a picture", "ok"));
    return Message("{length} bytes: {found}: {cause}",
                   {number("length", length), {"found", verdict.found}, {"cause", *verdict.cause}});
}

}  // namespace orbskin::skin
