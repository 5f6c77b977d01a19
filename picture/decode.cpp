// Decoding a picture file's bytes.
#include "picture/decode.h"

#include "runtime/error.h"
#include "skin/byte_order.h"

namespace orbskin::picture {

Bitmap decode_picture(std::vector<std::uint8_t> bytes, const std::string& source) {
    refuse_damaged_png(bytes, source);
    if (skin::starts_with(bytes, "BM")) return skin::decode_bmp(bytes, source);
    // Turned here rather than by the platform, so that every platform turns alike.
    const int orientation = exif_orientation(bytes);
    return upright(decode_with_platform(std::move(bytes), source), orientation);
}

}  // namespace orbskin::picture
