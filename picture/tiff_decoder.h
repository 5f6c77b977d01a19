// Our own TIFF reader, the same on every front end: the first image of a baseline TIFF, of 8 or
// 16 bits a sample, grey (either way round), palette, RGB and RGB with alpha (associated or not),
// chunky or planar, in strips or tiles, uncompressed, PackBits, LZW or Deflate (with or without
// the horizontal predictor), either byte order. Like the PNG reader it comes in steps, so that
// the page can inflate Deflate pieces with the browser's own inflater:
//
//   walk_tiff()     reads the first directory and checks it: the layout, the size against our
//                   limit, and that every strip or tile lies within the file;
//   (decompress)    each piece, a strip or a tile, to exactly tiff_piece_length() bytes;
//   tiff_pixels()   undoes the predictor and lays each piece's samples out as pixels.
//
// What it does not read (JPEG or CCITT compression, CMYK, YCbCr, other depths, floating point)
// is refused in words that name it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "picture/bitmap.h"
#include "picture/png_decoder.h"

namespace orbskin::picture {

struct TiffImage {
    int width = 0, height = 0;
    bool little = true;                     // II: least significant byte first
    std::uint32_t compression = 1;          // 1 none, 5 LZW, 8 or 32946 Deflate, 32773 PackBits
    bool predictor = false;                 // horizontal differencing (2)
    std::uint32_t photometric = 1;          // 0 white is zero, 1 black is zero, 2 RGB, 3 palette
    bool planar = false;                    // each sample in pieces of its own
    int bits = 8;                           // 8 or 16
    int samples = 1;                        // a pixel's, extra samples included
    int alpha = 0;                          // the sample that is alpha, 0 where there is none
    bool associated = false;                // colours premultiplied by alpha
    std::vector<std::uint32_t> palette;     // 0xFFRRGGBB
    int piece_width = 0, piece_height = 0;  // a tile's sides, or the width and rows of a strip
    bool tiled = false;
    std::vector<std::span<const std::uint8_t>> pieces;  // as stored, in the file's order
};

// Throws runtime::Error, naming `source`, for a file that is damaged, far too large, or of a kind
// it does not read. The pieces point into `bytes`.
[[nodiscard]] TiffImage walk_tiff(std::span<const std::uint8_t> bytes, const std::string& source);

// Whether the pieces are Deflate streams, which an Inflater reads.
[[nodiscard]] bool tiff_deflated(const TiffImage& tiff);

// The bytes piece `index` decompresses to.
[[nodiscard]] std::size_t tiff_piece_length(const TiffImage& tiff, std::size_t index);

// The pixels from every piece decompressed, in order, end to end.
[[nodiscard]] Bitmap tiff_pixels(const TiffImage& tiff, std::span<const std::uint8_t> decompressed,
                                 const std::string& source);

// The three steps in one; `inflate` reads Deflate pieces (none where the front end has none).
[[nodiscard]] Bitmap decode_tiff(std::span<const std::uint8_t> bytes, const std::string& source,
                                 Inflater inflate);

}  // namespace orbskin::picture
