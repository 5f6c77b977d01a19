// The starting pictures: each the canonical BMP of its size, the icon boxes where the icons
// start, and the small icons' every pixel told from its neighbours.
#include "picture/templates.h"

#include <gtest/gtest.h>

#include "picture/bmp_decoder.h"
#include "picture/explain.h"
#include "runtime/text_to_byte.h"
#include "skin/settings.h"

namespace orbskin::picture {
namespace {

TEST(templates, are_canonical_and_show_where_the_icons_start) {
    for (std::size_t i = 0; i < skin::kPictures.size(); ++i) {
        const std::vector<std::uint8_t> file = template_picture(i);
        EXPECT_TRUE(picture::explain_picture(file, file.size(), skin::kPictures[i]).ok());
    }
    const Bitmap main = decode_bmp(template_picture(0), "mainnds.bmp");
    const std::uint32_t ground = main.pixels[0];
    const auto at = [&](int x, int y) {
        return main.pixels[std::size_t(y) * 256 + std::size_t(x)];
    };
    for (std::size_t g = 0; g < skin::kSettingsGroups.size(); ++g) {
        if (skin::kSettingsGroups[g].places.empty()) continue;
        const auto field = [&](std::size_t c) {
            return int(
                *runtime::text_to_byte(skin::kSettingsFields[skin::fields_of(g)[c]].starting_text));
        };
        const int x = field(0), y = field(1);
        EXPECT_NE(at(x, y), ground) << skin::kSettingsGroups[g].caption;
        EXPECT_NE(at(x + 63, y + 63), ground) << skin::kSettingsGroups[g].caption;
        EXPECT_EQ(at(x - 1, y - 1), ground) << skin::kSettingsGroups[g].caption;
    }
    const Bitmap dir = decode_bmp(template_picture(10), "dir.bmp");
    for (std::size_t n = 1; n < dir.pixels.size(); ++n)
        EXPECT_NE(dir.pixels[n], dir.pixels[n - (n % 16 == 0 ? 16 : 1)]) << n;
}

}  // namespace
}  // namespace orbskin::picture
