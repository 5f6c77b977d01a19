// Our BMP decoder on one small picture stored in every layout image tools write, and one minimal
// damaged file per refusal. Expected pixels are written out by hand.
#include "picture/bmp_decoder.h"

#include <gtest/gtest.h>

#include "tests/picture/made_files.h"

namespace orbskin::picture {
namespace {

using namespace made;

using Layout = BmpLayout;

// The picture: red, green, blue on top; white, black, grey below.
constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF,
                        kWhite = 0xFFFFFFFF, kBlack = 0xFF000000, kGrey = 0xFF808080;
const Pixels kPicture{kRed, kGreen, kBlue, kWhite, kBlack, kGrey};
// Grey 0x80 kept in 5 bits is 16 of 31, widened to the nearest level, 132; in 6 bits, 130.
// Level 3 as the handheld shows it (24), not the nearest 8-bit value (25).
const Pixels kPicture555{kRed, kGreen, kBlue, kWhite, kBlack, 0xFF181818};
const Pixels kPicture565{kRed, kGreen, kBlue, kWhite, kBlack, 0xFF848284};

// Rows bottom first, each padded to four bytes.
const Bytes kRows24{0xFF, 0xFF, 0xFF, 0, 0,    0, 0x80, 0x80, 0x80, 0, 0, 0,
                    0,    0,    0xFF, 0, 0xFF, 0, 0xFF, 0,    0,    0, 0, 0};
Bytes rows32(std::uint8_t alpha) {
    return {0xFF, 0xFF, 0xFF, alpha, 0, 0,    0, alpha, 0x80, 0x80, 0x80, alpha,
            0,    0,    0xFF, alpha, 0, 0xFF, 0, alpha, 0xFF, 0,    0,    alpha};
}
const Bytes kRows555{0xFF, 0x7F, 0, 0, 0x63, 0x0C, 0, 0, 0, 0x7C, 0xE0, 0x03, 0x1F, 0, 0, 0};
const Bytes kRows565{0xFF, 0xFF, 0, 0, 0x10, 0x84, 0, 0, 0, 0xF8, 0xE0, 0x07, 0x1F, 0, 0, 0};
const std::vector<std::uint32_t> k565{0xF800, 0x07E0, 0x001F},
    kArgb{0xFF0000, 0xFF00, 0xFF, 0xFF000000};
// Palette entries blue, green, red, unused: black, white, red, green, blue, grey.
const Bytes kPalette{0, 0,    0, 0, 0xFF, 0xFF, 0xFF, 0, 0,    0,    0xFF, 0,
                     0, 0xFF, 0, 0, 0xFF, 0,    0,    0, 0x80, 0x80, 0x80, 0};
const Bytes kCorePalette{0, 0,    0, 0xFF, 0xFF, 0xFF, 0,    0,    0xFF,
                         0, 0xFF, 0, 0xFF, 0,    0,    0x80, 0x80, 0x80};

using Case = Decoded<Layout>;

class bmp_reader : public testing::TestWithParam<Case> {};

TEST_P(bmp_reader, gives_the_stored_pixels_upright) {
    const Case& c = GetParam();
    const Bitmap bitmap = decode_bmp(bmp(c.layout, c.pixels), "x.bmp");
    EXPECT_EQ(std::pair(bitmap.width, bitmap.height), std::pair(3, 2));
    EXPECT_EQ(bitmap.pixels, c.expected);
}

const Case kCases[] = {
    {"rgb24_info", {}, kRows24, kPicture},
    {"rgb24_top_down",
     {.height = -2},
     joined(Bytes(kRows24.begin() + 12, kRows24.end()), first(kRows24, 12)),
     kPicture},
    {"rgb24_v5_profile_skipped", {.header = 124, .gap = Bytes(20, 0xAB)}, kRows24, kPicture},
    {"rgb32_zero_fourth_bytes_opaque", {.bits = 32}, rows32(0), kPicture},
    {"rgb32_fourth_bytes_alpha", Layout{.bits = 32}, rows32(0x40),
     Pixels{0x40FF0000, 0x4000FF00, 0x400000FF, 0x40FFFFFF, 0x40000000, 0x40808080}},
    {"bitfields32_alpha_in_v5", Layout{.header = 124, .bits = 32, .compression = 3, .masks = kArgb},
     rows32(0x80), Pixels{0x80FF0000, 0x8000FF00, 0x800000FF, 0x80FFFFFF, 0x80000000, 0x80808080}},
    {"bitfields32_no_alpha_mask",
     Layout{.bits = 32, .compression = 3, .masks = {0xFF0000, 0xFF00, 0xFF}}, rows32(0x80),
     kPicture},
    {"rgb16_555_widened_as_shown", {.bits = 16}, kRows555, kPicture555},
    {"bitfields16_565_after_header", Layout{.bits = 16, .compression = 3, .masks = k565}, kRows565,
     kPicture565},
    {"bitfields16_565_in_52_byte_header",
     Layout{.header = 52, .bits = 16, .compression = 3, .masks = k565}, kRows565, kPicture565},
    {"alphabitfields16_4444",
     Layout{.bits = 16, .compression = 6, .masks = {0x0F00, 0x00F0, 0x000F, 0xF000}},
     Bytes{0xFF, 0x8F, 0, 0, 0x88, 0x88, 0, 0, 0, 0x8F, 0xF0, 0x80, 0x0F, 0x80, 0, 0},
     Pixels{0x88FF0000, 0x8800FF00, 0x880000FF, 0x88FFFFFF, 0x00000000, 0x88888888}},
    {"palette8_core", Layout{.header = 12, .bits = 8, .palette = kCorePalette},
     Bytes{1, 0, 5, 0, 2, 3, 4, 0}, kPicture},
    {"palette4", {.bits = 4, .palette = kPalette}, {0x10, 0x50, 0, 0, 0x23, 0x40, 0, 0}, kPicture},
    {"palette1", Layout{.bits = 1, .palette = Bytes(kPalette.begin(), kPalette.begin() + 8)},
     Bytes{0b1010'0000, 0, 0, 0, 0b0100'0000, 0, 0, 0},
     Pixels{kBlack, kWhite, kBlack, kWhite, kBlack, kWhite}},
    {"rle8_runs_literals_and_ends", Layout{.bits = 8, .compression = 1, .palette = kPalette},
     Bytes{2, 1, 1, 5, 0, 0, 0, 3, 2, 3, 4, 0, 0, 1},
     Pixels{kRed, kGreen, kBlue, kWhite, kWhite, kGrey}},
    {"rle8_jump_leaves_entry_0", Layout{.bits = 8, .compression = 1, .palette = kPalette},
     Bytes{1, 1, 0, 2, 1, 1, 1, 4, 0, 1}, Pixels{kBlack, kBlack, kBlue, kWhite, kBlack, kBlack}},
    {"rle4_runs_and_literals", Layout{.bits = 4, .compression = 2, .palette = kPalette},
     Bytes{3, 0x15, 0, 0, 0, 3, 0x23, 0x40, 0, 1},
     Pixels{kRed, kGreen, kBlue, kWhite, kGrey, kWhite}},
};
INSTANTIATE_TEST_SUITE_P(layouts, bmp_reader, testing::ValuesIn(kCases), ByName());

std::string damaged(const char* what) {
    return "it is a damaged BMP file: " + std::string(what);
}

const Layout kRle8{.bits = 8, .compression = 1, .palette = kPalette};
const Refused kRefusals[] = {
    {"header_cut_short", cut(bmp({}, kRows24), 50), damaged("its header is cut short")},
    {"pixels_cut_short", cut(bmp({}, kRows24), 4), damaged("its pixels are cut short")},
    {"unknown_header", bmp({.header = 20}, kRows24), damaged("its header is of an unknown kind")},
    {"no_pixels", bmp({.width = -3}, kRows24), damaged("its header claims no pixels")},
    {"sizes_overflow", bmp({.width = 0x7FFFFFFF, .height = 0x7FFFFFFF}, kRows24),
     "the picture is far too large for a skin"},
    {"masks_cut_short", cut(bmp({.bits = 16, .compression = 3, .masks = k565}, {}), 6),
     damaged("its colour masks are cut short")},
    {"rle_run_past_row", bmp(kRle8, {4, 1, 0, 1}),
     damaged("its compressed pixels run past the end of a row")},
    {"rle_past_last_row", bmp(kRle8, {0, 0, 0, 0, 1, 1, 0, 1}),
     damaged("its compressed pixels run past the last row")},
    {"rle_literal_cut_short", bmp(kRle8, {0, 3, 1, 2}),
     damaged("its compressed pixels are cut short")},
    {"rle_jump_outside", bmp(kRle8, {0, 2, 4, 0, 0, 1}),
     damaged("a jump leads outside the picture")},
    {"unread_layout", bmp({.bits = 24, .compression = 3, .masks = k565}, kRows24),
     "it is a 24-bit BMP with compression 3, which import does not read"},
};
MADE_REFUSALS(bmp_reader_refusal, kRefusals,
              [](const Bytes& file) { return decode_bmp(file, "x.bmp"); });

}  // namespace
}  // namespace orbskin::picture
