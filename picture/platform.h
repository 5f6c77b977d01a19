// What the platform does for the picture pipeline, in orbskin::picture_platform: Qt on Linux,
// the Windows Imaging Component and GDI on Windows. The pipeline never calls these itself; a
// front end hands decode_with_platform() to decode_picture().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "picture/bitmap.h"
#include "picture/decode.h"
#include "picture/inflate_zlib.h"
#include "picture/preview.h"

namespace orbskin::picture {

// Decodes without the guard, by the platform's decoders: Qt's, or Windows Imaging Component's,
// as stored, not turned. Pictures of more than 8 bits a channel are decoded at 16 and reduced by
// pixel_from_16bit().
[[nodiscard]] Bitmap decode_with_platform(std::vector<std::uint8_t> bytes,
                                          const std::string& source);

// The PNG file of `sheet` with its texts drawn in the platform's fonts: Qt's on Linux, GDI's on
// Windows. Throws runtime::Error when it cannot be drawn or encoded.
// This platform's decoders: zlib for our PNG reader, and the platform's own for what only it reads.
inline constexpr Decoders kDesktopDecoders{inflate_zlib, decode_with_platform};

[[nodiscard]] std::vector<std::uint8_t> render_png(const Sheet& sheet);

}  // namespace orbskin::picture
