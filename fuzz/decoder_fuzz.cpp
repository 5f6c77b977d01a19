// Fuzzes one of our own decoders alone, the one ORBSKIN_DECODER names (png, tga or bmp): whatever
// the bytes, it gives a picture whose pixels fill its sides exactly, or refuses in words.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "picture/bmp_decoder.h"
#include "picture/inflate_zlib.h"
#include "picture/png_decoder.h"
#include "picture/tga_decoder.h"
#include "runtime/error.h"

namespace {

using orbskin::picture::Bitmap;

#define ORBSKIN_IS(name) (ORBSKIN_DECODER_##name == ORBSKIN_DECODER)
#define ORBSKIN_DECODER_png 1
#define ORBSKIN_DECODER_tga 2
#define ORBSKIN_DECODER_bmp 3

std::uint64_t number(std::span<const std::uint8_t> bytes, std::size_t at, int length, bool big) {
    std::uint64_t value = 0;
    for (int k = 0; k < length; ++k)
        value |= std::uint64_t{bytes[at + std::size_t(k)]} << (8 * (big ? length - 1 - k : k));
    return value;
}

// The pixels the header claims, where it says: a picture of huge sides is refused or allocated
// before its bytes are read, and time is better spent on pictures of a sensible size.
std::uint64_t claimed_pixels(std::span<const std::uint8_t> bytes) {
#if ORBSKIN_IS(png)
    return bytes.size() < 24 ? 0 : number(bytes, 16, 4, true) * number(bytes, 20, 4, true);
#elif ORBSKIN_IS(tga)
    return bytes.size() < 16 ? 0 : number(bytes, 12, 2, false) * number(bytes, 14, 2, false);
#else
    if (bytes.size() < 26) return 0;
    const auto height = static_cast<std::int32_t>(number(bytes, 22, 4, false));
    return number(bytes, 18, 4, false) * std::uint64_t(height < 0 ? -std::int64_t{height} : height);
#endif
}

Bitmap decode(std::span<const std::uint8_t> bytes) {
#if ORBSKIN_IS(png)
    return orbskin::picture::decode_png(bytes, "fuzz", orbskin::picture::inflate_zlib);
#elif ORBSKIN_IS(tga)
    return orbskin::picture::decode_tga(bytes, "fuzz");
#else
    return orbskin::picture::decode_bmp(bytes, "fuzz");
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    if (claimed_pixels(bytes) > (std::uint64_t{1} << 22)) return 0;
    try {
        const Bitmap image = decode(bytes);
        if (image.width <= 0 || image.height <= 0 ||
            image.pixels.size() != std::size_t(image.width) * std::size_t(image.height))
            std::abort();
    } catch (const orbskin::runtime::Error&) {
        // refused in words, as it should be
    }
    return 0;
}
