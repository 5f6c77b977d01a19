// Our own PNG reader, the same on every front end. Inflating is the one step left to the front
// end (zlib on the desktop, the browser's own inflater in the page), so it comes in three steps:
//
//   walk_png()     walks the chunks and checks them: signature, lengths, checksums of the parts
//                  that decide pixels, the header's fields and its size against our limit, the
//                  palette and tRNS; gathers the image data of the default image (an APNG's
//                  frames after it are not read);
//   (inflate)      the image data, a zlib stream, to exactly png_inflated_length() bytes;
//   png_pixels()   unfilters, de-interlaces (Adam7) and converts every colour type and depth,
//                  from all of the inflated data at once (the page) or as an Inflater hands it
//                  on (decode_png()).
//
// gAMA, cHRM, sRGB and iCCP change no pixel: the skin takes the stored numbers as they are.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "picture/bitmap.h"
#include "runtime/message.h"

namespace orbskin::picture {

// What walk_png() found: the header's fields, the palette, tRNS and the image data's pieces.
struct PngImage {
    int width = 0, height = 0;
    int depth = 0;   // bits a sample: 1, 2, 4, 8 or 16
    int colour = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
    bool interlaced = false;
    std::vector<std::uint32_t> palette;  // 0xAARRGGBB, alpha from tRNS
    // tRNS's colour key: the grey sample, or red, green and blue, at the file's depth.
    std::optional<std::array<std::uint16_t, 3>> key;
    std::vector<std::span<const std::uint8_t>> data;  // the IDAT chunks' data, in order
    bool srgb = false;                                // an sRGB chunk
    std::optional<std::string> profile;               // an iCCP chunk's profile name
};

// Throws runtime::Error, naming `source`, for a file that is not a PNG we read, with the rule it
// breaks. The pieces in `data` point into `bytes`.
[[nodiscard]] PngImage walk_png(std::span<const std::uint8_t> bytes, const std::string& source);

// The length of the image data once inflated: the filter byte and the samples of every row of
// every pass.
[[nodiscard]] std::size_t png_inflated_length(const PngImage& png);

// The pixels from the inflated image data. Throws runtime::Error, naming `source`, when the data
// is cut short, a row names an unknown filter, or a pixel names a colour the palette lacks.
[[nodiscard]] Bitmap png_pixels(const PngImage& png, std::span<const std::uint8_t> inflated,
                                const std::string& source);

// Where an inflater hands on the inflated image data, in order, a part at a time.
using InflatedSink = std::function<void(std::span<const std::uint8_t>)>;

// A front end's inflater: the zlib stream in `pieces`, inflated to `length` bytes (more is left
// unread) and handed to `sink` a part at a time, so that a large picture's data, which may be
// twice its decoded pixels, is never held whole. Throws runtime::Error, naming `source`, when the
// stream is damaged or gives less.
using Inflater = void (*)(std::span<const std::span<const std::uint8_t>> pieces, std::size_t length,
                          const InflatedSink& sink, const std::string& source);

// The three steps in one.
[[nodiscard]] Bitmap decode_png(std::span<const std::uint8_t> bytes, const std::string& source,
                                Inflater inflate);

// The cause of a refusal of a PNG whose image data does not inflate: "it is a damaged PNG file:
// its image data WHY".
[[nodiscard]] runtime::Message damaged_png_data(const runtime::Message& why);

}  // namespace orbskin::picture
