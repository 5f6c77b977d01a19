// The contrast of each text colour over the part of its picture where the text goes.
#include "skin/readability.h"

#include <gtest/gtest.h>

#include <tuple>

#include "skin/settings_line.h"

namespace orbskin::skin {
namespace {

TEST(readability, measures_each_colour_where_its_text_goes) {
    // listnds.bmp black left of column 128 and white from it on, ebooknds.bmp black.
    std::vector<Rgb> halves(256 * 192);
    for (std::size_t n = 0; n < halves.size(); ++n)
        if (n % 256 >= 128) halves[n] = {255, 255, 255};
    const std::vector<std::uint8_t> list = encode_bmp24(256, 192, halves),
                                    ebook = encode_bmp24(256, 192, std::vector<Rgb>(256 * 192));
    PictureFiles files;
    files[1] = list, files[3] = ebook;
    // The list's position (X,Y) and colour (R,G,B), and the figures measured.
    const std::tuple<const char*, const char*, std::vector<std::string>> cases[] = {
        // Over the white half the black list reads; blue ebook text on black does not.
        {"128,40", "0,0,0", {"21.0:1", "2.4:1"}},
        {"0,40", "0,0,0", {"11.0:1", "2.4:1"}},  // the mean luminance of both halves
        {"x,40", "0,0,0", {"2.4:1"}},            // no list position, no figure for the list
    };
    for (const auto& [position, colour, expected] : cases) {
        // Selected text in white: its figure is measured, not listed here.
        const SkinSettings settings = settings_of_line(
            std::string("--list-position=") + position + " --list-color=" + colour +
            " --selected-color=255,255,255 --ebook-color=0,0,255");
        std::vector<std::string> figures;
        for (const Readability& figure : readability(files, settings))
            if (figure.group != 1) figures.push_back(ratio_text(figure.ratio));
        EXPECT_EQ(figures, expected) << position;
    }
}

TEST(readability, warns_in_words_below_three_to_one) {
    const Readability low{2, 3, {0, 0, 255}, 2.44}, high{0, 1, {0, 0, 0}, 3.0};
    EXPECT_FALSE(low.readable());
    EXPECT_TRUE(high.readable());
    EXPECT_EQ(readability_message(low).text().rfind(
                  "Ebook text color 0,0,255 over ebooknds.bmp: contrast 2.4:1, below 3:1", 0), 0u);
    EXPECT_EQ(ratio_text(2.99), "2.9:1");
}

}  // namespace
}  // namespace orbskin::skin
