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

std::vector<Rgb> painted(const Paint& paint) {
    std::vector<Rgb> pixels;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            pixels.push_back(paint(x, y));
    return pixels;
}

std::uint8_t u8(int v) {
    return static_cast<std::uint8_t>(v);
}
bool shown_exactly(std::uint8_t v) {
    return v == skin::skin_level(v >> 3u);
}
// Light, near enough for means.
double linear(std::uint8_t v) {
    return std::pow(v / 255.0, 2.2);
}

const Paint kRamp = [](int x, int y) { return Rgb{u8(x * 4), u8(60 + y), u8(200 - x - y)}; };
const Paint kDark = [](int x, int) { return Rgb{u8(x / 2), u8(x / 3), u8(5 + x / 4)}; };
const Paint kNoise = [](int x, int y) {
    const unsigned h = (unsigned(x) * 73856093u ^ unsigned(y) * 19349663u) * 2654435761u;
    return Rgb{u8(h >> 8), u8(h >> 16), u8(h >> 24)};
};

// A gradient near the exact colour 132,66,198, so that error may cross to it.
const Paint kNear = [](int x, int y) {
    return Rgb{u8(120 + x / 2), u8(60 + y / 4), u8(190 + x / 8)};
};

// `paint`'s colours moved onto the handheld's.
Paint on_levels(const Paint& paint) {
    return [=](int x, int y) {
        const Rgb p = paint(x, y);
        return Rgb{skin::skin_level(p.red >> 3u), skin::skin_level(p.green >> 3u),
                   skin::skin_level(p.blue >> 3u)};
    };
}

// Left, a flat colour; right of column 24, `right`.
Paint beside(Rgb flat, const Paint& right) {
    return [=](int x, int y) { return x < 24 ? flat : right(x, y); };
}

TEST(dither, writes_only_colours_the_handheld_shows) {
    for (const Paint& paint : {kRamp, kDark, kNoise, beside({250, 250, 250}, kRamp)}) {
        std::vector<Rgb> pixels = painted(paint);
        dither_to_skin_levels(pixels, kW);
        for (const Rgb& p : pixels)
            ASSERT_TRUE(shown_exactly(p.red) && shown_exactly(p.green) && shown_exactly(p.blue));
    }
}

TEST(dither, leaves_exact_colours_and_flat_areas_beside_edges_alone) {
    // A flat colour the handheld shows exactly stays exactly so; one it does not keeps the
    // pattern it has beside an exact colour, whatever the edge beside it carries.
    const struct {
        Rgb flat;
        Paint right;
    } cases[] = {{{255, 255, 255}, kRamp},  {{0, 0, 0}, kNoise},      {{132, 66, 198}, kNear},
                 {{250, 246, 238}, kNoise}, {{250, 246, 238}, kDark}, {{20, 90, 180}, kRamp}};
    for (const auto& [flat, right] : cases) {
        const Paint exact = [](int, int) { return Rgb{255, 0, 0}; };
        std::vector<Rgb> edged = painted(beside(flat, right)), alone = painted(beside(flat, exact));
        const std::vector<Rgb> before = edged;
        dither_to_skin_levels(edged, kW);
        dither_to_skin_levels(alone, kW);
        int changed = 0;
        for (std::size_t i = 0; i < edged.size(); ++i)
            if (int(i % kW) < 24 &&
                (edged[i] != alone[i] || (shown_exactly(flat.red) && edged[i] != before[i])))
                ++changed;
        EXPECT_EQ(changed, 0) << int(flat.red) << "," << int(flat.green) << "," << int(flat.blue);
    }
    std::vector<Rgb> exact = painted(on_levels(kNoise));
    dither_to_skin_levels(exact, kW);
    EXPECT_EQ(exact, painted(on_levels(kNoise)));
}

TEST(dither, keeps_the_mean_light_of_each_area_of_a_gradient) {
    // Exact colours among the shades, which the error must go round.
    const Paint dotted = [](int x, int y) {
        return (x + y) % 3 ? kRamp(x, y) : on_levels(kRamp)(x, y);
    };
    for (const Paint& paint : {kRamp, kDark, beside({200, 120, 40}, kRamp), dotted}) {
        const std::vector<Rgb> before = painted(paint);
        std::vector<Rgb> after = before;
        dither_to_skin_levels(after, kW);
        double worst = 0;
        for (int by = 0; by < kH; by += 8)
            for (int bx = 0; bx < kW; bx += 8)
                for (std::uint8_t Rgb::*c : {&Rgb::red, &Rgb::green, &Rgb::blue}) {
                    double sum = 0;
                    for (int y = by; y < by + 8; ++y)
                        for (int x = bx; x < bx + 8; ++x)
                            sum += linear(after[y * kW + x].*c) - linear(before[y * kW + x].*c);
                    worst = std::max(worst, std::abs(sum / 64));
                }
        EXPECT_LT(worst, 0.004);  // a level near the middle is 0.03 apart
    }
}

TEST(dither, is_proposed_for_photos_and_gradients_alone) {
    const Paint drawing = [](int x, int y) {
        return x == y || x == 40 ? Rgb{200, 40, 40} : Rgb{246, 244, 238};
    };
    const struct {
        Paint paint;
        bool helps;
    } cases[] = {{kRamp, true},
                 {kDark, true},
                 {kNoise, true},
                 {drawing, false},
                 {on_levels(kNoise), false},
                 {beside({0, 0, 0}, on_levels(kRamp)), false}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Bitmap bitmap{kW, kH, {}};
        for (const Rgb& p : painted(cases[i].paint))
            bitmap.pixels.push_back(0xFF000000u | p.red << 16 | p.green << 8 | p.blue);
        EXPECT_EQ(dither_helps(bitmap), cases[i].helps) << "case " << i;
    }
}

}  // namespace
}  // namespace orbskin::picture
