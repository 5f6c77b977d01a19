// Error diffusion onto the colours the handheld shows, so that smooth gradients do not band.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "picture/bitmap.h"
#include "skin/bmp.h"
#include "skin/pixels.h"

namespace orbskin::picture {

// Replaces each pixel of `pixels` (top row first, `width` to a row) by a colour the handheld
// shows, which the skin's 5-bit truncation keeps: the nearest in CIELAB to the pixel's colour
// plus the error carried to it, in linear light, from the pixels before it (Floyd–Steinberg's
// weights, serpentine), so that areas keep their mean colour. A pixel already on the handheld's
// colours is kept, and error crosses no edge between areas of clearly different colours.
void dither_to_skin_levels(std::span<skin::Rgb> pixels, std::size_t width);

// Whether dithering would show `bitmap` better, as check and the page propose it: most of its
// visible pixels are off the handheld's levels, and it holds a photo's many colours or smooth
// shades that cross a level between neighbours a few values apart, where the handheld would
// show bands. Not for flat drawings, nor for pictures already on the levels.
[[nodiscard]] bool dither_helps(const Bitmap& bitmap);

}  // namespace orbskin::picture
