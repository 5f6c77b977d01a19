// An animated WebP's first frame as a still WebP, so that every platform's decoder reads it: some
// refuse an animation, and each composes one its own way.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "picture/picture_head.h"

namespace orbskin::picture {

struct StillFrame {
    std::vector<std::uint8_t> webp;  // the frame's own image data in a still WebP of its size
    FirstFrame place;                // where it lies on the animation's canvas
};

// The first frame of an animated WebP (VP8X with its animation flag, ANMF frames); nothing for a
// still one, or for an animation whose first frame cannot be found whole.
[[nodiscard]] std::optional<StillFrame> first_webp_frame(std::span<const std::uint8_t> file);

}  // namespace orbskin::picture
