// Our own BMP decoder: every kind of BMP file image tools write, with one rule for every
// platform. The header's fields and the layouts read are skin/bmp.h's.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "picture/bitmap.h"

namespace orbskin::picture {

// The picture of a whole BMP file. Channels narrower than 8 bits are widened to the nearest
// level (31 of 31 is 255); a 32-bit picture whose fourth bytes are all zero is opaque. Throws
// runtime::Error, naming `source`, for a file that is damaged (cut short, sizes that overflow,
// runs past the rows), far too large, or of a layout it does not read.
[[nodiscard]] Bitmap decode_bmp(std::span<const std::uint8_t> bytes, const std::string& source);

}  // namespace orbskin::picture
