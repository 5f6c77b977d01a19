// import's three ways to resize a picture of another size: the geometry, worked out by hand, and
// what it does to the pixels.
#include "picture/resize.h"

#include <gtest/gtest.h>

#include <cstdio>

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

// A 512 × 512 picture: a green band across its top 64 rows, red below.
Bitmap banded() {
    Bitmap bitmap{512, 512, std::vector<std::uint32_t>(512 * 512, 0xFFFF0000)};
    std::fill_n(bitmap.pixels.begin(), 512 * 64, 0xFF00FF00);
    return bitmap;
}

TEST(resize_pixels, fit_surrounds_with_the_background_and_crop_cuts_the_band) {
    const skin::Picture& screen = skin::kPictures[0];
    const auto imported = [&](Resize how) {
        return picture::decode_bmp(
            canonical_picture(banded(), screen, {how, false, {0, 0, 255}}, "x"), "x");
    };
    const Bitmap fitted = imported(Resize::fit);  // 192 × 192 from x = 32, blue around it
    EXPECT_EQ(fitted.pixels[100 * 256 + 31], 0xFF0000FFu);
    EXPECT_EQ(fitted.pixels[100 * 256 + 128], 0xFFFF0000u);
    EXPECT_EQ(fitted.pixels[5 * 256 + 128], 0xFF00FF00u);
    const Bitmap cropped = imported(Resize::crop);  // rows 64 to 447: the band is cut off
    EXPECT_EQ(cropped.pixels[1 * 256 + 128], 0xFFFF0000u);
    EXPECT_EQ(cropped.pixels[191 * 256 + 0], 0xFFFF0000u);
}

// A preview made from a reduction of a 6001 × 3999 picture (by 15, to 400 × 266) is laid out as
// the picture itself: fitted, it is 171 rows tall from row 10, where the reduction alone gives 170.
TEST(resize_pixels, a_reduction_is_placed_as_the_picture_it_stands_for) {
    const Bitmap reduced{400, 266, std::vector<std::uint32_t>(400 * 266, 0xFFFF0000)};
    const Bitmap fitted =
        picture::decode_bmp(canonical_picture(reduced, skin::kPictures[0],
                                              {Resize::fit, false, {0, 0, 255}, 6001, 3999}, "x"),
                            "x");
    for (const auto& [row, colour] :
         {std::pair{9, 0xFF0000FFu}, {10, 0xFFFF0000u}, {180, 0xFFFF0000u}, {181, 0xFF0000FFu}})
        EXPECT_EQ(fitted.pixels[std::size_t(row) * 256 + 128], colour) << "row " << row;
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
    ASSERT_EQ(reduced.width, 2);
    ASSERT_EQ(reduced.height, 1);
    EXPECT_EQ(reduced.pixels, (std::vector<std::uint32_t>{0xE3FF0000, 0xFF8E8E8E}));
    EXPECT_EQ(averaged_down(bitmap, 4, 1).pixels, bitmap.pixels);  // no whole factor left
    // A block of one colour stays that colour, however faint: nothing rounds before the end.
    const Bitmap faint{3, 3, std::vector<std::uint32_t>(9, 0x01C80000)};
    EXPECT_EQ(averaged_down(faint, 1, 1).pixels, std::vector<std::uint32_t>{0x01C80000});
}

}  // namespace
}  // namespace orbskin::picture
