// Every field is read through a bounds-checked reader, and every size is judged before it is
// multiplied or allocated.
#include "picture/bmp_decoder.h"

#include <bit>
#include <optional>
#include <vector>

#include "picture/wording.h"
#include "runtime/error.h"
#include "skin/bmp.h"
#include "skin/byte_order.h"
#include "skin/pixels.h"

namespace orbskin::picture {

using skin::bmp_header_known;
using skin::bmp_layout_readable;
using skin::BmpHeader;
using skin::read_bmp_header;

namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::uint32_t kCoreHeader = 12, kInfoHeader = 40;
constexpr std::uint32_t kOpaque = 0xFF000000;
constexpr std::string_view kRunsCutShort = runtime::N_("its compressed pixels are cut short");

[[noreturn]] void refuse(const std::string& source, const Message& why) {
    throw runtime::Error(unreadable_picture_message(source, why));
}

[[noreturn]] void damaged(const std::string& source, const Message& why) {
    refuse(source, damaged_message("BMP", why));
}

// One colour channel under a mask, widened or narrowed to the nearest of 256 levels; a 5-bit one
// as the handheld shows it, so that a picture of its 15-bit colours stays on them.
class Channel {
  public:
    Channel() : Channel(0) {}
    explicit Channel(std::uint32_t mask)
        : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), max_(mask >> shift_) {}
    [[nodiscard]] bool present() const { return max_ != 0; }
    [[nodiscard]] std::uint32_t operator()(std::uint32_t value) const {
        if (max_ == 0) return 0;
        const std::uint64_t level = (value & mask_) >> shift_;
        if (max_ == 31) return skin::skin_level(static_cast<unsigned>(level));
        return static_cast<std::uint32_t>((level * 255 + max_ / 2) / max_);
    }

  private:
    std::uint32_t mask_;
    int shift_;
    std::uint64_t max_;
};

struct Masks {
    Channel red, green, blue, alpha;
    [[nodiscard]] std::uint32_t pixel(std::uint32_t value) const {
        return alpha(value) << 24 | red(value) << 16 | green(value) << 8 | blue(value);
    }
};

// The masks of a 16- or 32-bit picture: from the file where it has them, the usual ones
// otherwise (5-5-5, and 8-8-8 with the fourth byte as alpha).
Masks masks_of(std::span<const std::uint8_t> bytes, const BmpHeader& h, const std::string& source) {
    if (h.compression == skin::kBmpRgb) {
        return h.bits == 16
                   ? Masks{Channel(0x7C00), Channel(0x03E0), Channel(0x001F), Channel(0)}
                   : Masks{Channel(0xFF0000), Channel(0xFF00), Channel(0xFF), Channel(0xFF000000)};
    }
    constexpr std::size_t kAt = kFileHeader + kInfoHeader;
    const bool with_alpha = h.header_size >= 56 || h.compression == skin::kBmpAlphaMasks;
    const auto r = skin::FieldReader(bytes).le(kAt, 4), g = skin::FieldReader(bytes).le(kAt + 4, 4),
               b = skin::FieldReader(bytes).le(kAt + 8, 4);
    const auto a =
        with_alpha ? skin::FieldReader(bytes).le(kAt + 12, 4) : std::optional<std::uint32_t>(0);
    if (!r || !g || !b || !a) damaged(source, Message("its colour masks are cut short"));
    return {Channel(*r), Channel(*g), Channel(*b), Channel(*a)};
}

// Where the palette starts: after the header, and after the masks a 40-byte header has behind it.
std::size_t palette_start(const BmpHeader& h) {
    std::size_t at = kFileHeader + h.header_size;
    if (h.header_size == kInfoHeader && h.compression == skin::kBmpMasks) at += 12;
    if (h.header_size == kInfoHeader && h.compression == skin::kBmpAlphaMasks) at += 16;
    return at;
}

// The palette of a picture of 8 bits or fewer; entries beyond the file's end are black.
std::vector<std::uint32_t> palette_of(std::span<const std::uint8_t> bytes, const BmpHeader& h) {
    const std::size_t most = std::size_t{1} << h.bits;
    const std::optional<std::uint32_t> used =
        h.header_size >= kInfoHeader ? skin::FieldReader(bytes).le(46, 4) : std::nullopt;
    const std::size_t count = used && *used > 0 && *used < most ? *used : most;
    const std::size_t entry = h.header_size == kCoreHeader ? 3 : 4;
    std::vector<std::uint32_t> palette(count, kOpaque);
    for (std::size_t i = 0; i < count; ++i) {
        if (const auto bgr = skin::FieldReader(bytes).le(palette_start(h) + i * entry, 3))
            palette[i] |= *bgr;
    }
    return palette;
}

// Pixels come in stored rows; each lands in the row the picture shows it in.
class Canvas {
  public:
    Canvas(const BmpHeader& h, std::uint32_t fill)
        : bitmap_{static_cast<int>(h.width), static_cast<int>(h.height()),
                  std::vector<std::uint32_t>(static_cast<std::size_t>(h.width * h.height()), fill)},
          top_down_(h.claimed_height < 0) {}
    [[nodiscard]] std::uint32_t& at(std::size_t x, std::size_t stored_row) {
        const std::size_t height = static_cast<std::size_t>(bitmap_.height);
        const std::size_t row = top_down_ ? stored_row : height - 1 - stored_row;
        return bitmap_.pixels[row * static_cast<std::size_t>(bitmap_.width) + x];
    }
    Bitmap take() { return std::move(bitmap_); }

  private:
    Bitmap bitmap_;
    bool top_down_;
};

Bitmap read_uncompressed(std::span<const std::uint8_t> bytes, const BmpHeader& h,
                         const std::string& source) {
    const std::uint64_t width = static_cast<std::uint64_t>(h.width);
    const std::uint64_t height = static_cast<std::uint64_t>(h.height());
    const std::uint64_t row_bytes = (width * h.bits + 7) / 8;
    const std::uint64_t stride = (width * h.bits + 31) / 32 * 4;
    const bool masked = h.bits == 16 || h.bits == 32;
    const Masks masks = masked ? masks_of(bytes, h, source) : Masks{};  // no masks: all zero
    // The last row's padding may be missing; its pixels may not.
    if (h.data_offset > bytes.size() ||
        (height - 1) * stride + row_bytes > bytes.size() - h.data_offset)
        damaged(source, Message("its pixels are cut short"));

    const std::vector<std::uint32_t> palette =
        h.bits <= 8 ? palette_of(bytes, h) : std::vector<std::uint32_t>{};
    Canvas canvas(h, 0);
    bool any_alpha = false;
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* row = bytes.data() + h.data_offset + y * stride;
        for (std::size_t x = 0; x < width; ++x) {
            std::uint32_t& pixel = canvas.at(x, y);
            if (h.bits <= 8) {
                const std::size_t bit = x * h.bits;
                const unsigned index =
                    (row[bit / 8] >> (8 - h.bits - bit % 8)) & ((1u << h.bits) - 1);
                pixel = index < palette.size() ? palette[index] : kOpaque;
            } else if (h.bits == 24) {
                const std::uint8_t* p = row + x * 3;
                pixel = kOpaque | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
            } else {
                // 16 or 32 bits, least significant byte first.
                const std::uint8_t* p = row + x * (h.bits / 8);
                std::uint32_t value = 0;
                for (std::size_t i = h.bits / 8; i-- > 0;)
                    value = value << 8 | p[i];
                pixel = masks.pixel(value);
                any_alpha = any_alpha || pixel >> 24 != 0;
            }
        }
    }
    Bitmap bitmap = canvas.take();
    // Most writers leave the fourth byte zero and mean no transparency at all.
    if (masked && (!masks.alpha.present() || !any_alpha)) {
        for (std::uint32_t& pixel : bitmap.pixels)
            pixel |= kOpaque;
    }
    return bitmap;
}

// RLE8 and RLE4: runs of one index, literal stretches padded to 16 bits, and escapes for the end
// of a row, the end of the picture and a jump. Pixels a jump passes over stay palette entry 0.
Bitmap read_run_lengths(std::span<const std::uint8_t> bytes, const BmpHeader& h,
                        const std::string& source) {
    if (h.data_offset > bytes.size()) damaged(source, Message("its pixels are cut short"));
    const std::span<const std::uint8_t> data = bytes.subspan(h.data_offset);
    const std::vector<std::uint32_t> palette = palette_of(bytes, h);
    const std::size_t width = static_cast<std::size_t>(h.width);
    const std::size_t height = static_cast<std::size_t>(h.height());
    const bool four = h.compression == skin::kBmpRle4;
    Canvas canvas(h, palette.empty() ? kOpaque : palette[0]);
    std::size_t x = 0, y = 0, at = 0;
    const auto put = [&](unsigned index) {
        if (y >= height) damaged(source, Message("its compressed pixels run past the last row"));
        if (x >= width) damaged(source, Message("its compressed pixels run past the end of a row"));
        canvas.at(x++, y) = index < palette.size() ? palette[index] : kOpaque;
    };
    // The index of the n-th pixel packed in `byte`: two to a byte for RLE4.
    const auto index_in = [four](std::uint8_t byte, std::size_t n) -> unsigned {
        return four ? (n % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte;
    };
    for (;;) {
        if (at + 2 > data.size()) {
            if (y >= height) break;  // every row is there; only the end marker is missing
            damaged(source, Message(kRunsCutShort));
        }
        const std::uint8_t count = data[at], value = data[at + 1];
        at += 2;
        if (count > 0) {
            for (std::size_t n = 0; n < count; ++n)
                put(index_in(value, n));
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (at + 2 > data.size()) damaged(source, Message(kRunsCutShort));
            x += data[at];
            y += data[at + 1];
            at += 2;
            if (x > width || y > height)
                damaged(source, Message("a jump leads outside the picture"));
        } else {
            const std::size_t packed = four ? (value + 1u) / 2 : value;
            if (packed > data.size() - at) damaged(source, Message(kRunsCutShort));
            for (std::size_t n = 0; n < value; ++n)
                put(index_in(data[at + (four ? n / 2 : n)], n));
            at += packed + packed % 2;
        }
    }
    return canvas.take();
}

}  // namespace

Bitmap decode_bmp(std::span<const std::uint8_t> bytes, const std::string& source) {
    const std::optional<BmpHeader> h = read_bmp_header(bytes);
    if (!h) damaged(source, Message("its header is cut short"));
    if (!bmp_header_known(h->header_size))
        damaged(source, Message("its header is of an unknown kind"));
    if (h->width <= 0 || h->height() == 0) damaged(source, Message("its header claims no pixels"));
    if (static_cast<std::uint64_t>(h->width) >
        kLargestDecodedPixels / static_cast<std::uint64_t>(h->height()))
        throw runtime::Error(unreadable_picture_message(source, Message(kFarTooLarge)));
    if (!bmp_layout_readable(*h)) {
        refuse(source,
               Message("it is a {bits}-bit BMP with compression {compression}, which import does "
                       "not read",
                       {{"bits", runtime::Number(h->bits)},
                        {"compression", runtime::Number(h->compression)}}));
    }
    return h->compression == skin::kBmpRle8 || h->compression == skin::kBmpRle4
               ? read_run_lengths(bytes, *h, source)
               : read_uncompressed(bytes, *h, source);
}

}  // namespace orbskin::picture
