// Turning a picture as photo viewers show it: the EXIF orientation a JPEG, PNG or TIFF records.
#pragma once

#include <cstdint>
#include <span>

#include "picture/bitmap.h"

namespace orbskin::picture {

// Marks the bytes as stored upright (orientation 1), for a decoder that would otherwise turn the
// picture itself: upright() is then the only place that turns it.
void clear_orientation(std::span<std::uint8_t> bytes);

// Whether a picture stored with that EXIF orientation is shown turned a quarter, its width and
// height swapped.
[[nodiscard]] constexpr bool turned_a_quarter(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

// `bitmap` as shown when stored with that EXIF orientation: turned and flipped upright.
[[nodiscard]] Bitmap upright(const Bitmap& bitmap, int orientation);

}  // namespace orbskin::picture
