// Explains in words what any picture file is and whether the skin would show it as drawn: other
// formats by their headers, a BMP by the skin's own check.
#pragma once

#include <cstdint>
#include <span>

#include "skin/picture_check.h"

namespace orbskin::picture {

// How many leading bytes of a file explain_picture() looks at.
// Enough for a JPEG's frame header behind a camera's EXIF block, which may take 64 KiB.
inline constexpr std::size_t kPictureHeadLength = std::size_t{1} << 17;

// `head` holds the file's first bytes, `length` its whole length. kPictureHeadLength bytes tell
// all but the size of a TIFF or JPEG whose header lies further on (size_lies_past()).
[[nodiscard]] skin::PictureVerdict explain_picture(std::span<const std::uint8_t> head,
                                                   std::uint64_t length,
                                                   const skin::Picture& expected);

}  // namespace orbskin::picture
