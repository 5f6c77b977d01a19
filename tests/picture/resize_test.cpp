// import's three ways to resize a picture of another size: the geometry, worked out by hand, and
// what it does to the pixels.
#include "picture/resize.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <tuple>

#include "picture/bmp_decoder.h"
#include "picture/picture_import.h"
#include "tests/picture/made_files.h"

namespace orbskin::picture {
namespace {

using made::ByName;

struct Case {
    const char* name;
    int width, height, into_width, into_height;
    Resize how;
    Placement expected;
};

// To a tenth of a source pixel, which is what the eye can tell.
std::string text(const Placement& p) {
    char out[128];
    std::snprintf(out, sizeof out, "source %.1f,%.1f %.1f×%.1f into %d,%d %d×%d", p.source_left,
                  p.source_top, p.source_width, p.source_height, p.left, p.top, p.width, p.height);
    return out;
}

class resize : public testing::TestWithParam<Case> {};

TEST_P(resize, places_the_picture_as_its_option_says) {
    const Case& c = GetParam();
    const Placement p = place(c.width, c.height, c.into_width, c.into_height, c.how);
    EXPECT_EQ(text(p), text(c.expected));
}

const Case kCases[] = {
    {"stretch_to_screen", 512, 512, 256, 192, Resize::stretch, {0, 0, 512, 512, 0, 0, 256, 192}},
    {"fit_square_in_screen", 512, 512, 256, 192, Resize::fit, {0, 0, 512, 512, 32, 0, 192, 192}},
    {"fit_wide_in_screen", 1000, 100, 256, 192, Resize::fit, {0, 0, 1000, 100, 0, 83, 256, 26}},
    {"fit_small_enlarged", 48, 64, 64, 64, Resize::fit, {0, 0, 48, 64, 8, 0, 48, 64}},
    {"crop_square_for_screen", 512, 512, 256, 192, Resize::crop, {0, 64, 512, 384, 0, 0, 256, 192}},
    {"crop_tall_for_icon", 100, 1000, 64, 64, Resize::crop, {0, 450, 100, 100, 0, 0, 64, 64}},
    {"crop_wide_photo", 5120, 2880, 256, 192, Resize::crop, {640, 0, 3840, 2880, 0, 0, 256, 192}},
};
INSTANTIATE_TEST_SUITE_P(geometry, resize, testing::ValuesIn(kCases), ByName());

// import's screen from a 512 × 512 picture, a green band across its top 64 rows and red below, on
// blue: fitted, 192 × 192 from x = 32; cropped, rows 64 to 447, so that the band is cut off. A
// preview made from a reduction of a 6001 × 3999 picture (by 15, to 400 × 266) is laid out as the
// picture itself: fitted, it is 171 rows tall from row 10, where the reduction alone gives 170.
TEST(resize_pixels, fit_surrounds_crop_cuts_and_a_reduction_is_placed_as_its_picture) {
    constexpr std::uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF;
    Bitmap banded{512, 512, std::vector<std::uint32_t>(512 * 512, kRed)};
    std::fill_n(banded.pixels.begin(), 512 * 64, kGreen);
    const Bitmap reduced{400, 266, std::vector<std::uint32_t>(400 * 266, kRed)};
    // A picture, how it is converted, and pixels of the result: x, y, colour.
    const std::tuple<const Bitmap&, Conversion, std::vector<std::array<std::uint32_t, 3>>> cases[] =
        {
            {banded,
             {Resize::fit, false, {0, 0, 255}},
             {{31, 100, kBlue}, {128, 100, kRed}, {128, 5, kGreen}}},
            {banded, {Resize::crop, false, {0, 0, 255}}, {{128, 1, kRed}, {0, 191, kRed}}},
            {reduced,
             {Resize::fit, false, {0, 0, 255}, 6001, 3999},
             {{128, 9, kBlue}, {128, 10, kRed}, {128, 180, kRed}, {128, 181, kBlue}}},
        };
    for (const auto& [from, how, shown] : cases) {
        const Bitmap made = decode_bmp(canonical_picture(from, skin::kPictures[0], how, "x"), "x");
        for (const auto& [x, y, colour] : shown)
            EXPECT_EQ(made.pixels[y * 256 + x], colour) << x << "," << y;
    }
}

// A preview's stand-in: 7 × 4 taken down by 3 to 2 × 1; the last column and row are left out.
// Left block: red but one transparent cyan pixel, which lowers the alpha but adds no cyan. Right
// block: five white pixels and four black.
TEST(resize_pixels, averaged_down_means_each_block_in_premultiplied_alpha) {
    const std::uint32_t r = 0xFFFF0000, o = 0x0000FFFF, w = 0xFFFFFFFF, k = 0xFF000000,
                        x = 0xFF00FF00;
    const Bitmap bitmap{
        7, 4, {r, r, r, w, k, w, x, r, o, r, k, w, k, x, r, r, r, w, k, w, x, x, x, x, x, x, x, x}};
    const Bitmap reduced = averaged_down(bitmap, 2, 1);
    ASSERT_EQ(std::pair(reduced.width, reduced.height), std::pair(2, 1));
    EXPECT_EQ(reduced.pixels, (std::vector<std::uint32_t>{0xE3FF0000, 0xFF8E8E8E}));
    EXPECT_EQ(averaged_down(bitmap, 4, 1).pixels, bitmap.pixels);  // no whole factor left
    // A block of one colour stays that colour, however faint: nothing rounds before the end.
    const Bitmap faint{3, 3, std::vector<std::uint32_t>(9, 0x01C80000)};
    EXPECT_EQ(averaged_down(faint, 1, 1).pixels, std::vector<std::uint32_t>{0x01C80000});
}

}  // namespace
}  // namespace orbskin::picture
