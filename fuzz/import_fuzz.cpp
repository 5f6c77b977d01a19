// Fuzzes import with arbitrary bytes: whatever our BMP decoder or the platform's readers make of
// them, the result is a canonical picture of the exact length, or a refusal.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "picture/decode.h"
#include "picture/orientation.h"
#include "picture/picture_import.h"
#include "picture/platform.h"
#include "runtime/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The orientation reader sees the same hostile bytes; once cleared, none is left.
    std::vector<std::uint8_t> copy(data, data + size);
    orbskin::picture::clear_orientation(copy);
    if (orbskin::picture::read_head(copy).orientation != 1) std::abort();
    // A BMP of huge sides is refused or allocated before its bytes are read; time is better spent
    // on the layouts and runs of pictures of a sensible size.
    const auto header = orbskin::skin::read_bmp_header({data, size});
    if (header && header->width * header->height() > (1 << 22)) return 0;
    orbskin::picture::Bitmap image;
    try {
        image = orbskin::picture::decode_picture({data, data + size},
                                                 orbskin::picture::read_head({data, size}), "fuzz",
                                                 orbskin::picture::kDesktopDecoders);
    } catch (const orbskin::runtime::Error&) {
        return 0;  // refused in words, as it should be
    }
    if (image.width > 2048 || image.height > 2048) return 0;
    const auto& picture = orbskin::skin::kPictures[10];
    const auto bmp = orbskin::picture::canonical_picture(
        image, picture, {orbskin::picture::Resize::stretch, true, {0, 0, 0}}, "fuzz");
    if (bmp.size() != picture.file_length()) std::abort();
    return 0;
}
