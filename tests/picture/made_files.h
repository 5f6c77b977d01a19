// What the picture tests share: files made byte by byte, the words a refusal gives, and tables
// of cases named by their rows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "skin/byte_order.h"
#include "tests/support/temp_folder.h"

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

// A BMP of these header fields, with its pixels.
struct BmpLayout {
    std::uint32_t header = 40;
    int bits = 24;
    std::uint32_t compression = 0;
    std::int32_t width = 3, height = 2;  // a negative height stores the top row first
    std::vector<std::uint32_t> masks{};  // in the header from 52 bytes on, else right after it
    Bytes palette{};
    Bytes gap{};  // between the header (or palette) and the pixels, e.g. a colour profile
};

inline Bytes bmp(const BmpLayout& l, const Bytes& pixels = {}) {
    const bool core = l.header == 12, masks_inside = l.header >= 52;
    Bytes file(14 + l.header, 0);
    file[0] = 'B', file[1] = 'M';
    const auto put = [&](std::size_t at, std::size_t size, std::uint32_t value) {
        skin::write_le(std::span(file).subspan(at, size), value);
    };
    put(14, 4, l.header);
    put(18, core ? 2 : 4, static_cast<std::uint32_t>(l.width));
    put(core ? 20 : 22, core ? 2 : 4, static_cast<std::uint32_t>(l.height));
    put(core ? 24 : 28, 2, static_cast<std::uint32_t>(l.bits));
    if (!core) put(30, 4, l.compression);
    for (std::size_t i = 0; i < l.masks.size(); ++i) {
        if (!masks_inside) file.resize(file.size() + 4);
        put(masks_inside ? 54 + 4 * i : file.size() - 4, 4, l.masks[i]);
    }
    for (const Bytes* part : {&l.palette, &l.gap})
        file.insert(file.end(), part->begin(), part->end());
    put(10, 4, static_cast<std::uint32_t>(file.size()));
    return joined(file, pixels);
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

// A row of a table of decodings: a file made from `layout` and its pixels, and what it decodes to.
template <class Layout>
struct Decoded {
    const char* name;
    Layout layout;
    Bytes pixels;
    Pixels expected;
};

// A row of a table of refusals: a bad file and what its refusal says.
struct Refused {
    const char* name;
    Bytes file;
    std::string says;
};

using test::refusal, test::bytes_of;

// Names each case of a table by its `name`.
struct ByName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return info.param.name;
    }
};

}  // namespace orbskin::picture::made

// The suite `suite` over the Refused `rows`: the refusal of each file, by the decoder that follows,
// is in the words said of a picture that cannot be read, and names its row's fault.
#define MADE_REFUSALS(suite, rows, ...)                                                        \
    class suite : public testing::TestWithParam<made::Refused> {};                            \
    TEST_P(suite, names_the_fault) {                                                          \
        const std::string said = made::refusal([&] { return (__VA_ARGS__)(GetParam().file); }); \
        EXPECT_NE(said.find(GetParam().says), std::string::npos) << said;                     \
        EXPECT_EQ(said.rfind("cannot read \"", 0), 0u) << said;                               \
    }                                                                                         \
    INSTANTIATE_TEST_SUITE_P(each_fault, suite, testing::ValuesIn(rows), made::ByName())
