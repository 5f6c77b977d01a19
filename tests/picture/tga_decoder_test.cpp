// Our TGA decoder on a two-pixel picture in each layout pixel editors write, expected pixels
// written out by hand, and one minimal damaged file per refusal.
#include "picture/tga_decoder.h"

#include <gtest/gtest.h>

#include "picture/picture_head.h"
#include "tests/picture/made_files.h"

namespace orbskin::picture {
namespace {

using namespace made;

struct Layout {
    std::uint8_t type = 2, bits = 24, descriptor = 0x20;  // top row first
    Bytes id{};
    std::uint8_t map_bits = 0;  // a colour map of that many bits an entry, when not 0
    Bytes map{};
    std::uint16_t map_first = 0, width = 2, height = 1;
};

Bytes tga(const Layout& l, const Bytes& pixels) {
    const std::size_t entry = (l.map_bits + 7u) / 8;
    const std::size_t entries = entry ? l.map.size() / entry : 0;  // as many as `map` holds
    Bytes file(18, 0);
    const auto le16 = [&](std::size_t at, std::size_t value) {
        file[at] = std::uint8_t(value), file[at + 1] = std::uint8_t(value >> 8);
    };
    file[0] = std::uint8_t(l.id.size()), file[1] = l.map_bits ? 1 : 0, file[2] = l.type;
    le16(3, l.map_first), le16(5, entries), file[7] = l.map_bits;
    le16(12, l.width), le16(14, l.height), file[16] = l.bits, file[17] = l.descriptor;
    for (const Bytes* part : {&l.id, &l.map, &pixels})
        file.insert(file.end(), part->begin(), part->end());
    return file;
}

using Case = Decoded<Layout>;

class tga_reader : public testing::TestWithParam<Case> {};

TEST_P(tga_reader, gives_the_stored_pixels_upright) {
    const Case& c = GetParam();
    const Bytes file = tga(c.layout, c.pixels);
    ASSERT_TRUE(picture::looks_like_tga(file));
    const Bitmap bitmap = decode_tga(file, "a.tga");
    EXPECT_EQ(bitmap.width, c.layout.width);
    EXPECT_EQ(bitmap.pixels, c.expected);
}

const Bytes kMap24{0, 0, 0xFF, 0xFF, 0, 0};  // blue, green, red: red, then blue
const Case kCases[] = {
    {"true_colour24", {}, {3, 2, 1, 6, 5, 4}, Pixels{0xFF010203, 0xFF040506}},
    {"grey16_with_alpha", Layout{.type = 3, .bits = 16, .descriptor = 0x28},
     Bytes{0x40, 0xFF, 0x80, 0x10}, Pixels{0xFF404040, 0x10808080}},
    {"grey16_no_alpha_bits_opaque", Layout{.type = 3, .bits = 16, .descriptor = 0x20},
     Bytes{0x40, 0x00, 0x80, 0x10}, Pixels{0xFF404040, 0xFF808080}},
    {"grey16_with_alpha_rle", Layout{.type = 11, .bits = 16, .descriptor = 0x28},
     Bytes{0x81, 0x40, 0x80}, Pixels{0x80404040, 0x80404040}},
    {"mapped24_after_an_id_field",
     Layout{.type = 1, .bits = 8, .id = {'G', 'I', 'M', 'P'}, .map_bits = 24, .map = kMap24},
     Bytes{1, 0}, Pixels{0xFF0000FF, 0xFFFF0000}},
    {"mapped_first_entry_not_zero",
     Layout{.type = 9, .bits = 8, .map_bits = 24, .map = kMap24, .map_first = 16},
     Bytes{0x01, 17, 16}, Pixels{0xFF0000FF, 0xFFFF0000}},
    {"mapped16_alpha_bit",
     Layout{.type = 1, .bits = 8, .descriptor = 0x21, .map_bits = 16, .map = {0, 0xFC, 0x1F, 0}},
     Bytes{0, 1}, Pixels{0xFFFF0000, 0x000000FF}},
    {"mapped32_alpha",
     Layout{.type = 1, .bits = 8, .map_bits = 32, .map = {0, 0, 0xFF, 0x40, 0xFF, 0, 0, 0xFF}},
     Bytes{0, 1}, Pixels{0x40FF0000, 0xFF0000FF}},
};

INSTANTIATE_TEST_SUITE_P(each_layout, tga_reader, testing::ValuesIn(kCases), ByName());


const Bytes kWhole = tga({}, {3, 2, 1, 6, 5, 4});
const Refused kBad[] = {
    {"header_cut_short", first(kWhole, 17), "header is cut short"},
    {"pixels_cut_short", cut(kWhole, 1), "pixels are cut short"},
    {"rle_cut_short", tga({.type = 10}, {0x80, 1, 2, 3}), "compressed pixels are cut short"},
    {"index_past_the_map", tga({.type = 1, .bits = 8, .map_bits = 24, .map = kMap24}, {1, 250}),
     "colour 250, which its colour map lacks"},
    {"grey_of_32_bits", tga({.type = 3, .bits = 32}, Bytes(8, 0)), "type 3 with 32-bit pixels"},
};

MADE_REFUSALS(tga_refusal, kBad, [](const Bytes& file) { return decode_tga(file, "a.tga"); });

}  // namespace
}  // namespace orbskin::picture
