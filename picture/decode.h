// From a picture file's bytes to its pixels, the same on every platform. The file's head
// (picture_head.h), read once by the caller, chooses the reader and says what is refused before
// any decoding: BMP, TGA, PNG and TIFF are read by our own readers, any other format by the
// platform's decoder that the front end hands in. What the platform decodes is turned upright here,
// by the file's EXIF orientation, and the first frame of a GIF or of an animated WebP (handed to
// the platform alone, as a still WebP) is laid on its screen.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "picture/bitmap.h"
#include "picture/picture_head.h"
#include "picture/png_decoder.h"
#include "runtime/error.h"

namespace orbskin::picture {

// A platform's decoder: the picture as stored, not turned. Throws NoDecoderHere where the platform
// has no reader at all for the file's format (Windows without a WebP codec), runtime::Error where
// its reader fails on the file.
using PlatformDecoder = Bitmap (*)(std::vector<std::uint8_t> bytes, const std::string& source);
struct NoDecoderHere : runtime::Error {
    using runtime::Error::Error;
};

// What a front end hands in: its inflater for our PNG reader, and its decoder for the formats
// only it reads (none where it has none: such a file is then refused in our words).
struct Decoders {
    Inflater inflate = nullptr;
    PlatformDecoder platform = nullptr;
};

// The extension of the format that the bytes are really in, by their first bytes: ".png", ".psd",
// ".ppm"…; `otherwise` for bytes of no format we know.
[[nodiscard]] std::string real_extension(std::span<const std::uint8_t> bytes,
                                         std::string otherwise);

// Decodes the file whose head is `head` with the reader it names, turned as photo viewers show
// it. Throws runtime::Error, naming `source`, for bytes the head refuses (empty, of a format we
// refuse, too large, cut short) and for what a reader finds damaged. It takes the file's bytes,
// so that a platform's decoder can free them once it has decoded them and a large picture is not
// held as file, decoded picture and copy at once.
[[nodiscard]] Bitmap decode_picture(std::vector<std::uint8_t> bytes, const PictureHead& head,
                                    const std::string& source, const Decoders& decoders);

}  // namespace orbskin::picture
