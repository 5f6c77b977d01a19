// Floyd–Steinberg error diffusion in sixteenths, one row of carried error ahead per channel.
#include "picture/dither.h"

#include <algorithm>
#include <array>
#include <vector>

namespace orbskin::picture {
using skin::Rgb;
using skin::skin_level;

namespace {

// The level whose shown value is nearest to `value`.
std::uint8_t nearest_level(int value) {
    const int clamped = std::clamp(value, 0, 255);
    const unsigned five = static_cast<unsigned>(clamped) >> 3;
    std::uint8_t best = skin_level(five);
    for (const unsigned other : {five - 1, five + 1}) {
        if (other > 31) continue;
        if (std::abs(skin_level(other) - clamped) < std::abs(best - clamped))
            best = skin_level(other);
    }
    return best;
}

constexpr std::array<std::uint8_t Rgb::*, 3> kChannels{&Rgb::red, &Rgb::green, &Rgb::blue};

}  // namespace

void dither_to_skin_levels(std::span<Rgb> pixels, std::size_t width) {
    if (width == 0) return;
    const std::size_t height = pixels.size() / width;
    // Error carried to this row and the next, in sixteenths, with a column of margin each side.
    std::array<std::vector<int>, 3> here, below;
    for (std::size_t c = 0; c < 3; ++c)
        here[c].assign(width + 2, 0), below[c].assign(width + 2, 0);
    for (std::size_t y = 0; y < height; ++y) {
        const bool forward = y % 2 == 0;
        for (std::size_t i = 0; i < width; ++i) {
            const std::size_t x = forward ? i : width - 1 - i;
            const std::size_t at = x + 1;  // in the carried rows
            const std::size_t ahead = forward ? at + 1 : at - 1, behind = forward ? at - 1 : at + 1;
            for (std::size_t c = 0; c < 3; ++c) {
                std::uint8_t& value = pixels[y * width + x].*kChannels[c];
                const int wanted = value * 16 + here[c][at];
                value = nearest_level((wanted + 8) >> 4);
                const int error = wanted - value * 16;
                here[c][ahead] += error * 7 / 16;
                below[c][behind] += error * 3 / 16;
                below[c][at] += error * 5 / 16;
                below[c][ahead] += error / 16;
            }
        }
        for (std::size_t c = 0; c < 3; ++c) {
            here[c].swap(below[c]);
            std::fill(below[c].begin(), below[c].end(), 0);
        }
    }
}

}  // namespace orbskin::picture
