// Our own TGA decoder, on every platform, as pixel editors write TGA: uncompressed and
// run-length encoded; colour-mapped (15, 16, 24 or 32-bit colours), grey (8 bits, or 16 with
// alpha), true colour of 15/16, 24 and 32 bits; either origin.
//
//   offset  size  field (all little-endian)
//   0       1     length of the image ID that follows the header
//   1       1     colour map type: 0 none, 1 present
//   2       1     image type: 1 colour-mapped, 2 true colour, 3 grey; 9, 10, 11 the same, RLE
//   3       2     first colour map entry   5  2  colour map length   7  1  bits per map entry
//   12      2     width                    14 2  height
//   16      1     bits per pixel
//   17      1     descriptor: bits 0-3 alpha bits, bit 4 right to left, bit 5 top row first
// Then the image ID, the colour map and the pixels. RLE packets: a byte whose high bit marks a
// run of one pixel (low 7 bits + 1 times), or else that many pixels as they are.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "picture/bitmap.h"

namespace orbskin::picture {

// The picture of a whole TGA file; tga_header() tells one. Throws runtime::Error,
// naming `source`, for a file that is damaged, far too large, or of a layout it does not read.
[[nodiscard]] Bitmap decode_tga(std::span<const std::uint8_t> bytes, const std::string& source);

}  // namespace orbskin::picture
