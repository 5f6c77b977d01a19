// From a picture file's bytes to its pixels: our BMP reader or the platform's decoders, guarded
// and turned upright the same way on every platform.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "picture/bitmap.h"
#include "runtime/message.h"

namespace orbskin::picture {

// Decodes BMP with our own reader and the rest with `platform` (PNG, JPEG, GIF's first
// frame, TIFF, WebP where available), turned as photo viewers show it. Throws runtime::Error,
// naming `source`, for bytes that are not a picture or are damaged, and for a damaged PNG (see
// refuse_damaged_png()).
// It takes the file's bytes and frees them once the decoder is done with them, so that a large
// picture is not held as file, decoded picture and copy at once.
// Whether our own decoders read the bytes (BMP and TGA), on every platform and in the page.
[[nodiscard]] bool decoded_by_us(std::span<const std::uint8_t> bytes);

// The picture of a BMP or TGA file, by our own decoders.
[[nodiscard]] Bitmap decode_ours(std::span<const std::uint8_t> bytes, const std::string& source);

// Why a platform that cannot read the bytes refuses them, in our words, the same on every
// platform and in the page: a platform may read more formats than ours (PPM with Qt), so this
// is said only where it reads none. Nothing for bytes of a format we know.
[[nodiscard]] std::optional<runtime::Message> unknown_format(std::span<const std::uint8_t> bytes);

// The extension of the format that the bytes are really in, by their first bytes: ".png", ".psd",
// ".ppm"…; `otherwise` for bytes of no format we know.
[[nodiscard]] std::string real_extension(std::span<const std::uint8_t> bytes,
                                         std::string otherwise);

// A platform's decoder: the picture as stored, not turned.
using PlatformDecoder = Bitmap (*)(std::vector<std::uint8_t> bytes, const std::string& source);

[[nodiscard]] Bitmap decode_picture(std::vector<std::uint8_t> bytes, const std::string& source,
                                    PlatformDecoder platform);

}  // namespace orbskin::picture
