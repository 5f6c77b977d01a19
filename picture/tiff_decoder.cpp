// Every field through FieldReader, every piece checked against the file before it is read, and
// every size judged against kLargestDecodedPixels before anything is allocated.
#include "picture/tiff_decoder.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "picture/wording.h"
#include "runtime/error.h"
#include "skin/byte_order.h"

namespace orbskin::picture {
namespace {

using namespace std::string_view_literals;

[[noreturn]] void refuse(const std::string& source, const Message& why) {
    throw runtime::Error(unreadable_picture_message(source, why));
}

[[noreturn]] void damaged(const std::string& source, const Message& why) {
    refuse(source, damaged_message("TIFF", why));
}

[[noreturn]] void past_end(const std::string& source) {
    damaged(source, Message("a part claims more bytes than the file holds"));
}

[[noreturn]] void lacks(const std::string& source, std::string_view field) {
    damaged(source,
            Message("its directory lacks the {field} field", {{"field", std::string(field)}}));
}

// What the kinds we do not read are called, by their numbers.
constexpr std::pair<std::uint32_t, std::string_view> kCompressions[] = {
    {2, "CCITT"},    {3, "CCITT"},         {4, "CCITT"},    {32771, "CCITT"}, {6, "JPEG"},
    {7, "JPEG"},     {9, "JBIG"},          {10, "JBIG"},    {34661, "JBIG"},  {34712, "JPEG 2000"},
    {34925, "LZMA"}, {50000, "Zstandard"}, {50001, "WebP"}, {34892, "JPEG"}};
constexpr std::pair<std::uint32_t, std::string_view> kColourModels[] = {
    {5, "CMYK"},     {6, "YCbCr"},      {8, "CIELab"},  {9, "ICCLab"},       {10, "ITULab"},
    {32844, "LogL"}, {32845, "LogLuv"}, {32803, "CFA"}, {34892, "LinearRaw"}};

std::string name_of(std::span<const std::pair<std::uint32_t, std::string_view>> names,
                    std::uint32_t number) {
    for (const auto& [n, name] : names)
        if (n == number) return std::string(name);
    return std::to_string(number);
}

// The first directory's entries: tag, type, count and where the values lie.
class Directory {
  public:
    Directory(std::span<const std::uint8_t> bytes, const std::string& source)
        : r_(bytes), source_(source) {
        little_ = r_.starts_with("II*\0"sv);
        if (!little_ && !r_.starts_with("MM\0*"sv)) damaged(source, Message(kNoPixels));
        const std::uint32_t at = read(4, 4).value_or(0);
        const std::optional<std::uint32_t> count = read(at, 2);
        if (at < 8 || !count || !r_.has(at + std::size_t{2}, std::size_t{12} * *count))
            past_end(source);
        for (std::uint32_t n = 0; n < *count; ++n) {
            const std::size_t entry = at + 2 + std::size_t{12} * n;
            entries_.push_back({*read(entry, 2), *read(entry + 2, 2), *read(entry + 4, 4), entry});
        }
    }

    [[nodiscard]] bool little() const { return little_; }
    [[nodiscard]] bool has(std::uint32_t tag) const { return find(tag) != nullptr; }

    // The values of `tag`, BYTE, SHORT or LONG; `otherwise` where it is not there.
    [[nodiscard]] std::vector<std::uint32_t> values(
        std::uint32_t tag, std::vector<std::uint32_t> otherwise = {}) const {
        const Entry* e = find(tag);
        if (!e || e->count == 0) return otherwise;
        const std::size_t size = e->type == 1 ? 1 : e->type == 3 ? 2 : 4;
        const std::uint64_t length = std::uint64_t{e->count} * size;
        const std::size_t at = length <= 4 ? e->at + 8 : read(e->at + 8, 4).value_or(0);
        if (length > r_.bytes().size() || !r_.has(at, std::size_t(length))) past_end(source_);
        std::vector<std::uint32_t> values(e->count);
        for (std::size_t i = 0; i < values.size(); ++i)
            values[i] = *read(at + i * size, size);
        return values;
    }

    // The first value of `tag`, or `otherwise`.
    [[nodiscard]] std::uint32_t one(std::uint32_t tag, std::uint32_t otherwise) const {
        const std::vector<std::uint32_t> all = values(tag);
        return all.empty() ? otherwise : all[0];
    }

    // The same, of a field no picture is without.
    [[nodiscard]] std::uint32_t needed(std::uint32_t tag, std::string_view field) const {
        if (!has(tag)) lacks(source_, field);
        return one(tag, 0);
    }

  private:
    struct Entry {
        std::uint32_t tag, type, count;
        std::size_t at;
    };

    [[nodiscard]] std::optional<std::uint32_t> read(std::size_t at, std::size_t size) const {
        return little_ ? r_.le(at, size) : r_.be(at, size);
    }

    [[nodiscard]] const Entry* find(std::uint32_t tag) const {
        for (const Entry& e : entries_)
            if (e.tag == tag && (e.type == 1 || e.type == 3 || e.type == 4)) return &e;
        return nullptr;
    }

    skin::FieldReader r_;
    const std::string& source_;
    bool little_ = true;
    std::vector<Entry> entries_;
};

// The layout fields: what is refused is refused before any piece is looked for.
void read_layout(const Directory& d, TiffImage& t, const std::string& source) {
    const std::uint64_t width = d.needed(256, "ImageWidth"), height = d.needed(257, "ImageLength");
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        damaged(source, Message("its header claims an impossible size"));
    if (width * height > kLargestDecodedPixels)
        refuse(source, claims_too_many_pixels(std::int64_t(width), std::int64_t(height)));
    t.width = int(width), t.height = int(height);
    t.compression = d.one(259, 1);
    if (t.compression != 1 && t.compression != 5 && t.compression != 8 && t.compression != 32946 &&
        t.compression != 32773) {
        const std::string name = name_of(kCompressions, t.compression);
        if (name == std::to_string(t.compression))
            refuse(source, Message("it is a TIFF picture of compression {number}, which this "
                                   "program does not read; save it as PNG or as an uncompressed "
                                   "TIFF",
                                   {{"number", name}}));
        refuse(source, Message("it is a TIFF picture compressed as {compression}, which this "
                               "program does not read; save it as PNG or as an uncompressed TIFF",
                               {{"compression", name}}));
    }
    t.photometric = d.needed(262, "PhotometricInterpretation");
    if (t.photometric > 3)
        refuse(source, Message("it is a TIFF picture of colour model {model}, which this program "
                               "does not read; save it as PNG",
                               {{"model", name_of(kColourModels, t.photometric)}}));
    t.samples = int(std::clamp<std::uint32_t>(d.one(277, 1), 1, 64));
    const std::size_t colours = t.photometric == 2 ? 3 : 1;
    if (std::size_t(t.samples) < colours) lacks(source, "SamplesPerPixel");
    const std::vector<std::uint32_t> bits = d.values(258, {1});
    for (const std::uint32_t b : bits)
        if ((b != 8 && b != 16) || b != bits[0])
            refuse(source, Message("it is a TIFF picture of {bits}-bit samples, which this "
                                   "program does not read; save it as PNG",
                                   {{"bits", runtime::Number(b)}}));
    t.bits = int(bits[0]);
    const std::uint32_t format = d.one(339, 1), predictor = d.one(317, 1);
    if (format == 3 || predictor == 3)
        refuse(source, Message("it is a TIFF picture of floating-point samples, which this program "
                               "does not read; save it as PNG"));
    if (format != 1 && format != 4) refuse(source, unreadable_kind_message("TIFF"));
    t.predictor = predictor == 2;
    // Every piece is decompressed whole: a picture of many samples is held as such.
    if (std::uint64_t(t.width) * std::uint64_t(t.height) * std::uint64_t(t.samples) *
            std::uint64_t(t.bits / 8) >
        kLargestDecodedPixels * 8)
        refuse(source, Message(kFarTooLarge));
    t.planar = d.one(284, 1) == 2;
    // The first extra sample is alpha where it says so; one of no stated meaning is left out.
    if (std::size_t(t.samples) > colours) {
        const std::uint32_t extra = d.one(338, 0);
        if (extra == 1 || extra == 2) t.alpha = int(colours), t.associated = extra == 1;
    }
    if (t.photometric == 3) {
        const std::vector<std::uint32_t> map = d.values(320);
        const std::size_t entries = std::size_t{1} << t.bits;
        if (map.empty()) lacks(source, "ColorMap");
        if (map.size() < 3 * entries) damaged(source, Message("its colour map is cut short"));
        const auto level = [&](std::size_t i) { return pixel_from_16bit(0, 0, map[i], 0) & 0xFF; };
        for (std::size_t i = 0; i < entries; ++i)
            t.palette.push_back(0xFF000000u | level(i) << 16 | level(entries + i) << 8 |
                                level(2 * entries + i));
    }
}

// The strips or tiles, each checked to lie within the file.
void read_pieces(const Directory& d, std::span<const std::uint8_t> bytes, TiffImage& t,
                 const std::string& source) {
    t.tiled = d.has(322);
    std::vector<std::uint32_t> offsets, counts;
    if (t.tiled) {
        t.piece_width = int(std::min<std::uint32_t>(d.one(322, 0), 0x7FFFFFFF));
        t.piece_height = int(std::min<std::uint32_t>(d.needed(323, "TileLength"), 0x7FFFFFFF));
        // Tiles are whole multiples of 16 pixels a side.
        if (t.piece_width == 0 || t.piece_height == 0 || t.piece_width % 16 || t.piece_height % 16)
            damaged(source, Message("its header claims an impossible size"));
        // A tile larger than the picture itself and a megapixel is no writer's.
        if (std::uint64_t(t.piece_width) * std::uint64_t(t.piece_height) >
            std::max<std::uint64_t>(std::uint64_t(t.width) * std::uint64_t(t.height), 1u << 20))
            refuse(source, Message(kFarTooLarge));
        offsets = d.values(324);
        if (offsets.empty()) lacks(source, "TileOffsets");
        counts = d.values(325);
        if (counts.empty()) lacks(source, "TileByteCounts");
    } else {
        t.piece_width = t.width;
        t.piece_height = int(std::clamp<std::uint32_t>(d.one(278, 0xFFFFFFFF), 1, t.height));
        offsets = d.values(273);
        if (offsets.empty()) lacks(source, "StripOffsets");
        counts = d.values(279);
        if (counts.empty()) lacks(source, "StripByteCounts");
    }
    const std::size_t across = (std::size_t(t.width) + t.piece_width - 1) / t.piece_width;
    const std::size_t down = (std::size_t(t.height) + t.piece_height - 1) / t.piece_height;
    const std::size_t pieces = across * down * (t.planar ? std::size_t(t.samples) : 1);
    if (offsets.size() < pieces || counts.size() < pieces)
        damaged(source, Message("its pixels are cut short"));
    for (std::size_t i = 0; i < pieces; ++i) {
        if (offsets[i] > bytes.size()) damaged(source, Message("its pixels are cut short"));
        // A piece cut short by the file's end is read as far as it goes.
        t.pieces.push_back(
            bytes.subspan(offsets[i], std::min<std::size_t>(counts[i], bytes.size() - offsets[i])));
    }
}

// Samples in a piece's pixel.
std::size_t piece_samples(const TiffImage& t) {
    return t.planar ? 1 : std::size_t(t.samples);
}

std::size_t per_plane(const TiffImage& t) {
    return t.planar ? t.pieces.size() / std::size_t(t.samples) : t.pieces.size();
}

// The piece's place on the picture: its left and top, and its rows (a strip's last may be fewer).
struct Place {
    std::size_t left, top, rows;
};
Place place_of(const TiffImage& t, std::size_t index) {
    const std::size_t q = index % per_plane(t), h = std::size_t(t.piece_height);
    if (!t.tiled) return {0, q * h, std::min(h, std::size_t(t.height) - q * h)};
    const std::size_t across = (std::size_t(t.width) + t.piece_width - 1) / t.piece_width;
    return {q % across * std::size_t(t.piece_width), q / across * h, h};
}

std::vector<std::uint8_t> unpack_bits(std::span<const std::uint8_t> in, std::size_t length,
                                      const std::string& source) {
    std::vector<std::uint8_t> out;
    for (std::size_t at = 0; out.size() < length;) {
        if (at >= in.size()) damaged(source, Message("its compressed pixels are cut short"));
        const int code = in[at++];
        const int n = code < 128 ? code : code - 256;  // a signed byte
        if (n >= 0) {
            const std::size_t literal = std::size_t(n) + 1;
            if (in.size() - at < literal)
                damaged(source, Message("its compressed pixels are cut short"));
            out.insert(out.end(), in.begin() + std::ptrdiff_t(at),
                       in.begin() + std::ptrdiff_t(at + literal));
            at += literal;
        } else if (n != -128) {
            if (at >= in.size()) damaged(source, Message("its compressed pixels are cut short"));
            out.insert(out.end(), std::size_t(1 - n), in[at++]);
        }
    }
    out.resize(length);
    return out;
}

// LZW as TIFF writes it: codes of 9 to 12 bits, most significant bit first, the width growing
// one code early; 256 clears the table, 257 ends the data.
std::vector<std::uint8_t> unlzw(std::span<const std::uint8_t> in, std::size_t length,
                                const std::string& source) {
    struct Code {
        std::uint16_t prefix;
        std::uint8_t last, first;
        std::uint16_t length;
    };
    std::vector<Code> table(4096);
    for (std::uint16_t c = 0; c < 256; ++c)
        table[c] = {0, std::uint8_t(c), std::uint8_t(c), 1};
    std::vector<std::uint8_t> out;
    const auto emit = [&](std::uint32_t code) {
        const std::size_t from = out.size();
        out.resize(std::min(length, from + table[code].length));
        for (std::size_t i = table[code].length; i-- > 0; code = table[code].prefix)
            if (from + i < out.size()) out[from + i] = table[code].last;
    };
    const auto bad = [&] { damaged(source, Message("its compressed pixels are damaged")); };
    std::size_t bit = 0;
    std::uint32_t width = 9, next = 258, previous = 4096;
    while (out.size() < length) {
        if (bit + width > in.size() * 8)
            damaged(source, Message("its compressed pixels are cut short"));
        std::uint32_t code = 0;
        for (std::uint32_t i = 0; i < width; ++i, ++bit)
            code = code << 1 | (in[bit / 8] >> (7 - bit % 8) & 1);
        if (code == 256) {
            width = 9, next = 258, previous = 4096;
            continue;
        }
        if (code == 257) break;
        if (previous == 4096) {
            if (code > 255) bad();
        } else if (code > next || (code == next && next == 4096)) {
            bad();
        } else if (next < 4096) {
            const std::uint8_t first = table[code == next ? previous : code].first;
            table[next] = {std::uint16_t(previous), first, table[previous].first,
                           std::uint16_t(table[previous].length + 1)};
            ++next;
        }
        emit(code);
        previous = code;
        if (next + 1 == 1u << width && width < 12) ++width;
    }
    if (out.size() < length) damaged(source, Message("its compressed pixels are cut short"));
    return out;
}

std::vector<std::uint8_t> decompressed(const TiffImage& t, std::size_t index, Inflater inflate,
                                       const std::string& source) {
    const std::span<const std::uint8_t> in = t.pieces[index];
    const std::size_t length = tiff_piece_length(t, index);
    if (t.compression == 5) return unlzw(in, length, source);
    if (t.compression == 32773) return unpack_bits(in, length, source);
    if (tiff_deflated(t)) {
        if (!inflate) refuse(source, unreadable_kind_message("TIFF"));
        std::vector<std::uint8_t> out;
        out.reserve(length);
        const std::array<std::span<const std::uint8_t>, 1> pieces{in};
        try {
            inflate(
                pieces, length,
                [&out](std::span<const std::uint8_t> part) {
                    out.insert(out.end(), part.begin(), part.end());
                },
                source);
        } catch (const runtime::Error&) {
            damaged(source, Message("its compressed pixels are damaged"));
        }
        if (out.size() < length) damaged(source, Message("its compressed pixels are cut short"));
        out.resize(length);
        return out;
    }
    if (in.size() < length) damaged(source, Message("its pixels are cut short"));
    return {in.begin(), in.begin() + std::ptrdiff_t(length)};
}

// Lays piece `index` out on the picture; `piece` is its decompressed bytes, the predictor not yet
// undone.
void lay_out(const TiffImage& t, std::size_t index, std::span<std::uint8_t> piece, Bitmap& bitmap) {
    const std::size_t spp = piece_samples(t), width = std::size_t(t.piece_width);
    const std::size_t step = t.bits / 8, row = width * spp * step;
    const auto sample = [&](std::size_t i) -> std::uint32_t {
        const std::span<const std::uint8_t> s = piece.subspan(i * step, step);
        return t.little ? skin::read_le(s) : skin::read_be(s);
    };
    if (t.predictor) {
        for (std::size_t r = 0; r + row <= piece.size(); r += row)
            for (std::size_t i = spp; i < width * spp; ++i) {
                const std::uint32_t sum = sample(r / step + i) + sample(r / step + i - spp);
                const std::span<std::uint8_t> s = piece.subspan(r + i * step, step);
                if (step == 1)
                    s[0] = std::uint8_t(sum);
                else if (t.little)
                    skin::write_le(s, sum & 0xFFFF);
                else
                    s[0] = std::uint8_t(sum >> 8), s[1] = std::uint8_t(sum);
            }
    }
    const Place p = place_of(t, index);
    const std::size_t plane = t.planar ? index / per_plane(t) : 0;
    const std::uint32_t top = (1u << t.bits) - 1;
    for (std::size_t y = 0; y < p.rows && p.top + y < std::size_t(t.height); ++y) {
        for (std::size_t x = 0; x < width && p.left + x < std::size_t(t.width); ++x) {
            std::uint32_t& pixel = bitmap.pixels[(p.top + y) * std::size_t(t.width) + p.left + x];
            for (std::size_t s = 0; s < spp; ++s) {
                const std::size_t which = plane + s;
                std::uint32_t value = sample((y * width + x) * spp + s);
                if (which == 0 && t.photometric == 3) {
                    pixel = (pixel & 0xFFFF0000u) | value;
                    continue;
                }
                if (which == 0 && t.photometric == 0) value = top - value;
                const std::uint32_t level =
                    t.bits == 16 ? pixel_from_16bit(0, 0, std::uint16_t(value), 0) & 0xFF : value;
                const int shift = which == std::size_t(t.alpha) && t.alpha ? 24
                                  : t.photometric != 2 && which == 0       ? -1
                                  : which < 3 && t.photometric == 2        ? 16 - 8 * int(which)
                                                                           : -2;
                if (shift == -1)
                    pixel = (pixel & 0xFF000000u) | level * 0x010101u;
                else if (shift >= 0)
                    pixel = (pixel & ~(0xFFu << shift)) | level << shift;
            }
        }
    }
}

// Palette colours in, and associated alpha taken out of the colours.
Bitmap finished(const TiffImage& t, Bitmap bitmap) {
    for (std::uint32_t& pixel : bitmap.pixels) {
        if (t.photometric == 3)
            pixel = (t.palette[pixel & 0xFFFF] & 0xFFFFFFu) | (pixel & 0xFF000000u);
        const std::uint32_t a = pixel >> 24;
        if (!t.associated || a == 255) continue;
        std::uint32_t straight = a << 24;
        for (const int shift : {16, 8, 0})
            if (a)
                straight |=
                    std::min<std::uint32_t>(255, ((pixel >> shift & 0xFF) * 255 + a / 2) / a)
                    << shift;
        pixel = straight;
    }
    return bitmap;
}

Bitmap blank(const TiffImage& t) {
    return {t.width, t.height,
            std::vector<std::uint32_t>(std::size_t(t.width) * std::size_t(t.height),
                                       t.alpha ? 0u : 0xFF000000u)};
}

}  // namespace

TiffImage walk_tiff(std::span<const std::uint8_t> bytes, const std::string& source) {
    const Directory d(bytes, source);
    TiffImage t;
    t.little = d.little();
    read_layout(d, t, source);
    read_pieces(d, bytes, t, source);
    return t;
}

bool tiff_deflated(const TiffImage& tiff) {
    return tiff.compression == 8 || tiff.compression == 32946;
}

std::size_t tiff_piece_length(const TiffImage& tiff, std::size_t index) {
    return place_of(tiff, index).rows * std::size_t(tiff.piece_width) * piece_samples(tiff) *
           std::size_t(tiff.bits / 8);
}

Bitmap tiff_pixels(const TiffImage& tiff, std::span<const std::uint8_t> decompressed,
                   const std::string& source) {
    Bitmap bitmap = blank(tiff);
    std::vector<std::uint8_t> piece;
    for (std::size_t i = 0, at = 0; i < tiff.pieces.size(); ++i) {
        const std::size_t length = tiff_piece_length(tiff, i);
        if (decompressed.size() - at < length)
            damaged(source, Message("its compressed pixels are cut short"));
        piece.assign(decompressed.begin() + std::ptrdiff_t(at),
                     decompressed.begin() + std::ptrdiff_t(at + length));
        lay_out(tiff, i, piece, bitmap);
        at += length;
    }
    return finished(tiff, std::move(bitmap));
}

Bitmap decode_tiff(std::span<const std::uint8_t> bytes, const std::string& source,
                   Inflater inflate) {
    const TiffImage tiff = walk_tiff(bytes, source);
    Bitmap bitmap = blank(tiff);
    for (std::size_t i = 0; i < tiff.pieces.size(); ++i) {
        std::vector<std::uint8_t> piece = decompressed(tiff, i, inflate, source);
        lay_out(tiff, i, piece, bitmap);
    }
    return finished(tiff, std::move(bitmap));
}

}  // namespace orbskin::picture
