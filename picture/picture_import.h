// import's pipeline from any picture file to the canonical BMP a skin needs. Everything but the
// decoding is plain C++, so every platform gives the same pixels for the same decoded picture.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "runtime/error.h"
#include "skin/bmp.h"
#include "skin/bmp_reader.h"
#include "skin/layout.h"

namespace orbskin::picture {

using skin::Bitmap;

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

struct Conversion {
    Resize resize = Resize::none;
    bool dither = false;     // diffuse the error of the skin's 5-bit channels
    skin::Rgb background{};  // what transparent parts are laid over
};

// Files above this are not pictures of a few hundred pixels a side.
inline constexpr std::uint64_t kLargestPictureFile = 256u << 20;
// "SUBJECT is N MB, too large to be a picture for a skin", for a file above that.
[[nodiscard]] std::string too_large_text(const std::string& subject, std::uint64_t length);

// Throws runtime::Error, naming `source`, for a PNG whose chunks claim more bytes than the file
// holds: a decoder would reserve all of that memory before refusing it.
void refuse_damaged_png(std::span<const std::uint8_t> bytes, const std::string& source);

// A pixel of 16-bit channels, each reduced to the nearest of the 256 levels of 8 bits, so that
// every platform gives the same pixels for the same deep PNG or TIFF.
[[nodiscard]] std::uint32_t pixel_from_16bit(std::uint16_t red, std::uint16_t green,
                                             std::uint16_t blue, std::uint16_t alpha);

struct Size {
    std::int64_t width = 0, height = 0;
};

// The size a PNG, JPEG, GIF, WebP or BMP file's header claims, read before any decoding so that a
// decompression bomb can be refused; nothing when the header does not say.
[[nodiscard]] std::optional<Size> claimed_size(std::span<const std::uint8_t> bytes);

// The orientation (1 to 8) a JPEG's EXIF block or a TIFF file records; 1 when it records none
// or is damaged.
[[nodiscard]] int exif_orientation(std::span<const std::uint8_t> bytes);

// Marks the bytes as stored upright (orientation 1), for a decoder that would otherwise turn the
// picture itself: upright() is then the only place that turns it.
void clear_orientation(std::span<std::uint8_t> bytes);

// `bitmap` as shown when stored with that EXIF orientation: turned and flipped upright.
[[nodiscard]] Bitmap upright(const Bitmap& bitmap, int orientation);

// `bitmap` resized into `into_width` × `into_height` as `placement` says, with a tent filter as
// wide as the scale, in premultiplied alpha, so that shrinking averages every source pixel and
// enlarging interpolates; outside the placement it is transparent. Works a row at a time: beside
// the source it holds only the rows resized across.
[[nodiscard]] Bitmap scaled(const Bitmap& bitmap, int into_width, int into_height,
                            const Placement& placement);

// A picture of another size where no resizing was asked for. Its text states the fact, e.g.
// '"a.png" is 320×240, but mainnds.bmp must be 256×192'; each front end adds its own advice.
class OtherSize : public runtime::Error {
  public:
    using runtime::Error::Error;
};

// The 24-bit BMP file of `picture` from `bitmap`. Throws OtherSize, naming `source`, when the
// size differs and `how.resize` is Resize::none.
[[nodiscard]] std::vector<std::uint8_t> canonical_picture(const Bitmap& bitmap,
                                                          const skin::Picture& picture,
                                                          const Conversion& how,
                                                          const std::string& source);

}  // namespace orbskin::picture
