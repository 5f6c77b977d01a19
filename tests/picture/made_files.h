// What the picture tests share: files made byte by byte, the words a refusal gives, and tables
// of cases named by their rows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/error.h"

namespace orbskin::picture::made {

using Bytes = std::vector<std::uint8_t>;
using Pixels = std::vector<std::uint32_t>;  // 0xAARRGGBB, top row first

inline Bytes first(Bytes bytes, std::size_t kept) {
    bytes.resize(kept);
    return bytes;
}

inline Bytes cut(Bytes bytes, std::size_t drop) {
    bytes.resize(bytes.size() - drop);
    return bytes;
}

inline Bytes joined(Bytes bytes, const Bytes& tail) {
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

// A JPEG of that size whose frame header follows 200 KB of XMP: only the whole file tells it.
inline Bytes jpeg_after_xmp(std::uint16_t width, std::uint16_t height) {
    Bytes jpeg{0xFF, 0xD8};
    for (int n = 0; n < 4; ++n) {
        jpeg.insert(jpeg.end(), {0xFF, 0xE1, 0xC8, 0x00});
        jpeg.resize(jpeg.size() + 0xC800 - 2, 'x');
    }
    jpeg.insert(jpeg.end(), {0xFF, 0xC0, 0, 17, 8, std::uint8_t(height >> 8), std::uint8_t(height),
                             std::uint8_t(width >> 8), std::uint8_t(width), 3});
    jpeg.resize(jpeg.size() + 15);
    return jpeg;
}

// A row of a table of refusals: a bad file and what its refusal says.
struct Refused {
    const char* name;
    Bytes file;
    std::string says;
};

// What `attempt` was refused with, or "not refused".
template <class Attempt>
std::string refusal(const Attempt& attempt) {
    try {
        (void)attempt();
    } catch (const runtime::Error& e) {
        return e.what();
    }
    return "not refused";
}

// Names each case of a table by its `name`.
struct ByName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return info.param.name;
    }
};

}  // namespace orbskin::picture::made
