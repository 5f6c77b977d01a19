// Fuzzes the header reader of check with arbitrary leading bytes and file lengths.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "picture/explain.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 9) return 0;
    // The first byte picks the picture, the next eight the claimed file length.
    const auto& picture = orbskin::skin::kPictures[data[0] % orbskin::skin::kPictures.size()];
    std::uint64_t length = 0;
    std::memcpy(&length, data + 1, sizeof length);
    const std::span<const std::uint8_t> head(data + 9, size - 9);
    const auto verdict = orbskin::picture::explain_picture(head, length, picture);
    if (verdict.found.text().empty()) std::abort();
    return 0;
}
