// The settings block's refused field texts, and unpack's warnings about its stray bytes. Every
// field at its own byte, and the zeros between them, are checked against the reference skin (in
// tests/cli), the starting values by the settings line they give.
#include "skin/settings.h"

#include <gtest/gtest.h>

#include "runtime/error.h"
#include "skin/unpack.h"

namespace orbskin::skin {
namespace {

TEST(settings_block_error, names_the_first_bad_field_and_quotes_its_text) {
    struct Case {
        std::vector<std::pair<std::size_t, std::string>> texts;
        std::size_t field;  // the one a front end points at
        std::string message;
    };
    const Case cases[] = {
        // each told " is not a number from 0 to 255"
        {{{0, "256"}}, 0, "List text color, Red: \"256\""},
        {{{5, "-1"}}, 5, "Selected text color, Blue: \"-1\""},
        {{{9, ""}}, 9, "Movie icon position, X: \"\""},
        {{{24, "5a"}}, 24, "Main menu text offset, Y: \"5a\""},
        {{{12, "4\n2\""}}, 12, "Music icon position, Y: \"4\\x0A2\\\"\""},
        {{{24, "x"}, {7, "300"}, {22, ""}}, 7, "Ebook text color, Green: \"300\""},
    };
    for (const Case& c : cases) {
        SkinSettings settings = SkinSettings::starting();
        for (const auto& [field, text] : c.texts)
            settings.texts[field] = text;
        try {
            (void)build_settings_block(settings);
            ADD_FAILURE() << "no error for " << c.message;
        } catch (const FieldRefused& e) {
            EXPECT_EQ(e.what(), c.message + " is not a number from 0 to 255");
            EXPECT_EQ(e.field, c.field);
        }
    }
}

// A skin of noise would list hundreds of stray settings bytes: past three, one line counts them.
TEST(unpack_warnings, counts_stray_settings_bytes_past_three_in_one_line) {
    // The stray bytes, and how the warnings after the hint's begin.
    const std::pair<std::vector<std::size_t>, std::vector<std::string>> cases[] = {
        {{100, 200, 300}, {"settings byte 100", "settings byte 200", "settings byte 300"}},
        {{60, 100, 200, 300},
         {"4 settings bytes are not 0, where a packed skin holds 0, the first "
          "at file offset 443,452"}},
    };
    for (const auto& [stray, said] : cases) {
        std::vector<std::uint8_t> skin(kSkinFileLength);
        skin[kSettingsOffset + kShowHintByte] = 7;
        for (const std::size_t byte : stray)
            skin[kSettingsOffset + byte] = 1;
        std::vector<std::string> brief;
        for (const runtime::Message& warning : brief_warnings(unpack_skin(skin)))
            brief.push_back(warning.text());
        ASSERT_EQ(brief.size(), said.size() + 1);
        EXPECT_EQ(brief[0].rfind("the show hint byte is 7", 0), 0u) << brief[0];
        for (std::size_t n = 0; n < said.size(); ++n)
            EXPECT_EQ(brief[n + 1].rfind(said[n], 0), 0u) << brief[n + 1];
    }
}

}  // namespace
}  // namespace orbskin::skin
