// Error diffusion onto the colours a skin can hold, so that smooth gradients do not band.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "skin/bmp.h"
#include "skin/pixels.h"

namespace orbskin::picture {

// Replaces each channel of `pixels` (top row first, `width` to a row) by one of the 32 values
// that survive the skin's 5-bit truncation unchanged, spreading each pixel's rounding error over
// its unvisited neighbours (Floyd–Steinberg, serpentine), so that areas keep their mean colour.
void dither_to_skin_levels(std::span<skin::Rgb> pixels, std::size_t width);

}  // namespace orbskin::picture
