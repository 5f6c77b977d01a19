// Reading and decoding a picture file on the desktop.
#include "picture/decode.h"

#include <optional>

#include "runtime/error.h"
#include "runtime/files.h"
#include "runtime/utf8_path.h"
#include "skin/byte_order.h"

namespace orbskin::picture {

std::vector<std::uint8_t> read_picture_file(runtime::Os& os, const std::string& name) {
    const std::filesystem::path file = runtime::path_from_utf8(name);
    const std::optional<std::uint64_t> length = runtime::regular_file_length(os, file);
    if (!length) throw runtime::Error("cannot open " + runtime::quoted(file) + ": no such file");
    if (*length > kLargestPictureFile) {
        throw runtime::Error(too_large_text(runtime::quoted(file), *length));
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*length));
    runtime::read_exact(os, file, bytes);
    return bytes;
}

Bitmap decode_picture(std::vector<std::uint8_t> bytes, const std::string& source) {
    refuse_damaged_png(bytes, source);
    if (skin::starts_with(bytes, "BM")) return skin::decode_bmp(bytes, source);
    // Turned here rather than by the platform, so that every platform turns alike.
    const int orientation = exif_orientation(bytes);
    return upright(decode_with_platform(std::move(bytes), source), orientation);
}

}  // namespace orbskin::picture
