// The preview sheet shows each picture pixel for pixel as unpack writes it, at 1:1 and enlarged,
// wherever its layout puts it; the PNG keeps every pixel the texts leave alone. Its sample lines:
// the list from its position over listnds.bmp (the second line selected) and the ebook text over
// ebooknds.bmp, in their colours, on the screens at 2:1, none past the screen's bottom; and its
// title, as given, in bold.
#include "picture/preview.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "picture/bmp_decoder.h"
#include "picture/decode.h"
#include "picture/platform.h"
#include "tests/picture/made_files.h"

namespace orbskin::picture {
namespace {

void set(std::vector<std::uint8_t>& skin_bytes, std::size_t field, std::uint8_t value) {
    skin_bytes[skin::kSettingsOffset + skin::kSettingsFields[field].block_byte] = value;
}

TEST(preview, shows_every_picture_as_unpacked_and_its_png_keeps_the_pixels) {
    std::vector<std::uint8_t> bytes(skin::kSkinFileLength);
    std::mt19937 random(20261207);
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>(random());
    const auto setup = skin::fields_of(8);  // placed at 100,50
    set(bytes, setup[0], 100), set(bytes, setup[1], 50);
    const skin::UnpackedSkin skin = skin::unpack_skin(bytes);
    const Sheet sheet = draw_preview(skin, "preview");
    const PreviewLayout layout = preview_layout();
    const auto shows = [&](std::size_t index, const Rect& at, int scale) {
        const picture::Bitmap picture =
            picture::decode_bmp(skin::picture_bmp(skin, index), "p.bmp");
        ASSERT_EQ(std::pair(at.width, at.height),
                  std::pair(picture.width * scale, picture.height * scale));
        for (int y = 0; y < at.height; ++y)
            for (int x = 0; x < at.width; ++x)
                ASSERT_EQ(sheet.pixels[std::size_t(at.top + y) * sheet.width + at.left + x],
                          picture.pixels[std::size_t(y / scale) * picture.width + x / scale])
                    << skin::kPictures[index].name << " at " << x << "," << y;
    };
    for (std::size_t i = 0; i < skin::kPictures.size(); ++i)
        shows(i, layout.actual_size[i], 1);
    for (std::size_t i = 0; i < kScreenCount; ++i)
        shows(i, layout.double_size[i], 2);
    for (std::size_t i = 0; i < kSmallIconCount; ++i)
        shows(skin::kPictures.size() - kSmallIconCount + i, layout.small_icons_enlarged[i], 4);

    // The setup icon, drawn last, shows its top-left pixel where its position puts it.
    const picture::Bitmap option = picture::decode_bmp(skin::picture_bmp(skin, 9), "option.bmp");
    EXPECT_EQ(sheet.pixels[std::size_t(layout.placed.top + 100) * sheet.width +
                           std::size_t(layout.placed.left + 200)],
              option.pixels[0]);

    const std::vector<std::uint8_t> file = render_png(sheet);
    const picture::Bitmap png =
        decode_picture(file, read_head(file), "preview.png", kDesktopDecoders);
    ASSERT_EQ(std::pair(png.width, png.height), std::pair(sheet.width, sheet.height));
    for (int at = 0; at < sheet.width * sheet.height; ++at) {
        const Rect pixel{at % sheet.width, at / sheet.width, 1, 1};
        ASSERT_TRUE(png.pixels[std::size_t(at)] == sheet.pixels[std::size_t(at)] ||
                    std::any_of(sheet.texts.begin(), sheet.texts.end(),
                                [&](const Text& t) { return t.at.intersects(pixel); }))
            << "pixel " << pixel.left << "," << pixel.top;
    }
}

TEST(preview_sheet, draws_the_sample_lines_where_and_as_the_handheld_would) {
    std::vector<std::uint8_t> bytes(skin::kSkinFileLength);
    std::uint8_t value = 0;  // the three colours 1,2,3, 4,5,6 and 7,8,9
    for (std::size_t g = 0; g < 3; ++g)
        for (const std::size_t field : skin::fields_of(g))
            set(bytes, field, ++value);
    const auto position = skin::fields_of(skin::kSettingsGroups.size() - 2);  // the list's
    const Rect list = preview_layout().double_size[1], ebook = preview_layout().double_size[3];
    // The list position's X and Y; how many of the four list lines fit.
    const std::tuple<std::uint8_t, std::uint8_t, std::size_t> cases[] = {
        {10, 20, 4}, {0, 150, 2}, {200, 190, 0}};
    for (const auto& [x, y, shown] : cases) {
        set(bytes, position[0], x), set(bytes, position[1], y);
        const Sheet sheet = draw_preview(skin::unpack_skin(bytes), "blue/ORBSKIN.000 preview");
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

// Where GDI draws, a caption's face: the first of its script's own faces that has its characters
// (Han by the language), then any other CJK face; the message font for other text, and where no
// face has more of them. Drawn, two captions of as many different characters differ: not boxes.
TEST(preview_png, draws_cjk_captions_in_a_face_that_has_their_characters) {
    // The text, its language, the faces installed (each with every character), the face taken.
    const std::tuple<std::string, std::string, std::set<std::string_view>, std::string_view>
        cases[] = {
            {"音楽", "ja", {"Meiryo UI", "Microsoft YaHei UI"}, "Meiryo UI"},
            {"音樂", "zh_TW", {"Noto Sans CJK SC", "PMingLiU"}, "PMingLiU"},
            {"プレビュー", "zh_CN", {"Microsoft YaHei UI", "MS UI Gothic"}, "MS UI Gothic"},
            {"音楽", "ja", {"Noto Sans CJK SC"}, "Noto Sans CJK SC"},
            {"音楽", "ja", {}, "Tahoma"},
            {"Música", "ja", {"Yu Gothic UI"}, "Tahoma"},
        };
    for (const auto& [text, language, installed, face] : cases) {
        const MissingGlyphs missing = [&installed = installed,
                                       &text = text](std::string_view name) {
            return installed.contains(name) ? 0 : text.size();
        };
        EXPECT_EQ(caption_face(text, language, "Tahoma", missing), face) << text << language;
    }
    for (const auto& [language, one, other] : {std::tuple{"ja", "音楽の写真", "ゲームと本"},
                                               {"zh_CN", "音乐照片", "游戏书籍"},
                                               {"zh_TW", "音樂照片", "遊戲書籍"}}) {
        const auto drawn = [language = language](const char* text) {
            const std::vector<std::uint8_t> file =
                render_png({96, 20, made::Pixels(1920, ~0u), {{text, {0, 0, 96, 20}}}, language});
            return decode_picture(file, read_head(file), "p.png", kDesktopDecoders).pixels;
        };
        EXPECT_NE(drawn(one), drawn(other)) << language;
    }
}

// A caption longer than its box is drawn whole, as the page draws it, never cut at the box's end.
TEST(preview_png, draws_a_caption_past_its_box_rather_than_cut) {
    const std::vector<std::uint8_t> file =
        render_png({200, 20, made::Pixels(4000, ~0u), {{"WWWWWWWWWWWW", {0, 0, 20, 20}}}, "fr"});
    const made::Pixels pixels =
        decode_picture(file, read_head(file), "p.png", kDesktopDecoders).pixels;
    bool beyond = false;
    for (int y = 0; y < 20; ++y)
        for (int x = 30; x < 200; ++x)
            beyond = beyond || pixels[std::size_t(y) * 200 + x] != pixels[0];
    EXPECT_TRUE(beyond);
}

}  // namespace
}  // namespace orbskin::picture
