// Every length is checked against what the file holds before it is used, and the size against
// kLargestDecodedPixels before anything is multiplied or allocated.
#include "picture/png_decoder.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <string_view>

#include "picture/picture_head.h"
#include "picture/wording.h"
#include "runtime/error.h"
#include "skin/byte_order.h"

namespace orbskin::picture {
namespace {

[[noreturn]] void damaged(const std::string& source, const Message& why) {
    throw runtime::Error(unreadable_picture_message(source, damaged_message("PNG", why)));
}

std::uint32_t crc_of(std::span<const std::uint8_t> bytes) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (const std::uint8_t b : bytes)
        c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

struct Pass {
    int x0, y0, dx, dy;
};
constexpr Pass kAdam7[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                           {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr Pass kWhole[] = {{0, 0, 1, 1}};

std::span<const Pass> passes_of(const PngImage& png) {
    return png.interlaced ? std::span<const Pass>(kAdam7) : std::span<const Pass>(kWhole);
}

// The pixels of a pass across and down; 0 when the picture is too small to have any.
std::size_t across(const PngImage& png, const Pass& p) {
    return png.width > p.x0 ? std::size_t(png.width - p.x0 + p.dx - 1) / std::size_t(p.dx) : 0;
}
std::size_t down(const PngImage& png, const Pass& p) {
    return png.height > p.y0 ? std::size_t(png.height - p.y0 + p.dy - 1) / std::size_t(p.dy) : 0;
}

std::size_t channels_of(int colour) {
    constexpr std::size_t kChannels[] = {1, 0, 3, 1, 2, 0, 4};
    return kChannels[colour];
}

std::size_t bits_a_pixel(const PngImage& png) {
    return channels_of(png.colour) * std::size_t(png.depth);
}

std::size_t row_bytes(const PngImage& png, std::size_t pixels) {
    return (pixels * bits_a_pixel(png) + 7) / 8;
}

std::uint8_t paeth(int left, int up, int up_left) {
    const int guess = left + up - up_left;
    const int to_left = std::abs(guess - left), to_up = std::abs(guess - up),
              to_up_left = std::abs(guess - up_left);
    if (to_left <= to_up && to_left <= to_up_left) return static_cast<std::uint8_t>(left);
    return static_cast<std::uint8_t>(to_up <= to_up_left ? up : up_left);
}

// Undoes one row's filter in place; `previous` is the row above, unfiltered (zeros for the first).
bool unfilter(std::uint8_t filter, std::span<std::uint8_t> row,
              std::span<const std::uint8_t> previous, std::size_t unit) {
    if (filter > 4) return false;
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int left = i >= unit ? row[i - unit] : 0;
        const int up = previous[i];
        const int up_left = i >= unit ? previous[i - unit] : 0;
        constexpr int kNone = 0, kLeft = 1, kUp = 2, kAverage = 3;
        const int add = filter == kNone      ? 0
                        : filter == kLeft    ? left
                        : filter == kUp      ? up
                        : filter == kAverage ? (left + up) / 2
                                             : paeth(left, up, up_left);
        row[i] = static_cast<std::uint8_t>(row[i] + add);
    }
    return true;
}

// Sample `i` of an unfiltered row: 16-bit samples big-endian, smaller ones packed from the
// high bits down.
std::uint32_t sample(std::span<const std::uint8_t> row, std::size_t i, int depth) {
    if (depth == 16) return std::uint32_t{row[2 * i]} << 8 | row[2 * i + 1];
    if (depth == 8) return row[i];
    const std::size_t bit = i * std::size_t(depth);
    return std::uint32_t(row[bit / 8] >> (8 - depth - int(bit % 8))) & ((1u << depth) - 1);
}

// A sample widened or reduced to the nearest of the 256 levels of 8 bits.
std::uint32_t level(std::uint32_t value, int depth) {
    constexpr std::uint32_t kScale[] = {0, 255, 85, 0, 17};
    if (depth == 16) return (value * 255 + 32767) / 65535;
    return depth == 8 ? value : value * kScale[depth];
}

std::uint32_t pixel_at(const PngImage& png, std::span<const std::uint8_t> row, std::size_t x,
                       const std::string& source) {
    const std::size_t first = x * channels_of(png.colour);
    const auto s = [&](std::size_t c) { return sample(row, first + c, png.depth); };
    const auto l = [&](std::size_t c) { return level(s(c), png.depth); };
    switch (png.colour) {
        case 0: {
            const bool clear = png.key && s(0) == (*png.key)[0];
            return (clear ? 0u : 0xFF000000u) | l(0) << 16 | l(0) << 8 | l(0);
        }
        case 2: {
            const bool clear =
                png.key && s(0) == (*png.key)[0] && s(1) == (*png.key)[1] && s(2) == (*png.key)[2];
            return (clear ? 0u : 0xFF000000u) | l(0) << 16 | l(1) << 8 | l(2);
        }
        case 3:
            if (s(0) >= png.palette.size())
                damaged(source,
                        Message("a pixel names colour {index}, which its palette (PLTE) lacks",
                                {{"index", runtime::Number(s(0))}}));
            return png.palette[s(0)];
        case 4:
            return l(1) << 24 | l(0) << 16 | l(0) << 8 | l(0);
        default:
            return l(3) << 24 | l(0) << 16 | l(1) << 8 | l(2);
    }
}

struct Chunk {
    std::string_view type;
    std::span<const std::uint8_t> data;
    bool sound;  // its checksum matches
};

// The chunk at `at`, or a refusal when it claims more bytes than the file holds.
Chunk chunk_at(std::span<const std::uint8_t> bytes, std::size_t at, const std::string& source) {
    const skin::FieldReader file(bytes);
    const std::uint64_t length = file.be(at, 4).value_or(0);
    if (length > 0x7FFFFFFF || bytes.size() - at < 12 || length + 12 > bytes.size() - at)
        damaged(source, Message("a part claims more bytes than the file holds"));
    const std::span<const std::uint8_t> typed = bytes.subspan(at + 4, 4 + std::size_t(length));
    const std::uint64_t stored = file.be(at + 8 + std::size_t(length), 4).value_or(0);
    return {{reinterpret_cast<const char*>(typed.data()), 4},
            typed.subspan(4),
            crc_of(typed) == stored};
}

// The sample depths each colour type allows.
bool depth_allowed(int colour, int depth) {
    switch (colour) {
        case 0:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case 3:
            return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case 2:
        case 4:
        case 6:
            return depth == 8 || depth == 16;
        default:
            return false;
    }
}

void read_header(const Chunk& c, PngImage& png, const std::string& source) {
    if (c.type != "IHDR") damaged(source, Message("it does not start with its header (IHDR)"));
    if (c.data.size() != 13) damaged(source, Message("its header (IHDR) is not 13 bytes long"));
    if (!c.sound) damaged(source, Message("its IHDR part fails its checksum"));
    const skin::FieldReader header(c.data);
    const std::uint64_t width = header.be(0, 4).value_or(0), height = header.be(4, 4).value_or(0);
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        damaged(source, Message("its header claims an impossible size"));
    if (width * height > kLargestDecodedPixels)
        throw runtime::Error(unreadable_picture_message(
            source, claims_too_many_pixels(std::int64_t(width), std::int64_t(height))));
    png.width = int(width), png.height = int(height);
    png.depth = c.data[8], png.colour = c.data[9];
    if (!depth_allowed(png.colour, png.depth))
        damaged(source, Message("its header names {depth}-bit samples of colour type {colour}, "
                                "which PNG does not have",
                                {{"depth", runtime::Number(png.depth)},
                                 {"colour", runtime::Number(png.colour)}}));
    if (c.data[10] != 0 || c.data[11] != 0 || c.data[12] > 1)
        damaged(source,
                Message("its header names a compression, filter or interlace PNG does not have"));
    png.interlaced = c.data[12] == 1;
}

void read_palette(const Chunk& c, PngImage& png, const std::string& source) {
    if (!png.palette.empty()) damaged(source, Message("it has two palettes (PLTE)"));
    if (c.data.empty() || c.data.size() % 3 != 0 || c.data.size() > std::size_t{3} * 256)
        damaged(source, Message("its palette (PLTE) is not 1 to 256 colours of 3 bytes"));
    for (std::size_t i = 0; i < c.data.size(); i += 3)
        png.palette.push_back(0xFF000000u | std::uint32_t{c.data[i]} << 16 |
                              std::uint32_t{c.data[i + 1]} << 8 | c.data[i + 2]);
}

// tRNS: alpha for palette entries, or the one colour that is transparent. A tRNS that does not
// fit the colour type is left out, as viewers do.
void read_transparency(const Chunk& c, PngImage& png) {
    const auto sample = [&](std::size_t i) {
        return static_cast<std::uint16_t>(skin::FieldReader(c.data).be(2 * i, 2).value_or(0));
    };
    if (png.colour == 3 && c.data.size() <= png.palette.size()) {
        for (std::size_t i = 0; i < c.data.size(); ++i)
            png.palette[i] = (png.palette[i] & 0xFFFFFFu) | std::uint32_t{c.data[i]} << 24;
    } else if (png.colour == 0 && c.data.size() == 2) {
        png.key = {sample(0), sample(0), sample(0)};
    } else if (png.colour == 2 && c.data.size() == 6) {
        png.key = {sample(0), sample(1), sample(2)};
    }
}

// Where the chunk may lie, and what it adds; `seen_data` says whether IDAT came before.
void read_chunk(const Chunk& c, PngImage& png, bool seen_data, const std::string& source) {
    const bool critical = c.type[0] >= 'A' && c.type[0] <= 'Z';
    if (!c.sound && (critical || c.type == "tRNS"))
        damaged(source,
                Message("its {part} part fails its checksum", {{"part", std::string(c.type)}}));
    if (!c.sound) return;  // an ancillary part that changes no pixel
    if (c.type == "PLTE") {
        if (seen_data) damaged(source, Message("its palette (PLTE) comes after its image data"));
        if (png.colour == 0 || png.colour == 4) return;  // allowed, and of no use
        read_palette(c, png, source);
    } else if (c.type == "tRNS") {
        if (seen_data)
            damaged(source, Message("its transparency (tRNS) comes after its image data"));
        read_transparency(c, png);
    } else if (c.type == "sRGB") {
        png.srgb = true;
    } else if (c.type == "iCCP") {
        const auto end = std::find(c.data.begin(), c.data.end(), std::uint8_t{0});
        png.profile = std::string(c.data.begin(), std::min(end, c.data.begin() + 79));
    } else if (c.type == "IHDR") {
        damaged(source, Message("it has a second header (IHDR)"));
    } else if (critical) {
        damaged(source, Message("it has a part ({part}) no PNG reader knows",
                                {{"part", std::string(c.type)}}));
    }
}

// The picture, as the inflated data comes in parts of any length: each row unfiltered and
// converted once it is whole, so that two rows of the data are all that is held. A refusal of a
// row waits until all the data has come, so that a stream that does not inflate, whose garbage
// names any filter, is refused as such.
class Rows {
  public:
    Rows(const PngImage& png, const std::string& source)
        : png_(png),
          source_(source),
          bitmap_{png.width, png.height,
                  std::vector<std::uint32_t>(std::size_t(png.width) * std::size_t(png.height))},
          unit_(std::max<std::size_t>(1, bits_a_pixel(png) / 8)),
          left_(png_inflated_length(png)) {
        start_pass();
    }

    void take(std::span<const std::uint8_t> part) {
        left_ -= std::min(left_, part.size());
        if (failure_) return;
        try {
            while (!part.empty() && pass_ < passes_of(png_).size()) {
                const std::size_t n = std::min(part.size(), row_.size() - filled_);
                std::copy_n(part.begin(), n, row_.begin() + std::ptrdiff_t(filled_));
                filled_ += n, part = part.subspan(n);
                if (filled_ == row_.size()) next_row();
            }
        } catch (const runtime::Error&) {
            failure_ = std::current_exception();
        }
    }

    Bitmap finish() {
        if (left_ > 0)
            throw runtime::Error(unreadable_picture_message(
                source_, damaged_png_data(Message("its image data is cut short"))));
        if (failure_) std::rethrow_exception(failure_);
        return std::move(bitmap_);
    }

  private:
    // From the pass at pass_ on, the first with pixels: its rows are a filter byte and the
    // samples, below a row of zeros.
    void start_pass() {
        const std::span<const Pass> passes = passes_of(png_);
        while (pass_ < passes.size() &&
               (across(png_, passes[pass_]) == 0 || down(png_, passes[pass_]) == 0))
            ++pass_;
        if (pass_ == passes.size()) return;
        row_.assign(1 + row_bytes(png_, across(png_, passes[pass_])), 0);
        previous_.assign(row_.size(), 0);
        y_ = 0;
    }

    void next_row() {
        const Pass& p = passes_of(png_)[pass_];
        const std::uint8_t filter = row_[0];
        const std::span<std::uint8_t> row = std::span(row_).subspan(1);
        if (!unfilter(filter, row, std::span(previous_).subspan(1), unit_))
            damaged(source_, Message("a row names filter {filter}, which PNG does not have",
                                     {{"filter", runtime::Number(filter)}}));
        std::uint32_t* out =
            &bitmap_.pixels[(p.y0 + y_ * std::size_t(p.dy)) * std::size_t(png_.width)];
        for (std::size_t x = 0; x < across(png_, p); ++x)
            out[std::size_t(p.x0) + x * std::size_t(p.dx)] = pixel_at(png_, row, x, source_);
        row_.swap(previous_);
        filled_ = 0;
        if (++y_ == down(png_, p)) {
            ++pass_;
            start_pass();
        }
    }

    const PngImage& png_;
    const std::string& source_;
    Bitmap bitmap_;
    std::size_t unit_;
    std::size_t left_;  // of the inflated data, still to come
    std::size_t pass_ = 0, y_ = 0, filled_ = 0;
    std::vector<std::uint8_t> row_, previous_;
    std::exception_ptr failure_;
};

}  // namespace

Message damaged_png_data(const Message& why) {
    return damaged_message("PNG", why);
}

PngImage walk_png(std::span<const std::uint8_t> bytes, const std::string& source) {
    if (!skin::FieldReader(bytes).starts_with(kPngSignature) || bytes.size() < 8 + 12)
        damaged(source, Message("it is cut short before its header"));
    PngImage png;
    std::size_t at = 8;
    read_header(chunk_at(bytes, at, source), png, source);
    at += 12 + 13;
    bool data_ended = false;
    // A part's length field read, however few bytes follow it, is judged against them.
    while (at + 4 <= bytes.size()) {
        const Chunk c = chunk_at(bytes, at, source);
        at += 12 + c.data.size();
        if (c.type == "IEND") break;
        if (c.type == "IDAT") {
            if (!c.sound) damaged(source, Message("its IDAT part fails its checksum"));
            if (data_ended)
                damaged(source, Message("its image data (IDAT) is split by other parts"));
            png.data.push_back(c.data);
            continue;
        }
        data_ended = !png.data.empty();
        read_chunk(c, png, data_ended, source);
    }
    if (png.data.empty()) damaged(source, Message("it has no image data (IDAT)"));
    if (png.colour == 3 && png.palette.empty())
        damaged(source, Message("it has no palette (PLTE)"));
    return png;
}

std::size_t png_inflated_length(const PngImage& png) {
    std::size_t length = 0;
    for (const Pass& p : passes_of(png))
        if (across(png, p) > 0) length += down(png, p) * (1 + row_bytes(png, across(png, p)));
    return length;
}

Bitmap png_pixels(const PngImage& png, std::span<const std::uint8_t> inflated,
                  const std::string& source) {
    Rows rows(png, source);
    rows.take(inflated);
    return rows.finish();
}

Bitmap decode_png(std::span<const std::uint8_t> bytes, const std::string& source,
                  Inflater inflate) {
    const PngImage png = walk_png(bytes, source);
    Rows rows(png, source);
    inflate(
        png.data, png_inflated_length(png),
        [&rows](std::span<const std::uint8_t> part) { rows.take(part); }, source);
    return rows.finish();
}

}  // namespace orbskin::picture
