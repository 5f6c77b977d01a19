// Where the window opens: centred across the screen and 500 twips above its vertical centre.
// Pure arithmetic on twips, in single precision, so it can be checked without a display.
#pragma once

namespace orbskin::window {

struct TwipSize {
    float width;
    float height;
};

struct TwipPosition {
    float left;
    float top;
};

inline constexpr int kTwipsPerInch = 1440;
// The reference resolution, 15 twips a pixel; Qt scales device-independent pixels beyond it.
inline constexpr int kReferenceDpi = 96;
inline constexpr float kRaiseAboveCentre = 500.0f;

// Twips as pixels at `dpi`, to the nearest pixel, halves away from zero as Windows rounds.
[[nodiscard]] constexpr int twips_to_pixels(float twips, int dpi = kReferenceDpi) {
    const float pixels = twips * static_cast<float>(dpi) / kTwipsPerInch;
    return static_cast<int>(pixels < 0 ? pixels - 0.5f : pixels + 0.5f);
}
[[nodiscard]] constexpr int twips_to_pixels(int twips, int dpi = kReferenceDpi) {
    return twips_to_pixels(static_cast<float>(twips), dpi);
}

[[nodiscard]] constexpr float pixels_to_twips(int pixels, int dpi = kReferenceDpi) {
    return static_cast<float>(pixels) * kTwipsPerInch / static_cast<float>(dpi);
}

// The window's outer top-left corner for a screen and a window of these outer sizes. A screen
// smaller than the window gives negative values, which are used unchanged.
[[nodiscard]] constexpr TwipPosition startup_placement(TwipSize screen, TwipSize window) {
    const float top = (screen.height - window.height) / 2.0f - kRaiseAboveCentre;
    const float left = (screen.width - window.width) / 2.0f;
    return {left, top};
}

}  // namespace orbskin::window
