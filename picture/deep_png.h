// The pixels of a PNG of 16 bits a channel from its inflated image data, for a front end whose
// decoder reduces such a PNG to 8 bits its own way: reduced here by pixel_from_16bit(), as on
// the desktop.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "picture/bitmap.h"

namespace orbskin::picture {

// The PNG colour types of 16-bit channels: grey, RGB, grey and alpha, RGBA.
enum class DeepColour : std::uint8_t { grey = 0, rgb = 2, grey_alpha = 4, rgba = 6 };

// Unfilters `data`, the concatenated and inflated IDAT of a non-interlaced PNG of `width` ×
// `height` and 16-bit `colour`. Throws runtime::Error naming `source` when the data is not as
// long as that picture needs or a row names an unknown filter.
[[nodiscard]] Bitmap deep_png_pixels(std::span<const std::uint8_t> data, int width, int height,
                                     DeepColour colour, const std::string& source);

}  // namespace orbskin::picture
