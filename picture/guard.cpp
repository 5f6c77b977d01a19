// The guards read only headers, each field through a bounds-checked reader.
#include "picture/guard.h"

#include "picture/bitmap.h"
#include "picture/png_decoder.h"
#include "picture/wording.h"
#include "runtime/error.h"
#include "skin/bmp.h"
#include "skin/byte_order.h"

namespace orbskin::picture {

void refuse_damaged_png(std::span<const std::uint8_t> bytes, const std::string& source) {
    if (skin::starts_with(bytes, skin::kPngSignature)) (void)walk_png(bytes, source);
}

void refuse_foreign(std::span<const std::uint8_t> bytes, const std::string& source) {
    if (const skin::ForeignFormat* foreign = skin::foreign_format(bytes)) {
        throw runtime::Error(unreadable_picture_text(
            source, "it is " + std::string(foreign->article) + " " + std::string(foreign->name) +
                        ": " + std::string(foreign->advice)));
    }
}

void refuse_oversized(std::span<const std::uint8_t> bytes, const std::string& source) {
    const std::optional<skin::Size> size = skin::claimed_size(bytes);
    if (size && static_cast<std::uint64_t>(size->width) * static_cast<std::uint64_t>(size->height) >
                    kLargestDecodedPixels)
        throw runtime::Error(
            unreadable_picture_text(source, claims_too_many_pixels(size->width, size->height)));
}

}  // namespace orbskin::picture
