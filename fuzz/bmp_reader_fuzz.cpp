// Fuzzes our BMP decoder with arbitrary bytes behind a "BM": a picture whose pixel count matches
// its sides, or a refusal in words.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "runtime/error.h"
#include "skin/bmp_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> file{'B', 'M'};
    file.insert(file.end(), data, data + size);
    // Huge sides are refused or allocated before any byte is read; the fuzzer's time is better
    // spent on the layouts and runs of pictures of a sensible size.
    const auto header = orbskin::skin::read_bmp_header(file);
    if (header && header->width * header->height() > (1 << 22)) return 0;
    try {
        const orbskin::skin::Bitmap bitmap = orbskin::skin::decode_bmp(file, "fuzz");
        if (bitmap.width <= 0 || bitmap.height <= 0 ||
            bitmap.pixels.size() != std::size_t(bitmap.width) * std::size_t(bitmap.height))
            std::abort();
    } catch (const orbskin::runtime::Error&) {
    }
    return 0;
}
