// Pixel conversion: the BGR555 values, their byte order, and where each picture lands in the skin.
#include "skin/pixels.h"

#include <gtest/gtest.h>

#include <array>

#include "runtime/error.h"
#include "tests/support/reference_skin.h"
#include "tests/support/temp_folder.h"

namespace orbskin::skin {
namespace {

using test::Bytes;

struct Colour {
    const char* name;
    std::array<std::uint8_t, 3> bgr;   // as a picture stores it
    std::array<std::uint8_t, 2> skin;  // as the skin must store it, written out by hand
};

void PrintTo(const Colour& c, std::ostream* out) {
    *out << c.name;
}

class convert_pixels_colour : public testing::TestWithParam<Colour> {};

TEST_P(convert_pixels_colour, gives_the_little_endian_bgr555_bytes) {
    std::array<std::uint8_t, 2> out{};
    convert_pixels(GetParam().bgr, out);
    EXPECT_EQ(out, GetParam().skin);
}

INSTANTIATE_TEST_SUITE_P(colours, convert_pixels_colour,
                         testing::Values(Colour{"worked_example", {0x12, 0x34, 0x56}, {0xCA, 0x08}},
                                         Colour{"white", {0xFF, 0xFF, 0xFF}, {0xFF, 0x7F}},
                                         Colour{"black", {0x00, 0x00, 0x00}, {0x00, 0x00}},
                                         Colour{"pure_red", {0x00, 0x00, 0xFF}, {0x1F, 0x00}},
                                         Colour{"pure_green", {0x00, 0xFF, 0x00}, {0xE0, 0x03}},
                                         Colour{"pure_blue", {0xFF, 0x00, 0x00}, {0x00, 0x7C}},
                                         Colour{
                                             "low_bits_dropped", {0x07, 0x07, 0x07}, {0x00, 0x00}},
                                         Colour{"no_rounding_up", {0xF8, 0xF8, 0xF8}, {0xFF, 0x7F}},
                                         Colour{"one_step_each", {0x08, 0x08, 0x08}, {0x21, 0x04}}),
                         [](const auto& info) { return info.param.name; });

TEST(convert_pixels, keeps_the_stored_order_and_never_sets_bit_15) {
    Bytes bgr(3 * 256);
    for (std::size_t i = 0; i < bgr.size(); ++i)
        bgr[i] = static_cast<std::uint8_t>(i * 37 + 11);
    Bytes out(2 * 256);
    convert_pixels(bgr, out);
    // Pixel 1 is the bytes 122, 159, 196: blue 15, green 19, red 24, so 0x3E78.
    EXPECT_EQ(out[2], 0x78);
    EXPECT_EQ(out[3], 0x3E);
    for (std::size_t i = 1; i < out.size(); i += 2)
        EXPECT_LE(out[i], 0x7F) << "byte " << i;
}

class firststep_sections : public testing::Test {
  protected:
    void SetUp() override {
        test::write_pictures(folder.path());
        firststep(folder.path(), pixels);
        reference = test::reference_skin(folder.path(), test::kStartingValues, true);
    }
    // The skin bytes that the pixel at byte offset k of picture i's pixel data must give.
    [[nodiscard]] std::array<std::uint8_t, 2> expected(std::size_t i, std::size_t k) const {
        const int v = test::sample_byte(i, k + 2) / 8 + test::sample_byte(i, k + 1) / 8 * 32 +
                      test::sample_byte(i, k) / 8 * 1024;
        return {static_cast<std::uint8_t>(v % 256), static_cast<std::uint8_t>(v / 256)};
    }
    [[nodiscard]] std::array<std::uint8_t, 2> at(std::size_t offset) const {
        return {pixels[offset], pixels[offset + 1]};
    }

    test::TempFolder folder;
    std::array<std::uint8_t, kPixelDataLength> pixels{};
    test::Bytes reference;
};

TEST_F(firststep_sections, match_the_reference_pixel_for_pixel) {
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), reference.begin()));
}

TEST_F(firststep_sections, start_at_the_documented_offsets_with_no_gap) {
    const std::array<std::size_t, 12> offsets{0,      98304,  196608, 294912, 393216, 401408,
                                              409600, 417792, 425984, 434176, 442368, 442880};
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        EXPECT_EQ(at(offsets[i]), expected(i, 0)) << kPictures[i].name << " first pixel";
        const std::size_t last_k = kPictures[i].pixels() * 3 - 3;
        const std::size_t end = i + 1 < offsets.size() ? offsets[i + 1] : kPixelDataLength;
        EXPECT_EQ(at(end - 2), expected(i, last_k)) << kPictures[i].name << " last pixel";
    }
}

TEST_F(firststep_sections, take_the_last_pixel_from_offsets_819_to_821_of_updir) {
    const Bytes updir = test::read_file(folder / "updir.bmp");
    const int v = updir[821] / 8 + updir[820] / 8 * 32 + updir[819] / 8 * 1024;
    EXPECT_EQ(at(443390), (std::array<std::uint8_t, 2>{static_cast<std::uint8_t>(v % 256),
                                                       static_cast<std::uint8_t>(v / 256)}));
}

TEST(firststep, never_reads_the_header) {
    test::TempFolder folder;
    test::write_pictures(folder.path());
    // A header claiming a top-down, 1-pixel-wide, 32-bit picture with pixels at offset 0, and a
    // picture of all zero bytes: both are converted from offset 54 in stored order.
    Bytes main = test::read_file(folder / "mainnds.bmp");
    std::fill(main.begin(), main.begin() + 54, 0xFF);
    test::write_file(folder / "mainnds.bmp", main);
    test::write_file(folder / "movie.bmp", Bytes(kPictures[4].file_length(), 0));

    std::array<std::uint8_t, kPixelDataLength> pixels{};
    firststep(folder.path(), pixels);
    const test::Bytes reference = test::reference_skin(folder.path(), test::kStartingValues, true);
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), reference.begin()));
    for (std::size_t i = section_offset(4); i < section_offset(5); ++i)
        ASSERT_EQ(pixels[i], 0);
}

TEST(firststep_error, refuses_a_picture_that_is_not_its_checked_length) {
    test::TempFolder folder;
    test::write_pictures(folder.path());
    Bytes game = test::read_file(folder / "game.bmp");
    game.push_back(0);
    test::write_file(folder / "game.bmp", game);
    std::array<std::uint8_t, kPixelDataLength> pixels{};
    EXPECT_THROW(firststep(folder.path(), pixels), runtime::Error);
}

}  // namespace
}  // namespace orbskin::skin
