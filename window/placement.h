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

// The reference resolution: 96 dots per inch; Qt scales device-independent pixels beyond it.
inline constexpr int kTwipsPerPixel = 15;
inline constexpr float kRaiseAboveCentre = 500.0f;

// The window's outer top-left corner for a screen and a window of these outer sizes. A screen
// smaller than the window gives negative values, which are used unchanged.
[[nodiscard]] constexpr TwipPosition startup_placement(TwipSize screen, TwipSize window) {
    const float top = (screen.height - window.height) / 2.0f - kRaiseAboveCentre;
    const float left = (screen.width - window.width) / 2.0f;
    return {left, top};
}

}  // namespace orbskin::window
