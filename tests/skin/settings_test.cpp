// The settings block: the byte of every field, the zeros between them, and refused field texts.
#include "skin/settings.h"

#include <gtest/gtest.h>

#include <random>

#include "runtime/error.h"

namespace orbskin::skin {
namespace {

TEST(settings_block, holds_the_starting_values_at_their_bytes) {
    // Block bytes 0 to 48 with the window's starting values and the hint ticked, by hand.
    const std::array<std::uint8_t, 49> expected{
        0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
        0x00, 0x00, 0x00, 0x10, 0x2A, 0x00, 0x00, 0x60, 0x2A, 0x00, 0x00, 0xB0, 0x2A,
        0x00, 0x00, 0x10, 0x6E, 0x00, 0x00, 0x38, 0x6E, 0x00, 0x00, 0x88, 0x6E, 0x00,
        0x00, 0x24, 0x28, 0x00, 0x00, 0x0A, 0x3A, 0x00, 0x00, 0x01};
    const SettingsBlock block = secondstep(SkinSettings::starting());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), block.begin()));
    EXPECT_TRUE(std::all_of(block.begin() + 49, block.end(), [](auto b) { return b == 0; }));
}

TEST(settings_block, stores_a_clear_hint_as_zero) {
    SkinSettings settings = SkinSettings::starting();
    settings.show_hint = false;
    EXPECT_EQ(secondstep(settings)[48], 0);
}

TEST(settings_block, puts_each_field_at_its_own_byte_and_nothing_elsewhere) {
    // Field n gets the value 100 + n, so a swapped or shifted field shows at once.
    const std::array<std::size_t, 25> bytes{0,  1,  2,  4,  5,  6,  8,  9,  10, 16, 17, 20, 21,
                                            24, 25, 28, 29, 32, 33, 36, 37, 40, 41, 44, 45};
    SkinSettings settings;
    for (std::size_t n = 0; n < 25; ++n)
        settings.texts[n] = std::to_string(100 + n);
    const SettingsBlock block = secondstep(settings);
    SettingsBlock expected{};
    for (std::size_t n = 0; n < 25; ++n)
        expected[bytes[n]] = static_cast<std::uint8_t>(100 + n);
    expected[48] = 1;
    EXPECT_EQ(block, expected);
}

TEST(settings_block, keeps_the_gaps_zero_whatever_the_fields_hold) {
    std::mt19937 random(12345);
    for (int run = 0; run < 200; ++run) {
        SkinSettings settings;
        for (auto& text : settings.texts)
            text = std::to_string(random() % 256);
        settings.show_hint = random() % 2 == 1;
        const SettingsBlock block = secondstep(settings);
        for (std::size_t gap : {3,  7,  11, 12, 13, 14, 15, 18, 19, 22, 23, 26,
                                27, 30, 31, 34, 35, 38, 39, 42, 43, 46, 47})
            ASSERT_EQ(block[gap], 0) << "byte " << gap;
        ASSERT_TRUE(std::all_of(block.begin() + 49, block.end(), [](auto b) { return b == 0; }));
        ASSERT_EQ(block[48], settings.show_hint ? 1 : 0);
    }
}

struct BadField {
    const char* name;
    std::size_t field;
    std::string text;
    std::string message;
};

void PrintTo(const BadField& c, std::ostream* out) {
    *out << c.name;
}

class settings_block_error : public testing::TestWithParam<BadField> {};

TEST_P(settings_block_error, names_the_field_and_quotes_its_text) {
    SkinSettings settings = SkinSettings::starting();
    settings.texts[GetParam().field] = GetParam().text;
    try {
        (void)secondstep(settings);
        FAIL() << "no error";
    } catch (const runtime::Error& e) {
        EXPECT_STREQ(e.what(), GetParam().message.c_str());
    }
}

INSTANTIATE_TEST_SUITE_P(
    fields, settings_block_error,
    testing::Values(
        BadField{"over_255", 0, "256",
                 "List text color, Red: \"256\" is not a number from 0 to 255"},
        BadField{"negative", 5, "-1",
                 "Selected text color, Blue: \"-1\" is not a number from 0 to 255"},
        BadField{"empty", 9, "", "Movie icon position, X: \"\" is not a number from 0 to 255"},
        BadField{"letters_in_last", 24, "5a",
                 "Main menu text offset, Y: \"5a\" is not a number from 0 to 255"},
        BadField{"control_characters_shown", 12, "4\n2\"",
                 "Music icon position, Y: \"4\\x0A2\\\"\" is not a number from 0 to 255"}),
    [](const auto& info) { return info.param.name; });

TEST(settings_block_error, reports_the_first_bad_field_in_order) {
    SkinSettings settings = SkinSettings::starting();
    settings.texts[24] = "x";
    settings.texts[7] = "300";
    settings.texts[22] = "";
    try {
        (void)secondstep(settings);
        FAIL() << "no error";
    } catch (const runtime::Error& e) {
        EXPECT_STREQ(e.what(), "Ebook text color, Green: \"300\" is not a number from 0 to 255");
    }
}

}  // namespace
}  // namespace orbskin::skin
