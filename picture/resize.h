// Resizing a picture into another size: where it lands, and its pixels resampled there.
#pragma once

#include "picture/bitmap.h"

namespace orbskin::picture {

// What becomes of a picture of another size: refused, or resized smoothly in one of three ways.
enum class Resize {
    none,
    stretch,  // to the exact size, whatever its shape
    fit,      // the whole picture inside the size, centred, the rest in the background colour
    crop,     // filling the size, the centre kept and the overhang cut off
};

// Where a picture of `width` × `height` lands in a size of `into_width` × `into_height`:
// the part of the source taken, in source pixels, and the rectangle it fills.
struct Placement {
    double source_left, source_top, source_width, source_height;
    int left, top, width, height;
};
[[nodiscard]] Placement place(int width, int height, int into_width, int into_height, Resize how);

// `bitmap` resized into `into_width` × `into_height` as `placement` says, with a tent filter as
// wide as the scale, in premultiplied alpha, so that shrinking averages every source pixel and
// enlarging interpolates; outside the placement it is transparent. Works a row at a time: beside
// the source it holds only the rows resized across.
[[nodiscard]] Bitmap scaled(const Bitmap& bitmap, int into_width, int into_height,
                            const Placement& placement);

}  // namespace orbskin::picture
