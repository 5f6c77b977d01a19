// Turning a picture upright; where its orientation lies is read by picture/picture_head.
#include "picture/orientation.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "picture/picture_head.h"

namespace orbskin::picture {

void clear_orientation(std::span<std::uint8_t> bytes) {
    const OrientationTag tag = orientation_tag(bytes);
    if (tag.at == 0) return;
    bytes[tag.at] = tag.little ? 1 : 0;
    bytes[tag.at + 1] = tag.little ? 0 : 1;
}

Bitmap upright(const Bitmap& bitmap, int orientation) {
    if (orientation <= 1 || orientation > 8) return bitmap;
    const int w = bitmap.width, h = bitmap.height;
    const bool swapped = turned_a_quarter(orientation);
    Bitmap result{swapped ? h : w, swapped ? w : h,
                  std::vector<std::uint32_t>(bitmap.pixels.size())};
    for (int y = 0; y < result.height; ++y) {
        for (int x = 0; x < result.width; ++x) {
            // Where the shown pixel (x, y) is stored, for orientations 2 to 8.
            const std::pair<int, int> from[] = {
                {w - 1 - x, y}, {w - 1 - x, h - 1 - y}, {x, h - 1 - y}, {y, x},
                {y, h - 1 - x}, {w - 1 - y, h - 1 - x}, {w - 1 - y, x}};
            const auto [sx, sy] = from[orientation - 2];
            result.pixels[std::size_t(y) * result.width + x] =
                bitmap.pixels[std::size_t(sy) * w + sx];
        }
    }
    return result;
}

}  // namespace orbskin::picture
