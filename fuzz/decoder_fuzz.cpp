// Fuzzes one of our own decoders alone, the one ORBSKIN_DECODER_png, _tga, _tiff or _bmp picks:
// whatever the bytes, it gives a picture whose pixels fill its sides exactly, or refuses in words.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "picture/bmp_decoder.h"
#include "picture/inflate_zlib.h"
#include "picture/picture_head.h"
#include "picture/png_decoder.h"
#include "picture/tga_decoder.h"
#include "picture/tiff_decoder.h"
#include "picture/zlib_end.h"
#include "runtime/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace orbskin;
    const std::span<const std::uint8_t> bytes(data, size);
    // A picture of huge sides is refused or allocated before its bytes are read; time is better
    // spent on pictures of a sensible size.
    if (const auto claimed = picture::read_head(bytes).shown;
        claimed &&
        std::uint64_t(std::abs(claimed->width)) * std::uint64_t(std::abs(claimed->height)) >
            (1u << 22))
        return 0;
    try {
#if defined(ORBSKIN_DECODER_png)
        // The walk that finds where a zlib stream ends reads the same untrusted bytes.
        if (const auto end = picture::zlib_stream_length(bytes); end && *end > size) std::abort();
        const picture::Bitmap image = picture::decode_png(bytes, "fuzz", picture::inflate_zlib);
#elif defined(ORBSKIN_DECODER_tga)
        const picture::Bitmap image = picture::decode_tga(bytes, "fuzz");
#elif defined(ORBSKIN_DECODER_tiff)
        const picture::Bitmap image = picture::decode_tiff(bytes, "fuzz", picture::inflate_zlib);
#else
        const picture::Bitmap image = picture::decode_bmp(bytes, "fuzz");
#endif
        if (image.width <= 0 || image.height <= 0 ||
            image.pixels.size() != std::size_t(image.width) * std::size_t(image.height))
            std::abort();
    } catch (const runtime::Error&) {
        // refused in words, as it should be
    }
    return 0;
}
