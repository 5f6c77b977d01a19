// The twelve starting pictures of a new skin, for orbskin-cli new and the page's "Start from
// templates": each of its size, in quiet greys, labelled faintly with its name and size. The main
// screen shows the six icon boxes at their starting positions, the list screen where the list
// starts, and the small icons their 16 × 16 grid of pixels. Drawn here, with a font of our own,
// so that every platform and the page give the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orbskin::picture {

// The canonical BMP file of picture `index` (in skin::kPictures' order).
[[nodiscard]] std::vector<std::uint8_t> template_picture(std::size_t index);

}  // namespace orbskin::picture
