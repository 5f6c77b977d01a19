// How a skin will look, as every front end judges and sketches it: when a picture is mostly
// transparent, and the sample lines of text drawn over the list and ebook screens.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "picture/bitmap.h"
#include "runtime/message.h"

namespace orbskin::picture {

// Whether more than half of the picture is mostly see-through: laid over black, it may be too
// dark, which import and the page advise on.
[[nodiscard]] inline bool mostly_transparent(const Bitmap& image) {
    const auto clear = std::count_if(image.pixels.begin(), image.pixels.end(),
                                     [](std::uint32_t p) { return (p >> 24) < 128; });
    return static_cast<std::size_t>(clear) * 2 > image.pixels.size();
}

// A sample line, in the colour of a text colour group (0 list, 1 selected, 2 ebook).
struct SampleLine {
    const char* text;
    std::size_t colour_group;
};

// The list from the list position, its second line selected; an ebook's page from kEbookAt.
inline constexpr std::array<SampleLine, 4> kListSamples{
    {{C_("a line of the sample list", "Music"), 0},
     {C_("a line of the sample list", "Photos"), 1},
     {C_("a line of the sample list", "Games"), 0},
     {C_("a line of the sample list", "Books"), 0}}};
inline constexpr std::array<SampleLine, 3> kEbookSamples{
    {{runtime::N_("It had stopped raining by").data(), 2},
     {runtime::N_("the time the last train").data(), 2},
     {runtime::N_("came into the station.").data(), 2}}};
inline constexpr int kEbookAt = 8;            // left and top, in the picture's pixels
inline constexpr int kSampleLineHeight = 16;  // in the picture's pixels

}  // namespace orbskin::picture
