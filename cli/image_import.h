// The canonical picture a skin needs, made from any decoded image.
#pragma once

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "skin/bmp.h"
#include "skin/layout.h"

namespace orbskin::cli {

// The whole of a picture file to import. Throws runtime::Error when it cannot be read or is far
// larger than any picture a skin could use.
[[nodiscard]] QByteArray read_picture_file(const std::string& file);

// Decodes any format Qt reads, turned as photo viewers show it. Throws runtime::Error, naming
// `source`, for bytes that are not a picture, and for a PNG whose chunks claim more bytes than
// the file holds: Qt's PNG reader would reserve all of that memory before refusing it.
[[nodiscard]] QImage decode_picture(const QByteArray& bytes, const std::string& source);

// The 24-bit BMP file of `picture` from `image`: resized smoothly when `scale` is set, with
// transparent parts laid over `background`. Throws runtime::Error, naming `source`, when the
// size differs and `scale` is not set.
[[nodiscard]] std::vector<std::uint8_t> canonical_picture(QImage image,
                                                          const skin::Picture& picture, bool scale,
                                                          skin::Rgb background,
                                                          const std::string& source);

}  // namespace orbskin::cli
