// The canonical picture a skin needs, made from any decoded image.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "skin/bmp.h"
#include "skin/layout.h"

namespace orbskin::cli {

// The 24-bit BMP file of `picture` from `image`: resized smoothly when `scale` is set, with
// transparent parts laid over `background`. Throws runtime::Error, naming `source`, when the
// size differs and `scale` is not set.
[[nodiscard]] std::vector<std::uint8_t> canonical_picture(QImage image,
                                                          const skin::Picture& picture, bool scale,
                                                          skin::Rgb background,
                                                          const std::string& source);

}  // namespace orbskin::cli
