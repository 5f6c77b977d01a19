// The last step of import: a decoded picture made the canonical BMP a skin needs, resized,
// laid over its background and dithered as asked. Plain C++, so every platform gives the same
// bytes for the same decoded picture.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "picture/bitmap.h"
#include "picture/resize.h"
#include "runtime/error.h"
#include "skin/bmp.h"
#include "skin/layout.h"

namespace orbskin::picture {

struct Conversion {
    Resize resize = Resize::none;
    bool dither = false;     // diffuse the error of the skin's 5-bit channels
    skin::Rgb background{};  // what transparent parts are laid over
    // Where the bitmap is a reduction of the picture (a preview of a way), the picture's own
    // size: the placement is worked out on it, so that the preview is laid out as the picture.
    int own_width = 0, own_height = 0;
};

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
