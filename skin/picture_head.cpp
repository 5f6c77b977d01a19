// Every field through FieldReader: a head cut short says nothing rather than something wrong.
#include "skin/picture_head.h"

#include "runtime/message.h"
#include "skin/bmp.h"

namespace orbskin::skin {
namespace {

using namespace std::string_view_literals;
using runtime::N_;

constexpr std::array<ForeignFormat, 20> kForeignFormats{{
    {N_("HEIC photo"), "ftypheic", 4, N_("export it as JPEG or PNG")},
    {N_("HEIC photo"), "ftypheix", 4, N_("export it as JPEG or PNG")},
    {N_("HEIC photo"), "ftyphevc", 4, N_("export it as JPEG or PNG")},
    {N_("HEIF picture"), "ftypmif1", 4, N_("export it as JPEG or PNG")},
    {N_("HEIF picture"), "ftypmsf1", 4, N_("export it as JPEG or PNG")},
    {N_("AVIF picture"), "ftypavif", 4, N_("export it as PNG"), "an"},
    {N_("AVIF picture"), "ftypavis", 4, N_("export it as PNG"), "an"},
    {N_("Photoshop document (PSD)"), "8BPS", 0,
     N_("save a copy as PNG from the program that made it")},
    {N_("GIMP picture (XCF)"), "gimp xcf", 0, N_("export it as PNG from GIMP")},
    {N_("Windows icon (ICO)"), "\0\0\1\0"sv, 0, N_("save it as PNG")},
    // PCX of every version (0, 2 to 5), run-length encoded or not.
    {N_("PCX picture"), "\x0A\x00\x01"sv, 0, N_("save it as PNG")},
    {N_("PCX picture"), "\x0A\x00\x00"sv, 0, N_("save it as PNG")},
    {N_("PCX picture"), "\x0A\x02\x01"sv, 0, N_("save it as PNG")},
    {N_("PCX picture"), "\x0A\x02\x00"sv, 0, N_("save it as PNG")},
    {N_("PCX picture"), "\x0A\x03\x01"sv, 0, N_("save it as PNG")},
    {N_("PCX picture"), "\x0A\x03\x00"sv, 0, N_("save it as PNG")},
    {N_("PCX picture"), "\x0A\x04\x01"sv, 0, N_("save it as PNG")},
    {N_("PCX picture"), "\x0A\x04\x00"sv, 0, N_("save it as PNG")},
    {N_("PCX picture"), "\x0A\x05\x01"sv, 0, N_("save it as PNG")},
    {N_("PCX picture"), "\x0A\x05\x00"sv, 0, N_("save it as PNG")},
}};

// The size in a TIFF's first directory: tags 256 and 257, each a SHORT or a LONG.
std::optional<Size> tiff_size(const FieldReader& r) {
    const bool little = r.starts_with("II*\0"sv);
    const auto read = [&](std::size_t at, std::size_t size) {
        return little ? r.le(at, size) : r.be(at, size);
    };
    const std::optional<std::uint32_t> directory = read(4, 4);
    const std::optional<std::uint32_t> count = directory ? read(*directory, 2) : std::nullopt;
    Size size;
    for (std::uint32_t n = 0; count && n < *count && n < 1000; ++n) {
        const std::size_t entry = *directory + 2 + 12 * std::size_t{n};
        const auto tag = read(entry, 2), type = read(entry + 2, 2);
        const auto value = type == 3u ? read(entry + 8, 2) : read(entry + 8, 4);
        if (!tag || !value) break;
        if (*tag == 256) size.width = *value;
        if (*tag == 257) size.height = *value;
    }
    if (size.width == 0 || size.height == 0) return std::nullopt;
    return size;
}

}  // namespace

runtime::Message import_formats_message() {
    std::string list;
    std::string_view last;
    for (const PictureFormat& format : kImportFormats) {
        if (format.name == last || format.name == kImportFormats.back().name) continue;
        list += (list.empty() ? "" : ", ") + std::string(format.name);
        last = format.name;
    }
    return runtime::Message("{formats} or {last}",
                            {{"formats", list}, {"last", std::string(kImportFormats.back().name)}});
}

std::string import_formats_text() {
    return import_formats_message().text();
}

std::optional<TgaHeader> tga_header(std::span<const std::uint8_t> head) {
    const FieldReader r(head);
    const auto f = [&](std::size_t at, std::size_t size) { return r.le(at, size); };
    const std::optional<std::uint32_t> fields[] = {f(0, 1), f(1, 1),  f(2, 1),  f(3, 2),  f(5, 2),
                                                   f(7, 1), f(12, 2), f(14, 2), f(16, 1), f(17, 1)};
    for (const auto& field : fields)
        if (!field) return std::nullopt;
    const TgaHeader h{*fields[0], *fields[1], *fields[2], *fields[3], *fields[4],
                      *fields[5], *fields[6], *fields[7], *fields[8], *fields[9]};
    const std::uint32_t kind = h.type & ~8u;  // 1 mapped, 2 true colour, 3 grey; +8 RLE
    const auto colour_bits = [](std::uint32_t bits) {
        return bits == 15 || bits == 16 || bits == 24 || bits == 32;
    };
    const bool map_sound = h.map_type == 0 || (h.map_type == 1 && colour_bits(h.map_bits));
    const bool layout = (kind == 1 && h.map_type == 1 && h.map_length > 0 && h.bits == 8) ||
                        (kind == 2 && colour_bits(h.bits)) ||
                        (kind == 3 && (h.bits == 8 || h.bits == 16));
    if (!map_sound || !layout || h.width == 0 || h.height == 0 || (h.descriptor & 0xC0) != 0)
        return std::nullopt;
    return h;
}

bool looks_like_tga(std::span<const std::uint8_t> head) {
    return tga_header(head).has_value();
}

const PictureFormat* format_of(std::span<const std::uint8_t> head) {
    for (const PictureFormat& format : kImportFormats) {
        if (format.magic.empty() ? looks_like_tga(head)
                                 : starts_with(head, format.magic, format.offset))
            return &format;
    }
    return nullptr;
}

const ForeignFormat* foreign_format(std::span<const std::uint8_t> head) {
    for (const ForeignFormat& format : kForeignFormats)
        if (starts_with(head, format.magic, format.offset)) return &format;
    return nullptr;
}

std::optional<Size> claimed_size(std::span<const std::uint8_t> bytes) {
    // A field past the end reads as 0, which no check below takes for a size.
    const FieldReader r(bytes);
    const auto field = [&](std::size_t at, std::size_t size) { return r.le(at, size).value_or(0); };
    const auto big = [&](std::size_t at) { return r.be(at, 4).value_or(0); };
    if (starts_with(bytes, kPngSignature)) return Size{big(16), big(20)};
    if (starts_with(bytes, "GIF8")) return Size{field(6, 2), field(8, 2)};
    if (starts_with(bytes, "BM")) {
        const std::optional<BmpHeader> h = read_bmp_header(bytes);
        if (h) return Size{h->width, h->height()};
        return std::nullopt;
    }
    if (starts_with(bytes, "RIFF") && starts_with(bytes, "WEBP", 8)) {
        if (starts_with(bytes, "VP8X", 12)) return Size{field(24, 3) + 1, field(27, 3) + 1};
        if (starts_with(bytes, "VP8L", 12)) {
            const std::uint32_t packed = field(21, 4);
            return Size{(packed & 0x3FFF) + 1, (packed >> 14 & 0x3FFF) + 1};
        }
        if (starts_with(bytes, "VP8 ", 12))
            return Size{field(26, 2) & 0x3FFF, field(28, 2) & 0x3FFF};
        return std::nullopt;
    }
    if (starts_with(bytes, "II*\0"sv) || starts_with(bytes, "MM\0*"sv)) return tiff_size(r);
    if (looks_like_tga(bytes)) return Size{field(12, 2), field(14, 2)};
    if (!starts_with(bytes, "\xFF\xD8")) return std::nullopt;
    // A JPEG's frame header: the first SOFn marker (C0 to CF but C4, C8 and CC), whose height and
    // width follow its length and precision.
    for (std::size_t at = 2; at + 9 <= bytes.size() && bytes[at] == 0xFF;) {
        const std::uint8_t marker = bytes[at + 1];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return Size{read_be(bytes.subspan(at + 7, 2)), read_be(bytes.subspan(at + 5, 2))};
        if (marker == 0xDA) break;
        at += 2 + read_be(bytes.subspan(at + 2, 2));
    }
    return std::nullopt;
}

bool few_colours(std::span<const std::uint8_t> bytes) {
    const FieldReader r(bytes);
    if (r.starts_with(kPngSignature)) {
        const auto depth = r.le(24, 1), colour = r.le(25, 1);
        return colour && depth && (*colour == 3 || (*colour == 0 && *depth <= 8));
    }
    if (r.starts_with("GIF8")) return true;
    if (const std::optional<TgaHeader> tga = tga_header(bytes))
        return tga->bits == 8;  // colour-mapped or grey
    const std::optional<BmpHeader> h = read_bmp_header(bytes);
    return h && h->bits <= 8;
}

}  // namespace orbskin::skin
