// Decoding a picture file's bytes.
#include "picture/decode.h"

#include "picture/bmp_decoder.h"
#include "picture/guard.h"
#include "picture/orientation.h"
#include "skin/byte_order.h"

namespace orbskin::picture {

Bitmap decode_picture(std::vector<std::uint8_t> bytes, const std::string& source,
                      PlatformDecoder platform) {
    refuse_damaged_png(bytes, source);
    refuse_foreign(bytes, source);
    if (skin::starts_with(bytes, "BM")) return picture::decode_bmp(bytes, source);
    // Turned here rather than by the platform, so that every platform turns alike.
    const int orientation = exif_orientation(bytes);
    return upright(platform(std::move(bytes), source), orientation);
}

}  // namespace orbskin::picture
