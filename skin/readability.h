// Whether each text colour can be read over the picture it is drawn on: the WCAG 2 contrast
// ratio between the colour and the part of the picture where the positions put the text.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime/message.h"
#include "skin/bmp.h"
#include "skin/build.h"
#include "skin/settings.h"

namespace orbskin::skin {

// Below this, text is hard to read (WCAG 2's figure for large text).
inline constexpr double kReadableContrast = 3.0;

// WCAG 2 relative luminance of an sRGB colour: 0 for black, 1 for white.
[[nodiscard]] double relative_luminance(Rgb colour);

// WCAG 2 contrast ratio of two relative luminances, from 1 to 21.
[[nodiscard]] double contrast_ratio(double a, double b);

// A ratio's first figure, as users read it: 2.4 for 2.4:1, never rounded up past a threshold.
[[nodiscard]] runtime::Number ratio_number(double ratio);
// The ratio as `writing` writes it: "2.4:1", "2,4:1".
[[nodiscard]] std::string ratio_text(double ratio,
                                     const runtime::Writing& writing = runtime::kEnglishWriting);

struct Readability {
    std::size_t group;    // the colour's group in kSettingsGroups
    std::size_t picture;  // the picture it is drawn over, in kPictures
    Rgb colour;
    double ratio;
    [[nodiscard]] bool readable() const { return ratio >= kReadableContrast; }
};

// The contrast of each text colour against the mean relative luminance of the area it is drawn
// over: the list and the selected entry over listnds.bmp from the list position to its
// bottom-right corner, the ebook text over all of ebooknds.bmp. A colour or position whose text is
// not a number from 0 to 255, or a picture that is missing or not the plain 24-bit BMP of its
// size, gives no figure.
[[nodiscard]] std::vector<Readability> readability(const PictureFiles& pictures,
                                                   const SkinSettings& settings);

// "List text color 0,0,255 over listnds.bmp: contrast 2.4:1, below 3:1, so it may be hard to
// read"; the one wording of the page and of check.
[[nodiscard]] runtime::Message readability_message(const Readability& figure);

}  // namespace orbskin::skin
