// Our PNG reader on small files written out here: every colour type and depth with pixels expected
// by hand, APNG, Adam7, and one minimal bad file per refusal. The image data is stored as
// uncompressed deflate blocks, so that what the reader gets is plain to see.
#include "picture/png_decoder.h"

#include <gtest/gtest.h>

#include <string_view>

#include "picture/decode.h"
#ifndef __EMSCRIPTEN__
#include "picture/inflate_zlib.h"
#endif
#include "picture/wording.h"
#include "runtime/error.h"
#include "tests/picture/made_files.h"
#include "tests/support/png_file.h"

namespace orbskin::picture {
namespace {

using namespace made;
using test::png::chunk, test::png::file, test::png::ihdr, test::png::image, test::png::zlib_stored;

#ifdef __EMSCRIPTEN__
// The page inflates with the browser's own inflater, which a test has not: the streams here are
// one stored block each (zlib_stored), taken as they are, so that the reader is tried on 32-bit
// sizes too.
void inflate_stored(std::span<const std::span<const std::uint8_t>> pieces, std::size_t length,
                    const InflatedSink& sink, const std::string& source) {
    Bytes z;
    for (const auto piece : pieces)
        z.insert(z.end(), piece.begin(), piece.end());
    const bool stored = z.size() >= 7 && z[0] == 0x78 && (z[2] & 6) == 0;
    if (!stored || std::size_t{z[3]} + std::size_t{z[4]} * 256 < length || z.size() < 7 + length)
        throw runtime::Error(unreadable_picture_message(
            source,
            damaged_png_data(runtime::Message(stored ? "its image data is cut short"
                                                     : "its image data does not inflate"))));
    sink(std::span(z).subspan(7, length));
}
const Inflater kInflate = inflate_stored;
#else
const Inflater kInflate = inflate_zlib;
#endif

// The same data handed on a byte at a time, as rows split between an inflater's bands are.
void inflate_bytewise(std::span<const std::span<const std::uint8_t>> pieces, std::size_t length,
                      const InflatedSink& sink, const std::string& source) {
    kInflate(
        pieces, length,
        [&](std::span<const std::uint8_t> part) {
            for (std::size_t i = 0; i < part.size(); ++i)
                sink(part.subspan(i, 1));
        },
        source);
}

// Through the whole pipeline, as a front end hands a PNG to our reader: its words are the ones
// said.
Bitmap decode(const Bytes& bytes) {
    return decode_picture(bytes, read_head(bytes), "a.png", {kInflate, nullptr});
}

const Bytes kPalette = chunk("PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
const Bytes kPaletteAlpha = chunk("tRNS", {0x80, 0});  // red half, green clear, the rest opaque
const Bytes kStored = zlib_stored({0, 7}), kIdat = chunk("IDAT", kStored);
const Bytes kEnd = chunk("IEND", {});
// An APNG's parts: its default image is its IDAT, whether or not that is also the first frame.
const Bytes kActl = chunk("acTL", {0, 0, 0, 1, 0, 0, 0, 0}), kFctl = chunk("fcTL", Bytes(26, 0));
const Bytes kFdat = chunk("fdAT", joined({0, 0, 0, 1}, zlib_stored({0, 99})));

struct Case {
    const char* name;
    Bytes file;
    int width;
    Pixels expected;
};

class png_reader : public testing::TestWithParam<Case> {};

TEST_P(png_reader, gives_the_stored_numbers) {
    const Case& c = GetParam();
    const Bitmap bitmap = decode(c.file);
    EXPECT_EQ(bitmap.width, c.width);
    EXPECT_EQ(bitmap.height, int(c.expected.size()) / c.width);
    EXPECT_EQ(bitmap.pixels, c.expected);
    EXPECT_EQ(decode_png(c.file, "a.png", inflate_bytewise).pixels, c.expected);
}

// Adam7: a side × side grey picture, pixel value y * side + x, stored in its seven passes.
Case adam7(const char* name, int side) {
    constexpr int kPasses[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                   {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    Bytes rows;
    Pixels expected;
    for (int v = 0; v < side * side; ++v)
        expected.push_back(0xFF000000u | std::uint32_t(v) * 0x010101u);
    for (const auto& p : kPasses) {
        if (side <= p[0] || side <= p[1]) continue;  // a pass with no pixels has no rows
        for (int y = p[1]; y < side; y += p[3]) {
            rows.push_back(0);
            for (int x = p[0]; x < side; x += p[2])
                rows.push_back(std::uint8_t(y * side + x));
        }
    }
    return {name, image(ihdr(side, side, 8, 0, 1), {}, rows), side, expected};
}

// 16-bit samples 0x0102, 0x0304, 0x0506 are levels 1, 3 and 5; 0x0103 is still level 1, and 0x12FF,
// nearer 0x1313 than 0x1212, is 0x13. A key sample differing in either byte is opaque.
const Case kCases[] = {
    {"grey1", image(ihdr(3, 1, 1, 0), {}, {0, 0b1010'0000}), 3,
     Pixels{0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}},
    {"grey2_rows_start_on_a_byte", image(ihdr(2, 2, 2, 0), {}, {0, 0b1101'0000, 0, 0b1000'0000}), 2,
     Pixels{0xFFFFFFFF, 0xFF555555, 0xFFAAAAAA, 0xFF000000}},
    {"grey4_colour_key", image(ihdr(2, 1, 4, 0), {chunk("tRNS", {0, 5})}, {0, 0x5F}), 2,
     Pixels{0x00555555, 0xFFFFFFFF}},
    {"grey16_key_compared_at_16_bits",
     image(ihdr(3, 1, 16, 0), {chunk("tRNS", {0x12, 0x34})},
           {0, 0x12, 0x34, 0x12, 0x35, 0x80, 0x80}),
     3, Pixels{0x00121212, 0xFF121212, 0xFF808080}},
    {"rgb8_colour_key",
     image(ihdr(2, 1, 8, 2), {chunk("tRNS", {0, 1, 0, 2, 0, 3})}, {0, 1, 2, 3, 1, 2, 4}), 2,
     Pixels{0x00010203, 0xFF010204}},
    {"rgb16_colour_key_at_16_bits",
     image(ihdr(4, 1, 16, 2), {chunk("tRNS", {1, 2, 3, 4, 5, 6})},
           {0, 1, 2, 3, 4, 5, 6, 1, 3, 3, 4, 5, 6, 0, 2, 3, 4, 5, 6, 0xFF, 0xFF, 0x80, 0x00, 0, 0}),
     4, Pixels{0x00010305, 0xFF010305, 0xFF000305, 0xFFFF8000}},
    {"palette2_with_alpha", image(ihdr(4, 1, 2, 3), {kPalette, kPaletteAlpha}, {0, 0b0001'1011}), 4,
     Pixels{0x80FF0000, 0x0000FF00, 0xFF0000FF, 0xFFFFFFFF}},
    {"palette8", image(ihdr(2, 1, 8, 3), {kPalette, kPaletteAlpha}, {0, 3, 0}), 2,
     Pixels{0xFFFFFFFF, 0x80FF0000}},
    {"grey_alpha8", image(ihdr(1, 1, 8, 4), {}, {0, 0x40, 0x80}), 1, Pixels{0x80404040}},
    {"rgba8", image(ihdr(1, 1, 8, 6), {}, {0, 1, 2, 3, 4}), 1, Pixels{0x04010203}},
    {"rgba16_nearest_level", image(ihdr(1, 1, 16, 6), {}, {0, 1, 2, 3, 4, 5, 6, 0x12, 0xFF}), 1,
     Pixels{0x13010305}},
    {"colour_chunks_change_no_pixel",
     image(ihdr(1, 1, 8, 2),
           {chunk("gAMA", {0, 0, 0x7A, 0x12}), chunk("sRGB", {0}), chunk("cHRM", Bytes(32, 1)),
            chunk("iCCP", {'P', 0, 0, 0x78, 1})},
           {0, 10, 20, 30}),
     1, Pixels{0xFF0A141E}},
    {"data_in_two_parts",
     file({ihdr(1, 1, 8, 0), chunk("IDAT", first(kStored, 8)),
           chunk("IDAT", {kStored.begin() + 8, kStored.end()}), kEnd}),
     1, Pixels{0xFF070707}},
    {"apng_idat_before_the_frames", file({ihdr(1, 1, 8, 0), kActl, kIdat, kFctl, kFdat, kEnd}), 1,
     Pixels{0xFF070707}},
    {"apng_idat_the_first_frame", file({ihdr(1, 1, 8, 0), kActl, kFctl, kIdat, kFdat, kEnd}), 1,
     Pixels{0xFF070707}},
    adam7("adam7_one_pixel", 1),
    adam7("adam7_empty_passes_left_out", 2),
    adam7("adam7_every_pass", 9),
};

INSTANTIATE_TEST_SUITE_P(each_layout, png_reader, testing::ValuesIn(kCases), ByName());

Bytes with_byte(Bytes bytes, std::size_t at, std::uint8_t value) {
    bytes.at(at) = value;
    return bytes;
}

const Bytes kGrey = image(ihdr(1, 1, 8, 0), {}, {0, 7});

// One minimal bad file per rule, each refused with the rule it breaks.
const Refused kBad[] = {
    {"cut_before_header", first(kGrey, 12), "cut short before its header"},
    {"chunk_longer_than_file", cut(kGrey, 14), "claims more bytes"},
    {"length_of_2_gb_near_the_end",
     joined(file({ihdr(1, 1, 8, 0)}), {0x7F, 0xFF, 0xFF, 0xFF, 'I', 'D', 'A'}),
     "claims more bytes"},
    {"second_header", file({ihdr(1, 1, 8, 0), ihdr(1, 1, 8, 0), kIdat, kEnd}),
     "second header (IHDR)"},
    {"header_not_first", file({chunk("gAMA", {0, 0, 0, 1}), ihdr(1, 1, 8, 0), kIdat, kEnd}),
     "does not start with its header"},
    {"header_not_13_bytes", file({chunk("IHDR", Bytes(12, 1)), kIdat, kEnd}), "not 13 bytes"},
    {"no_width", image(ihdr(0, 1, 8, 0), {}, {0}), "impossible size"},
    {"depth_for_colour", image(ihdr(1, 1, 16, 3), {kPalette}, {0, 0}), "16-bit samples of colour"},
    {"header_checksum", with_byte(kGrey, 29, 0), "IHDR part fails its checksum"},
    {"data_checksum", with_byte(kGrey, kGrey.size() - 13, 0), "IDAT part fails its checksum"},
    {"two_palettes", image(ihdr(1, 1, 8, 3), {kPalette, kPalette}, {0, 0}), "two palettes"},
    {"palette_after_data", file({ihdr(1, 1, 8, 2), kIdat, kPalette, kEnd}), "comes after"},
    {"transparency_after_data", file({ihdr(1, 1, 8, 0), kIdat, chunk("tRNS", {0, 7}), kEnd}),
     "comes after"},
    {"unknown_critical_part", image(ihdr(1, 1, 8, 0), {chunk("QQQQ", {})}, {0, 7}), "(QQQQ)"},
    {"data_split", file({ihdr(1, 1, 8, 0), kIdat, chunk("tEXt", {'a', 0}), kIdat, kEnd}),
     "split by other parts"},
    {"no_data", file({ihdr(1, 1, 8, 0), kEnd}), "no image data"},
    {"no_palette", image(ihdr(1, 1, 8, 3), {}, {0, 0}), "no palette"},
    {"data_cut_short", image(ihdr(2, 1, 8, 0), {}, {0, 7}), "image data is cut short"},
    {"data_not_zlib", file({ihdr(1, 1, 8, 0), chunk("IDAT", {1, 2, 3, 4}), kEnd}),
     "does not inflate"},
    {"unknown_filter", image(ihdr(1, 1, 8, 0), {}, {5, 7}), "filter 5"},
    {"colour_beyond_palette", image(ihdr(1, 1, 8, 3), {kPalette}, {0, 4}), "colour 4"},
};

MADE_REFUSALS(png_refusal, kBad, decode);

}  // namespace
}  // namespace orbskin::picture
