// Fuzzes the skin reader: any bytes, laid over a zero skin, must unpack into pictures whose
// conversion gives back the same sections wherever no pixel has bit 15 set.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "skin/pixels.h"
#include "skin/unpack.h"

using namespace orbskin::skin;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size != kSkinFileLength) {
        // Other lengths must be refused, and in words.
        try {
            (void)unpack_skin(std::span(data, size));
            std::abort();
        } catch (const std::exception&) {
        }
    }
    // The first byte picks a picture; the rest lands at the start of its section, and the tail of
    // the input in the settings block, so that both are reached in every run.
    if (size < 2) return 0;
    const std::size_t p = data[0] % kPictures.size();
    static std::vector<std::uint8_t> skin(kSkinFileLength);
    std::fill(skin.begin(), skin.end(), 0);
    const std::size_t body = std::min(size - 1, kPictures[p].section_length());
    std::copy(data + 1, data + 1 + body, skin.begin() + section_offset(p));
    const std::size_t tail = std::min(size - 1, kSettingsLength);
    std::copy(data + size - tail, data + size, skin.begin() + kSettingsOffset);

    const UnpackedSkin unpacked = unpack_skin(skin);
    const std::vector<std::uint8_t> file = picture_file(unpacked, p);
    if (file.size() != kPictures[p].file_length()) std::abort();
    std::vector<std::uint8_t> section(kPictures[p].section_length());
    convert_pixels(std::span(file).subspan(kBmpHeaderLength), section);
    for (std::size_t k = 0; k < section.size(); k += 2) {
        const std::size_t at = section_offset(p) + k;
        if (section[k] != skin[at] || section[k + 1] != (skin[at + 1] & 0x7F)) std::abort();
    }
    const bool hint_warning = skin[kSettingsOffset + kShowHintByte] > 1;
    if (hint_warning && unpacked.warnings.empty()) std::abort();
    return 0;
}
