// Every field through FieldReader: a head cut short says nothing rather than something wrong.
#include "picture/picture_head.h"

#include <algorithm>
#include <utility>

#include "picture/bitmap.h"
#include "picture/guard.h"
#include "picture/wording.h"
#include "runtime/message.h"
#include "skin/bmp.h"

namespace orbskin::picture {
namespace {

using namespace std::string_view_literals;
using runtime::Message;
using runtime::N_;
using skin::BmpHeader;
using skin::FieldReader;
using skin::read_be;
using skin::read_bmp_header;
using skin::read_le;
using skin::starts_with;

constexpr ForeignFormat kHeic{N_("HEIC photo"), N_("a HEIC photo"), ".heic",
                              N_("export it as JPEG or PNG")};
constexpr ForeignFormat kHeif{N_("HEIF picture"), N_("a HEIF picture"), ".heif",
                              N_("export it as JPEG or PNG")};
constexpr ForeignFormat kAvif{N_("AVIF picture"), N_("an AVIF picture"), ".avif",
                              N_("export it as PNG"), "an"};
constexpr ForeignFormat kPsd{N_("Photoshop document (PSD)"), N_("a Photoshop document (PSD)"),
                             ".psd", N_("save a copy as PNG from the program that made it")};
constexpr ForeignFormat kXcf{N_("GIMP picture (XCF)"), N_("a GIMP picture (XCF)"), ".xcf",
                             N_("export it as PNG from GIMP")};
constexpr ForeignFormat kKra{N_("Krita document (KRA)"), N_("a Krita document (KRA)"), ".kra",
                             N_("export it as PNG from Krita")};
constexpr ForeignFormat kOra{N_("OpenRaster document (ORA)"), N_("an OpenRaster document (ORA)"),
                             ".ora", N_("export it as PNG from the program that made it"), "an"};
constexpr ForeignFormat kExr{N_("OpenEXR picture (EXR)"), N_("an OpenEXR picture (EXR)"), ".exr",
                             N_("export it as PNG from the program that made it"), "an"};
constexpr ForeignFormat kIco{N_("Windows icon (ICO)"), N_("a Windows icon (ICO)"), ".ico",
                             N_("save it as PNG")};
constexpr ForeignFormat kPcx{N_("PCX picture"), N_("a PCX picture"), ".pcx", N_("save it as PNG")};
constexpr ForeignFormat kPdf{N_("PDF document"), N_("a PDF document"), ".pdf",
                             N_("export the page as PNG from the program that made it")};
// An SVG is told by its text (is_svg), not by a magic; this gives its files' name and export.
constexpr ForeignFormat kSvg{N_("SVG drawing"), N_("an SVG drawing"), ".svg",
                             N_("export it as PNG from the program that made it"), "an"};
constexpr const ForeignFormat* kForeignFormats[] = {&kHeic, &kHeif, &kAvif, &kPsd, &kXcf, &kKra,
                                                    &kOra,  &kExr,  &kIco,  &kPcx, &kPdf, &kSvg};

// The first bytes that tell each foreign format.
struct ForeignMagic {
    const ForeignFormat& format;
    std::string_view magic;
    std::size_t offset = 0;
};
constexpr ForeignMagic kForeignMagics[] = {
    {kHeic, "ftypheic", 4},
    {kHeic, "ftypheix", 4},
    {kHeic, "ftyphevc", 4},
    {kHeif, "ftypmif1", 4},
    {kHeif, "ftypmsf1", 4},
    {kAvif, "ftypavif", 4},
    {kAvif, "ftypavis", 4},
    {kPsd, "8BPS"},
    {kXcf, "gimp xcf"},
    // A zip whose first entry, stored, is "mimetype": its name at 30, its text right after.
    {kKra, "mimetypeapplication/x-krita", 30},
    {kOra, "mimetypeimage/openraster", 30},
    {kExr, "\x76\x2F\x31\x01"sv},
    {kIco, "\0\0\1\0"sv},
    {kPdf, "%PDF-"},
    // PCX of every version (0, 2 to 5), run-length encoded or not.
    {kPcx, "\x0A\x00\x01"sv},
    {kPcx, "\x0A\x00\x00"sv},
    {kPcx, "\x0A\x02\x01"sv},
    {kPcx, "\x0A\x02\x00"sv},
    {kPcx, "\x0A\x03\x01"sv},
    {kPcx, "\x0A\x03\x00"sv},
    {kPcx, "\x0A\x04\x01"sv},
    {kPcx, "\x0A\x04\x00"sv},
    {kPcx, "\x0A\x05\x01"sv},
    {kPcx, "\x0A\x05\x00"sv},
};

// The orientation tag's value in TIFF-structured bytes, as a TIFF file, a JPEG's EXIF block and a
// PNG's eXIf part hold them: in the first directory.
OrientationTag tiff_orientation_tag(const FieldReader& r) {
    const std::span<const std::uint8_t> tiff = r.bytes();
    const bool little = r.starts_with("II*\0"sv);
    if (!little && !r.starts_with("MM\0*"sv)) return {};
    const auto read = [&](std::size_t offset, std::size_t size) {
        return (little ? r.le(offset, size) : r.be(offset, size)).value_or(0);
    };
    const std::uint32_t directory = read(4, 4);
    for (std::uint32_t n = 0, count = read(directory, 2); n < count && n < 1000; ++n) {
        const std::size_t entry = directory + 2 + 12 * std::size_t{n};
        if (read(entry, 2) == 0x112 && entry + 10 <= tiff.size()) return {entry + 8, little};
    }
    return {};
}

// `tag` found in `body`, which lies at `offset` in the file.
OrientationTag moved(OrientationTag tag, std::size_t offset) {
    if (tag.at != 0) tag.at += offset;
    return tag;
}

// A JPEG's markers up to the first scan: each FF xx, then a 2-byte big-endian length that counts
// itself. The orientation is in the APP1 block that starts "Exif".
OrientationTag jpeg_orientation_tag(const FieldReader& r) {
    const std::span<const std::uint8_t> bytes = r.bytes();
    constexpr std::string_view kExif("Exif\0\0", 6);
    for (std::size_t at = 2;
         at + 4 <= bytes.size() && bytes[at] == 0xFF && bytes[at + 1] != 0xDA;) {
        const std::size_t length = r.be(at + 2, 2).value_or(0);
        if (length < 2) return {};  // a damaged marker
        const std::span<const std::uint8_t> body =
            bytes.subspan(at + 4, std::min(length, bytes.size() - at - 2) - 2);
        if (bytes[at + 1] == 0xE1 && starts_with(body, kExif))
            return moved(tiff_orientation_tag(FieldReader(body.subspan(kExif.size()))),
                         at + 4 + kExif.size());
        at += 2 + length;
    }
    return {};
}

// A PNG's parts before its image data: the orientation is in the eXIf part, as browsers read it.
OrientationTag png_orientation_tag(const FieldReader& r) {
    const std::span<const std::uint8_t> bytes = r.bytes();
    for (std::size_t at = 8; at + 8 <= bytes.size();) {
        const std::size_t length = r.be(at, 4).value_or(0);
        if (r.starts_with("IDAT", at + 4) || length > bytes.size() - at - 8) return {};
        if (r.starts_with("eXIf", at + 4))
            return moved(tiff_orientation_tag(FieldReader(bytes.subspan(at + 8, length))), at + 8);
        at += 12 + length;
    }
    return {};
}

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

// The next number of a Netpbm header at `at`, past blanks and # comments; 0 when there is none.
std::int64_t pnm_number(std::span<const std::uint8_t> bytes, std::size_t& at) {
    const auto blank = [](std::uint8_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (at < bytes.size() && (blank(bytes[at]) || bytes[at] == '#')) {
        if (bytes[at] == '#')
            while (at < bytes.size() && bytes[at] != '\n' && bytes[at] != '\r')
                ++at;
        else
            ++at;
    }
    std::int64_t value = 0;
    int digits = 0;
    for (; at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9'; ++at)
        if (++digits <= 9) value = value * 10 + (bytes[at] - '0');
    return digits <= 9 ? value : 0;
}

std::optional<Size> pnm_size(const FieldReader& r) {
    const std::span<const std::uint8_t> bytes = r.bytes();
    std::size_t at = 2;
    const std::int64_t width = pnm_number(bytes, at), height = pnm_number(bytes, at);
    if (width == 0 || height == 0) return std::nullopt;
    return Size{width, height};
}

const ForeignFormat* foreign_format(const FieldReader& r);
std::string_view netpbm_name(const FieldReader& r);
std::optional<Size> stored_size(const FieldReader& r);
// Where a JPEG's frame header lies, its SOFn marker; 0 for none in the bytes given.
std::size_t jpeg_frame(const FieldReader& r);

// The sizes in the headers of formats import does not read, for check to name.
std::optional<Size> foreign_size(const FieldReader& r) {
    const auto le = [&](std::size_t at, std::size_t size) { return r.le(at, size).value_or(0); };
    const auto be = [&](std::size_t at) { return r.be(at, 4).value_or(0); };
    const ForeignFormat* format = foreign_format(r);
    if (!format || !r.has(0, 24)) return std::nullopt;
    if (format == &kPcx) {
        const std::uint32_t left = le(4, 2), top = le(6, 2), right = le(8, 2), bottom = le(10, 2);
        if (right < left || bottom < top) return std::nullopt;
        return Size{right - left + 1, bottom - top + 1};
    }
    // An icon's first picture; a side of 0 stands for 256.
    if (format == &kIco) return Size{le(6, 1) ? le(6, 1) : 256, le(7, 1) ? le(7, 1) : 256};
    if (format == &kPsd && be(18) && be(14)) return Size{be(18), be(14)};
    return std::nullopt;
}

}  // namespace

runtime::Message import_formats_message() {
    runtime::Listed list;
    for (const PictureFormat& format : kImportFormats) {
        if ((!list.names.empty() && format.name == list.names.back()) ||
            format.name == kImportFormats.back().name)
            continue;
        list.names.emplace_back(format.name);
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

const ForeignFormat* foreign_format_saved_as(std::string_view extension) {
    for (const ForeignFormat* format : kForeignFormats)
        if (format->extension == extension) return format;
    return nullptr;
}

OrientationTag orientation_tag(std::span<const std::uint8_t> bytes) {
    const FieldReader r(bytes);
    if (r.starts_with("\xFF\xD8")) return jpeg_orientation_tag(r);
    if (r.starts_with(kPngSignature)) return png_orientation_tag(r);
    return tiff_orientation_tag(r);
}

namespace {

const PictureFormat* format_of(const FieldReader& r) {
    const std::span<const std::uint8_t> head = r.bytes();
    for (const PictureFormat& format : kImportFormats) {
        if (format.magic.empty() ? looks_like_tga(head)
                                 : r.starts_with(format.magic, format.offset))
            return &format;
    }
    return nullptr;
}

bool is_svg(const FieldReader& r) {
    const std::span<const std::uint8_t> head = r.bytes();
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    std::size_t at = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    at = text.find_first_not_of(" \t\r\n", at);
    return at != std::string_view::npos && text[at] == '<' &&
           text.find("<svg", at) != std::string_view::npos;
}

const ForeignFormat* foreign_format(const FieldReader& r) {
    for (const ForeignMagic& magic : kForeignMagics)
        if (r.starts_with(magic.magic, magic.offset)) return &magic.format;
    return nullptr;
}

int stored_orientation(const FieldReader& r) {
    const std::span<const std::uint8_t> bytes = r.bytes();
    const OrientationTag tag = orientation_tag(bytes);
    if (tag.at == 0) return 1;
    const auto field = bytes.subspan(tag.at, 2);
    const std::uint32_t value = tag.little ? read_le(field) : read_be(field);
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
}

std::optional<Size> claimed_size(const FieldReader& r) {
    std::optional<Size> size = stored_size(r);
    const int orientation = stored_orientation(r);
    if (size && orientation >= 5) std::swap(size->width, size->height);
    return size;
}

std::optional<Size> stored_size(const FieldReader& r) {
    const std::span<const std::uint8_t> bytes = r.bytes();
    // A field past the end reads as 0, which no check below takes for a size.
    const auto field = [&](std::size_t at, std::size_t size) { return r.le(at, size).value_or(0); };
    const auto big = [&](std::size_t at) { return r.be(at, 4).value_or(0); };
    if (r.starts_with(kPngSignature)) return Size{big(16), big(20)};
    if (r.starts_with("GIF8")) return Size{field(6, 2), field(8, 2)};
    if (r.starts_with("BM")) {
        const std::optional<BmpHeader> h = read_bmp_header(bytes);
        if (h) return Size{h->width, h->height()};
        return std::nullopt;
    }
    if (r.starts_with("RIFF") && r.starts_with("WEBP", 8)) {
        if (r.starts_with("VP8X", 12)) return Size{field(24, 3) + 1, field(27, 3) + 1};
        if (r.starts_with("VP8L", 12)) {
            const std::uint32_t packed = field(21, 4);
            return Size{(packed & 0x3FFF) + 1, (packed >> 14 & 0x3FFF) + 1};
        }
        if (r.starts_with("VP8 ", 12)) return Size{field(26, 2) & 0x3FFF, field(28, 2) & 0x3FFF};
        return std::nullopt;
    }
    if (r.starts_with("II*\0"sv) || r.starts_with("MM\0*"sv)) return tiff_size(r);
    if (looks_like_tga(bytes)) return Size{field(12, 2), field(14, 2)};
    if (!netpbm_name(r).empty()) return pnm_size(r);
    if (foreign_format(r)) return foreign_size(r);
    const std::size_t frame = jpeg_frame(r);
    if (!frame) return std::nullopt;
    return Size{r.be(frame + 7, 2).value_or(0), r.be(frame + 5, 2).value_or(0)};
}

std::size_t jpeg_frame(const FieldReader& r) {
    const std::span<const std::uint8_t> bytes = r.bytes();
    if (!r.starts_with("\xFF\xD8")) return 0;
    // The first SOFn marker (C0 to CF but C4, C8 and CC), whose height and width follow its
    // length and precision.
    for (std::size_t at = 2; at + 9 <= bytes.size() && bytes[at] == 0xFF;) {
        const std::uint8_t marker = bytes[at + 1];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            return at;
        if (marker == 0xDA) break;
        at += 2 + r.be(at + 2, 2).value_or(0);
    }
    return 0;
}

bool size_lies_past(const FieldReader& r, std::uint64_t length) {
    const std::span<const std::uint8_t> head = r.bytes();
    const bool tiff = r.starts_with("II*\0"sv) || r.starts_with("MM\0*"sv);
    return head.size() < length && (tiff || r.starts_with("\xFF\xD8")) && !stored_size(r);
}

std::string_view netpbm_name(const FieldReader& r) {
    const std::span<const std::uint8_t> head = r.bytes();
    constexpr std::string_view kNames[] = {runtime::N_("PBM picture"), runtime::N_("PGM picture"),
                                           runtime::N_("PPM picture")};
    if (head.size() < 3 || head[0] != 'P' || head[1] < '1' || head[1] > '6') return "";
    const std::uint8_t after = head[2];
    if (after != ' ' && after != '#' && (after < '\t' || after > '\r')) return "";
    return kNames[(head[1] - '1') % 3];
}

bool few_colours(const FieldReader& r) {
    const std::span<const std::uint8_t> bytes = r.bytes();
    if (r.starts_with(kPngSignature)) {
        const auto depth = r.le(24, 1), colour = r.le(25, 1);
        return colour && depth && (*colour == 3 || (*colour == 0 && *depth <= 8));
    }
    if (r.starts_with("GIF8")) return true;
    if (const std::string_view netpbm = netpbm_name(r); !netpbm.empty()) {
        // Black and white, or grey of at most 256 levels.
        std::size_t at = 2;
        const auto width = pnm_number(bytes, at), height = pnm_number(bytes, at);
        return netpbm.starts_with("PBM") ||
               (netpbm.starts_with("PGM") && width && height && pnm_number(bytes, at) <= 255);
    }
    if (const std::optional<TgaHeader> tga = tga_header(bytes))
        return tga->bits == 8;  // colour-mapped or grey
    const std::optional<BmpHeader> h = read_bmp_header(bytes);
    return h && h->bits <= 8;
}

// The first image descriptor, past the colour table and any extension blocks; nothing when the
// file is cut short before it, or when the screen has no area (the frame alone is then shown).
std::optional<FirstFrame> gif_first_frame(const FieldReader& r) {
    const auto screen_w = r.le(6, 2), screen_h = r.le(8, 2), packed = r.le(10, 1);
    if (!r.starts_with("GIF8") || !screen_w || !screen_h || !packed || !*screen_w || !*screen_h)
        return std::nullopt;
    std::size_t at = 13 + (*packed & 0x80 ? 3u << ((*packed & 7) + 1) : 0);
    while (const auto block = r.le(at, 1)) {
        if (*block == 0x2C) {
            const auto left = r.le(at + 1, 2), top = r.le(at + 3, 2), w = r.le(at + 5, 2),
                       h = r.le(at + 7, 2);
            if (!left || !top || !w || !h) return std::nullopt;
            return FirstFrame{int(*screen_w), int(*screen_h), int(*left),
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

// A colour-mapped TGA of 16-bit indices, which tga_header() does not take: its header otherwise
// sound.
bool tga_of_wide_indices(const FieldReader& r) {
    const std::span<const std::uint8_t> bytes = r.bytes();
    const std::span<const std::uint8_t> first =
        bytes.first(std::min<std::size_t>(18, bytes.size()));
    std::vector<std::uint8_t> head(first.begin(), first.end());
    if (head.size() < 18 || head[16] != 16 || (head[2] & ~8) != 1) return false;
    head[16] = 8;  // the same header with 8-bit indices
    return looks_like_tga(head);
}

// A format import does not read, with the one conversion that works.
Message foreign_refusal(const ForeignFormat& foreign) {
    const std::vector<runtime::Arg> args{{"kind", Message(foreign.name)},
                                         {"advice", Message(foreign.advice)}};
    return foreign.article == "an" ? Message("it is an {kind}: {advice}", args)
                                   : Message("it is a {kind}: {advice}", args);
}

Reader reader_of(const PictureFormat* format, const FieldReader& r) {
    if (!format) return Reader::platform;
    if (format->name == "BMP") return Reader::bmp;
    if (format->name == "TGA") return Reader::tga;
    if (format->name == "TIFF") return Reader::tiff;
    return r.starts_with(kPngSignature) ? Reader::png : Reader::platform;
}

}  // namespace

std::optional<Message> PictureHead::refusal() const {
    for (const std::optional<Message>* why : {&empty, &foreign_refusal, &oversized, &cut_short})
        if (*why) return **why;
    return std::nullopt;
}

PictureHead read_head(std::span<const std::uint8_t> bytes, std::optional<std::uint64_t> length) {
    const FieldReader r(bytes);
    PictureHead head;
    head.format = format_of(r);
    head.netpbm = netpbm_name(r);
    head.foreign = foreign_format(r);
    head.svg = is_svg(r);
    if (!head.foreign && head.svg) head.foreign = &kSvg;  // told by its text: named all the same
    head.reader = reader_of(head.format, r);
    head.stored = stored_size(r);
    head.orientation = stored_orientation(r);
    head.shown = claimed_size(r);
    head.few_colours = few_colours(r);
    head.lossy = (head.format && head.format->name == "JPEG") ||
                 (head.format && head.format->name == "WebP" && r.starts_with("VP8 ", 12));
    // SOF9 to SOF15: coded with arithmetic coding, which few decoders read.
    const std::size_t frame = jpeg_frame(r);
    head.arithmetic = frame && bytes[frame + 1] >= 0xC9;
    const std::uint64_t whole = length.value_or(bytes.size());
    head.size_lies_past = size_lies_past(r, whole);
    head.gif_frame = gif_first_frame(r);
    head.profile = profile_place(r);
    if (bytes.empty()) head.empty = Message(kEmptyFile);
    if (head.foreign) head.foreign_refusal = foreign_refusal(*head.foreign);
    if (too_many_scans(r))
        head.oversized = too_many_scans_message();
    else if (head.shown && std::uint64_t(head.shown->width) * std::uint64_t(head.shown->height) >
                               kLargestDecodedPixels)
        head.oversized = claims_too_many_pixels(head.shown->width, head.shown->height);
    if (bytes.size() == whole) head.cut_short = picture::cut_short(r);
    if (!head.format && head.netpbm.empty())
        head.unknown =
            tga_of_wide_indices(r) ? Message(kTgaWideIndices) : unknown_format_cause(r.bytes());
    return head;
}

}  // namespace orbskin::picture
