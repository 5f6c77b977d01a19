// Unpacking: widening 5-bit channels, rebuilding pictures whose pack gives the same section, and
// warnings for bytes a packed skin never holds.
#include "skin/unpack.h"

#include <gtest/gtest.h>

#include <random>

#include "runtime/error.h"
#include "skin/pixels.h"

namespace orbskin::skin {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(rgb_from_bgr555, repeats_the_high_bits_of_each_channel) {
    EXPECT_EQ(rgb_from_bgr555(0x0000), (Rgb{0, 0, 0}));
    EXPECT_EQ(rgb_from_bgr555(0x7FFF), (Rgb{255, 255, 255}));
    EXPECT_EQ(rgb_from_bgr555(0x001F), (Rgb{255, 0, 0}));
    EXPECT_EQ(rgb_from_bgr555(0x03E0), (Rgb{0, 255, 0}));
    EXPECT_EQ(rgb_from_bgr555(0x7C00), (Rgb{0, 0, 255}));
    EXPECT_EQ(rgb_from_bgr555(0x08CA), (Rgb{0x52, 0x31, 0x10}));  // 10, 6, 2 widened
    for (unsigned v = 0; v < 0x8000; ++v) {
        const Rgb c = rgb_from_bgr555(static_cast<std::uint16_t>(v));
        ASSERT_EQ(bgr555(c.blue, c.green, c.red), v);
    }
}

Bytes random_skin(unsigned seed) {
    std::mt19937 random(seed);
    Bytes skin(kSkinFileLength);
    for (std::size_t i = 0; i < kPixelDataLength; ++i)
        skin[i] = static_cast<std::uint8_t>(i % 2 ? random() % 0x80 : random() % 0x100);
    for (const SettingsField& field : kSettingsFields)
        skin[kSettingsOffset + field.block_byte] = static_cast<std::uint8_t>(random());
    skin[kSettingsOffset + kShowHintByte] = 1;
    return skin;
}

TEST(unpack_skin, gives_pictures_that_convert_back_to_the_same_sections) {
    const Bytes skin = random_skin(7);
    const UnpackedSkin unpacked = unpack_skin(skin);
    EXPECT_TRUE(unpacked.warnings.empty());
    for (std::size_t i = 0; i < kPictures.size(); ++i) {
        const Bytes file = picture_file(unpacked, i);
        ASSERT_EQ(file.size(), kPictures[i].file_length());
        Bytes section(kPictures[i].section_length());
        convert_pixels(std::span(file).subspan(kBmpHeaderLength), section);
        EXPECT_TRUE(std::equal(section.begin(), section.end(), skin.begin() + section_offset(i)))
            << kPictures[i].name;
    }
    EXPECT_EQ(unpacked.values[0], skin[kSettingsOffset]);
    EXPECT_EQ(unpacked.values[24], skin[kSettingsOffset + 45]);
    EXPECT_EQ(unpacked.show_hint, 1);
}

TEST(unpack_skin_error, refuses_any_other_length) {
    EXPECT_THROW((void)unpack_skin(Bytes(kSkinFileLength - 1)), runtime::Error);
    EXPECT_THROW((void)unpack_skin(Bytes(kSkinFileLength + 1)), runtime::Error);
}

TEST(unpack_skin, warns_of_bytes_a_packed_skin_never_holds) {
    Bytes skin = random_skin(8);
    skin[1] |= 0x80;
    skin[443391] |= 0x80;
    skin[kSettingsOffset + 3] = 9;
    skin[kSettingsOffset + 511] = 1;
    skin[kSettingsOffset + kShowHintByte] = 2;
    const std::vector<std::string> warnings = unpack_skin(skin).warnings;
    ASSERT_EQ(warnings.size(), 4u);
    EXPECT_EQ(warnings[0].rfind("2 pixels have bit 15 set", 0), 0u) << warnings[0];
    EXPECT_NE(warnings[1].find("show hint byte is 2"), std::string::npos) << warnings[1];
    EXPECT_NE(warnings[2].find("settings byte 3 (file offset 443395) is 9"), std::string::npos);
    EXPECT_NE(warnings[3].find("settings byte 511"), std::string::npos);
}

}  // namespace
}  // namespace orbskin::skin
