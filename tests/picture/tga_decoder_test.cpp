// Our TGA decoder on a two-pixel picture in each layout pixel editors write, expected pixels
// written out by hand, and one minimal damaged file per refusal.
#include "picture/tga_decoder.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/error.h"
#include "skin/picture_head.h"

namespace orbskin::picture {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Pixels = std::vector<std::uint32_t>;  // 0xAARRGGBB, top row first

struct Layout {
    std::uint8_t type = 2, bits = 24, descriptor = 0x20;  // top row first
    Bytes id{};
    std::uint8_t map_bits = 0;  // a colour map of that many bits an entry, when not 0
    Bytes map{};
    std::uint16_t map_first = 0, width = 2, height = 1;
    std::uint16_t entries = 0;  // claimed when not 0, else as many as `map` holds
};

Bytes tga(const Layout& l, const Bytes& pixels) {
    const std::size_t entry = (l.map_bits + 7u) / 8;
    const std::size_t entries = l.entries ? l.entries : entry ? l.map.size() / entry : 0;
    Bytes file{std::uint8_t(l.id.size()),
               std::uint8_t(l.map_bits ? 1 : 0),
               l.type,
               std::uint8_t(l.map_first),
               std::uint8_t(l.map_first >> 8),
               std::uint8_t(entries),
               std::uint8_t(entries >> 8),
               l.map_bits,
               0,
               0,
               0,
               0,
               std::uint8_t(l.width),
               std::uint8_t(l.width >> 8),
               std::uint8_t(l.height),
               std::uint8_t(l.height >> 8),
               l.bits,
               l.descriptor};
    for (const Bytes* part : {&l.id, &l.map, &pixels})
        file.insert(file.end(), part->begin(), part->end());
    return file;
}

struct Case {
    const char* name;
    Layout layout;
    Bytes pixels;
    Pixels expected;
};

class tga_reader : public testing::TestWithParam<Case> {};

TEST_P(tga_reader, gives_the_stored_pixels_upright) {
    const Case& c = GetParam();
    const Bytes file = tga(c.layout, c.pixels);
    ASSERT_TRUE(skin::looks_like_tga(file));
    const Bitmap bitmap = decode_tga(file, "a.tga");
    EXPECT_EQ(bitmap.width, c.layout.width);
    EXPECT_EQ(bitmap.pixels, c.expected);
}

const Bytes kMap24{0, 0, 0xFF, 0xFF, 0, 0};  // blue, green, red: red, then blue
const Case kCases[] = {
    {"true_colour24", {}, {3, 2, 1, 6, 5, 4}, Pixels{0xFF010203, 0xFF040506}},
    {"bottom_row_first_right_to_left",
     {.descriptor = 0x10, .height = 2},
     {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4},
     Pixels{0xFF040404, 0xFF030303, 0xFF020202, 0xFF010101}},
    {"true_colour32_alpha",
     {.bits = 32, .descriptor = 0x28},
     {3, 2, 1, 0x80, 6, 5, 4, 0},
     Pixels{0x80010203, 0x00040506}},
    {"true_colour16_widened",
     {.bits = 16},
     {0x00, 0x7C, 0x10, 0x02},
     Pixels{0xFFFF0000, 0xFF008484}},
    {"grey8", {.type = 3, .bits = 8}, {0, 0x7F}, Pixels{0xFF000000, 0xFF7F7F7F}},
    {"grey16_with_alpha",
     {.type = 3, .bits = 16, .descriptor = 0x28},
     {0x40, 0xFF, 0x80, 0x10},
     Pixels{0xFF404040, 0x10808080}},
    {"grey16_with_alpha_rle",
     {.type = 11, .bits = 16, .descriptor = 0x28},
     {0x81, 0x40, 0x80},
     Pixels{0x80404040, 0x80404040}},
    {"mapped24_after_an_id_field",
     {.type = 1, .bits = 8, .id = {'G', 'I', 'M', 'P'}, .map_bits = 24, .map = kMap24},
     {1, 0},
     Pixels{0xFF0000FF, 0xFFFF0000}},
    {"mapped_first_entry_not_zero",
     {.type = 9, .bits = 8, .map_bits = 24, .map = kMap24, .map_first = 16},
     {0x01, 17, 16},
     Pixels{0xFF0000FF, 0xFFFF0000}},
    {"mapped15",
     {.type = 1, .bits = 8, .map_bits = 15, .map = {0x00, 0x7C, 0x1F, 0x00}},
     {0, 1},
     Pixels{0xFFFF0000, 0xFF0000FF}},
    {"mapped16_alpha_bit",
     {.type = 1, .bits = 8, .descriptor = 0x21, .map_bits = 16, .map = {0x00, 0xFC, 0x1F, 0x00}},
     {0, 1},
     Pixels{0xFFFF0000, 0x000000FF}},
    {"mapped32_alpha",
     {.type = 1, .bits = 8, .map_bits = 32, .map = {0, 0, 0xFF, 0x40, 0xFF, 0, 0, 0xFF}},
     {0, 1},
     Pixels{0x40FF0000, 0xFF0000FF}},
    {"true_colour_map_skipped",
     {.map_bits = 24, .map = kMap24},
     {3, 2, 1, 6, 5, 4},
     Pixels{0xFF010203, 0xFF040506}},
};

INSTANTIATE_TEST_SUITE_P(each_layout, tga_reader, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct Bad {
    const char* name;
    Bytes file;
    const char* says;
};

class tga_refusal : public testing::TestWithParam<Bad> {};

TEST_P(tga_refusal, names_the_fault) {
    try {
        (void)decode_tga(GetParam().file, "a.tga");
        FAIL() << "decoded";
    } catch (const runtime::Error& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().says), std::string::npos) << e.what();
    }
}

const Bytes kWhole = tga({}, {3, 2, 1, 6, 5, 4});
const Bad kBad[] = {
    {"header_cut_short", Bytes(kWhole.begin(), kWhole.begin() + 17), "header is cut short"},
    {"pixels_cut_short", Bytes(kWhole.begin(), kWhole.end() - 1), "pixels are cut short"},
    {"map_cut_short", tga({.type = 1, .bits = 8, .map_bits = 24, .map = {0, 0}, .entries = 1}, {}),
     "colour map is cut short"},
    {"rle_cut_short", tga({.type = 10}, {0x80, 1, 2, 3}), "compressed pixels are cut short"},
    {"grey_of_32_bits", tga({.type = 3, .bits = 32}, Bytes(8, 0)), "type 3 with 32-bit pixels"},
};

INSTANTIATE_TEST_SUITE_P(each_fault, tga_refusal, testing::ValuesIn(kBad),
                         [](const auto& info) { return std::string(info.param.name); });

// The sniffer and the decoder follow one rule: what one refuses the other does not take.
TEST(tga_rule, is_the_sniffers_and_the_decoders) {
    EXPECT_FALSE(skin::looks_like_tga(tga({.type = 3, .bits = 32}, Bytes(8, 0))));
    EXPECT_FALSE(skin::looks_like_tga(tga({.descriptor = 0xC0}, {3, 2, 1, 6, 5, 4})));
    EXPECT_FALSE(skin::looks_like_tga(tga({.width = 0}, {})));
}

}  // namespace
}  // namespace orbskin::picture
