// From a picture file's bytes to its pixels, the same on every platform. The guards refuse a file
// first (empty, a damaged PNG, a format we do not read, too large, cut short); then BMP and TGA
// are read by our own decoders, and any other format by the platform's decoder that the front end
// hands in, which gives a PNG to our own PNG reader. What the platform decodes is turned upright
// here, by the file's EXIF orientation, and a GIF's first frame is laid on the GIF's screen.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "picture/bitmap.h"
#include "runtime/message.h"

namespace orbskin::picture {

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

// Decodes BMP and TGA with our own decoders and the rest with `platform` (PNG, which the
// platform hands to our own PNG reader; JPEG, GIF's first frame, TIFF, WebP where available),
// turned as photo viewers show it. Throws runtime::Error, naming `source`, for bytes that are
// empty, not a picture, of a format we refuse, too large, cut short or damaged (see guard.h).
// It takes the file's bytes, so that a platform's decoder can free them once it has decoded
// them and a large picture is not held as file, decoded picture and copy at once.
[[nodiscard]] Bitmap decode_picture(std::vector<std::uint8_t> bytes, const std::string& source,
                                    PlatformDecoder platform);

}  // namespace orbskin::picture
