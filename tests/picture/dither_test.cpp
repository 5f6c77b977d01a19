// --dither: every pixel on the handheld's colours, exact colours and flat areas left alone, the
// mean light of an area kept; and which pictures it is proposed for.
#include "picture/dither.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace orbskin::picture {
namespace {

using skin::Rgb;
using Paint = std::function<Rgb(int x, int y)>;
constexpr int kW = 64, kH = 48;

Rgb rgb(int red, int green, int blue) {
    return Rgb{std::uint8_t(red), std::uint8_t(green), std::uint8_t(blue)};
}
// The colour the handheld shows for `v`: `v` itself where it shows it exactly.
std::uint8_t level(std::uint8_t v) {
    return skin::skin_level(v >> 3u);
}

// `paint` over the whole picture, dithered when asked.
std::vector<Rgb> painted(const Paint& paint, bool dithered = false) {
    std::vector<Rgb> pixels;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            pixels.push_back(paint(x, y));
    if (dithered) dither_to_skin_levels(pixels, kW);
    return pixels;
}

const Paint kRamp = [](int x, int y) { return rgb(x * 4, 60 + y, 200 - x - y); };
const Paint kDark = [](int x, int) { return rgb(x / 2, x / 3, 5 + x / 4); };
const Paint kNoise = [](int x, int y) {
    const unsigned h = (unsigned(x) * 73856093u ^ unsigned(y) * 19349663u) * 2654435761u;
    return rgb(h >> 8 & 0xFF, h >> 16 & 0xFF, h >> 24);
};
// A gradient near the exact colour 132,66,198, so that error may cross to it.
const Paint kNear = [](int x, int y) { return rgb(120 + x / 2, 60 + y / 4, 190 + x / 8); };

// `paint`'s colours moved onto the handheld's.
Paint on_levels(const Paint& paint) {
    return [=](int x, int y) {
        const Rgb p = paint(x, y);
        return Rgb{level(p.red), level(p.green), level(p.blue)};
    };
}

// Left, a flat colour; right of column 24, `right`.
Paint beside(Rgb flat, const Paint& right) {
    return [=](int x, int y) { return x < 24 ? flat : right(x, y); };
}

TEST(dither, leaves_exact_colours_and_flat_areas_beside_edges_alone) {
    // A flat colour the handheld shows exactly stays exactly so; one it does not keeps the
    // pattern it has beside an exact colour, whatever the edge beside it carries.
    const std::pair<Rgb, Paint> cases[] = {{{255, 255, 255}, kRamp}, {{0, 0, 0}, kNoise},
                                           {{132, 66, 198}, kNear},  {{250, 246, 238}, kNoise},
                                           {{250, 246, 238}, kDark}, {{20, 90, 180}, kRamp}};
    const Paint exact = [](int, int) { return Rgb{255, 0, 0}; };
    for (const auto& [flat, right] : cases) {
        const std::vector<Rgb> before = painted(beside(flat, right)),
                               edged = painted(beside(flat, right), true),
                               alone = painted(beside(flat, exact), true);
        for (std::size_t i = 0; i < edged.size(); ++i)
            ASSERT_TRUE(i % kW >= 24 || (edged[i] == alone[i] &&
                                         (level(flat.red) != flat.red || edged[i] == before[i])))
                << int(flat.red) << "," << int(flat.green) << " at " << i;
    }
    EXPECT_EQ(painted(on_levels(kNoise), true), painted(on_levels(kNoise)));
}

TEST(dither, writes_only_colours_the_handheld_shows_and_keeps_each_areas_mean_light) {
    // Exact colours among the shades, which the error must go round.
    const Paint dotted = [](int x, int y) {
        return (x + y) % 3 ? kRamp(x, y) : on_levels(kRamp)(x, y);
    };
    const auto linear = [](std::uint8_t v) { return std::pow(v / 255.0, 2.2); };  // near enough
    for (const Paint& paint :
         {kRamp, kDark, beside({250, 250, 250}, kRamp), beside({200, 120, 40}, kRamp), dotted}) {
        const std::vector<Rgb> before = painted(paint), after = painted(paint, true);
        for (const Rgb& p : after)
            ASSERT_TRUE(level(p.red) == p.red && level(p.green) == p.green &&
                        level(p.blue) == p.blue);
        for (int area = 0; area < kW * kH / 64; ++area)  // 8 × 8 pixels each
            for (std::uint8_t Rgb::*c : {&Rgb::red, &Rgb::green, &Rgb::blue}) {
                double sum = 0;
                for (int k = 0; k < 64; ++k) {
                    const int at = (area / 8 * 8 + k / 8) * kW + area % 8 * 8 + k % 8;
                    sum += linear(after[at].*c) - linear(before[at].*c);
                }
                ASSERT_LT(std::abs(sum / 64), 0.004) << area;  // a level near the middle: 0.03
            }
    }
}

TEST(dither, is_proposed_for_photos_and_gradients_alone) {
    const Paint drawing = [](int x, int y) {
        return x == y || x == 40 ? Rgb{200, 40, 40} : Rgb{246, 244, 238};
    };
    const std::pair<Paint, bool> cases[] = {
        {kRamp, true},     {kDark, true},  {kNoise, true}, {on_levels(kNoise), false},
        {drawing, false}, {beside({0, 0, 0}, on_levels(kRamp)), false}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Bitmap bitmap{kW, kH, {}};
        for (const Rgb& p : painted(cases[i].first))
            bitmap.pixels.push_back(0xFF000000u | p.red << 16 | p.green << 8 | p.blue);
        EXPECT_EQ(dither_helps(bitmap), cases[i].second) << "case " << i;
    }
}

}  // namespace
}  // namespace orbskin::picture
