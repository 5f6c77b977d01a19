// The preview sheet shows each picture pixel for pixel as unpack writes it, at 1:1 and enlarged,
// wherever its layout puts it; the PNG keeps every pixel the texts leave alone.
#include "picture/preview.h"

#include <gtest/gtest.h>

#include <random>

#include "picture/bmp_decoder.h"
#include "picture/decode.h"
#include "picture/platform.h"

namespace orbskin::picture {
namespace {

TEST(preview, shows_every_picture_as_unpacked_and_its_png_keeps_the_pixels) {
    std::vector<std::uint8_t> bytes(skin::kSkinFileLength);
    std::mt19937 random(20261207);
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>(random());
    const auto setup = skin::fields_of(8);  // placed at 100,50
    bytes[skin::kSettingsOffset + skin::kSettingsFields[setup[0]].block_byte] = 100;
    bytes[skin::kSettingsOffset + skin::kSettingsFields[setup[1]].block_byte] = 50;
    const skin::UnpackedSkin skin = skin::unpack_skin(bytes);
    const Sheet sheet = draw_preview(skin, "preview");
    const PreviewLayout layout = preview_layout();
    const auto shows = [&](std::size_t index, const Rect& at, int scale) {
        const picture::Bitmap picture =
            picture::decode_bmp(skin::picture_bmp(skin, index), "p.bmp");
        ASSERT_EQ(at.width, picture.width * scale);
        ASSERT_EQ(at.height, picture.height * scale);
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

    const picture::Bitmap png =
        decode_picture(render_png(sheet), "preview.png", decode_with_platform);
    ASSERT_EQ(png.width, sheet.width);
    ASSERT_EQ(png.height, sheet.height);
    std::size_t changed = 0;
    for (int y = 0; y < sheet.height; ++y)
        for (int x = 0; x < sheet.width; ++x) {
            const Rect pixel{x, y, 1, 1};
            const bool under_text =
                std::any_of(sheet.texts.begin(), sheet.texts.end(),
                            [&](const Text& t) { return t.at.intersects(pixel); });
            const std::size_t at = std::size_t(y) * sheet.width + x;
            changed += !under_text && png.pixels[at] != sheet.pixels[at];
        }
    EXPECT_EQ(changed, 0u);
}

}  // namespace
}  // namespace orbskin::picture
