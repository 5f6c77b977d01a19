// The guards read only headers, each field through a bounds-checked reader.
#include "picture/guard.h"

#include "picture/bitmap.h"
#include "picture/wording.h"
#include "runtime/error.h"
#include "skin/bmp.h"
#include "skin/byte_order.h"

namespace orbskin::picture {
namespace {

// Whether every chunk of a PNG lies within the file: each is a 4-byte length, a 4-byte type,
// the data and a 4-byte checksum.
bool png_chunks_fit(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kHead = 8, kFraming = 12;
    std::size_t at = skin::kPngSignature.size();
    while (at + kHead <= bytes.size()) {
        const std::uint64_t length = skin::read_be(bytes.subspan(at, 4));
        if (length + kFraming > bytes.size() - at) return false;
        at += kFraming + static_cast<std::size_t>(length);
    }
    return true;
}

}  // namespace

void refuse_damaged_png(std::span<const std::uint8_t> bytes, const std::string& source) {
    if (skin::starts_with(bytes, skin::kPngSignature) && !png_chunks_fit(bytes)) {
        throw runtime::Error(unreadable_picture_text(
            source,
            "it is a damaged PNG file, with a part that claims more bytes than the file "
            "holds"));
    }
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
