// The sheet's sample lines: the list from its position over listnds.bmp (the second line
// selected) and the ebook text over ebooknds.bmp, in their colours, on the screens at 2:1, none
// past the screen's bottom; and its title, as given, in bold.
#include <gtest/gtest.h>

#include <algorithm>

#include "picture/preview.h"

namespace orbskin::picture {
namespace {

TEST(preview_sheet, draws_the_sample_lines_where_and_as_the_handheld_would) {
    std::vector<std::uint8_t> bytes(skin::kSkinFileLength);
    // The list position's X and Y; how many of the four list lines fit.
    const std::tuple<std::uint8_t, std::uint8_t, std::size_t> cases[] = {
        {10, 20, 4}, {0, 150, 2}, {200, 190, 0}};
    for (const auto& [x, y, shown] : cases) {
        std::uint8_t value = 0;  // the three colours 1,2,3, 4,5,6 and 7,8,9
        for (std::size_t g = 0; g < 3; ++g)
            for (const std::size_t field : skin::fields_of(g))
                bytes[skin::kSettingsOffset + skin::kSettingsFields[field].block_byte] = ++value;
        const auto position = skin::fields_of(skin::kSettingsGroups.size() - 2);
        bytes[skin::kSettingsOffset + skin::kSettingsFields[position[0]].block_byte] = x;
        bytes[skin::kSettingsOffset + skin::kSettingsFields[position[1]].block_byte] = y;
        const skin::UnpackedSkin skin = skin::unpack_skin(bytes);
        ASSERT_EQ(skin::kSettingsGroups[skin::kSettingsGroups.size() - 2].caption, "List position");
        const Sheet sheet = draw_preview(skin, "blue/ORBSKIN.000 preview");
        const Rect list = preview_layout().double_size[1], ebook = preview_layout().double_size[3];
        const auto find = [&](std::string_view text) {
            return std::find_if(sheet.texts.begin(), sheet.texts.end(),
                                [&](const Text& t) { return t.text == text; });
        };
        const char* lines[] = {"Music", "Photos", "Games", "Books"};
        for (std::size_t n = 0; n < 4; ++n) {
            const auto line = find(lines[n]);
            ASSERT_EQ(line != sheet.texts.end(), n < shown) << lines[n] << " at " << int(y);
            if (n >= shown) continue;
            EXPECT_EQ(line->at.left, list.left + 2 * x);
            EXPECT_EQ(line->at.top, list.top + 2 * (y + 16 * int(n)));
            EXPECT_EQ(line->colour, n == 1 ? 0xFF040506u : 0xFF010203u);
        }
        const auto book = find("It had stopped raining by");
        ASSERT_NE(book, sheet.texts.end());
        EXPECT_EQ(book->colour, 0xFF070809u);
        EXPECT_TRUE(book->at.intersects(ebook));
        EXPECT_TRUE(find("blue/ORBSKIN.000 preview")->title);
    }
}

}  // namespace
}  // namespace orbskin::picture
