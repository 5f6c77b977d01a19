// The header reader of check: one minimal file per cause, and damaged headers that must be
// reported without being trusted.
#include "skin/picture_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace orbskin::skin {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put(Bytes& b, std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The first 64 bytes of a BMP with these header fields.
Bytes bmp_head(std::uint32_t header, std::int32_t width, std::int32_t height, int bits,
               std::uint32_t compression = 0) {
    Bytes b(64, 0);
    b[0] = 'B';
    b[1] = 'M';
    put(b, 10, 14 + header, 4);
    put(b, 14, header, 4);
    put(b, 18, static_cast<std::uint32_t>(width), 4);
    put(b, 22, static_cast<std::uint32_t>(height), 4);
    put(b, 26, 1, 2);
    put(b, 28, static_cast<std::uint32_t>(bits), 2);
    put(b, 30, compression, 4);
    return b;
}

Bytes first_bytes(Bytes bytes, std::size_t count) {
    bytes.resize(count);
    return bytes;
}

Bytes png_head(std::uint32_t width, std::uint32_t height) {
    Bytes b{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (std::uint32_t v : {width, height})
        for (int i = 3; i >= 0; --i)
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return b;
}

struct Case {
    const char* name;
    Bytes head;
    std::uint64_t length;
    std::string found;
    std::string cause;
    bool scale;
};

void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class explain_picture_case : public testing::TestWithParam<Case> {};

TEST_P(explain_picture_case, names_what_the_file_is_and_why_it_fails) {
    const Case& c = GetParam();
    const PictureVerdict verdict = explain_picture(c.head, c.length, kPictures[0]);
    EXPECT_EQ(verdict.found, c.found);
    EXPECT_EQ(verdict.cause, c.cause);
    EXPECT_EQ(verdict.needs_scaling, c.scale);
}

INSTANTIATE_TEST_SUITE_P(
    causes, explain_picture_case,
    testing::Values(Case{"thirty_two_bit_v5", bmp_head(124, 256, 192, 32, 3), 196746,
                         "32-bit BMP, 256×192, 124-byte header, with colour masks",
                         "the picture must be 24-bit", false},
                    Case{"other_size", bmp_head(40, 320, 240, 24), 230454, "24-bit BMP of 320×240",
                         "the picture must be 256×192", true},
                    Case{"colour_profile_header", bmp_head(124, 256, 192, 24), 148594,
                         "24-bit BMP, 256×192, 124-byte header",
                         "the header must be the plain 40-byte one", false},
                    Case{"rle", bmp_head(40, 256, 192, 8, 1), 30000,
                         "8-bit BMP, 256×192, 40-byte header, RLE8-compressed",
                         "the picture must be 24-bit", false},
                    Case{"trailing_bytes", bmp_head(40, 256, 192, 24), 147512,
                         "24-bit BMP, 256×192, 40-byte header",
                         "2 extra bytes after the pixels (147512 bytes instead of 147510)", false},
                    Case{"top_down_cut_short", bmp_head(40, 256, -192, 24), 1000,
                         "24-bit BMP, 256×192, 40-byte header, top-down",
                         "the file is cut short (1000 bytes instead of 147510)", false},
                    Case{"png", png_head(256, 192), 5000, "PNG file of 256×192, not BMP",
                         "the picture must be a 24-bit BMP", false},
                    Case{"jpeg", Bytes{0xFF, 0xD8, 0xFF, 0xE0}, 5000, "JPEG file, not BMP",
                         "the picture must be a 24-bit BMP", false},
                    Case{"text", Bytes{'h', 'e', 'l', 'l', 'o'}, 5,
                         "not a BMP file (it does not start with \"BM\")",
                         "the picture must be a 24-bit BMP", false},
                    Case{"empty", Bytes{}, 0, "an empty file", "the picture must be a 24-bit BMP",
                         false},
                    Case{"core_header",
                         [] {
                             Bytes b(26, 0);
                             b[0] = 'B', b[1] = 'M', b[14] = 12, b[18] = 64, b[20] = 64, b[22] = 1,
                             b[24] = 24;
                             return b;
                         }(),
                         12314, "24-bit BMP of 64×64", "the picture must be 256×192", true}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    damaged_headers, explain_picture_case,
    testing::Values(Case{"truncated", Bytes{'B', 'M', 0, 0, 0}, 5,
                         "a BMP file cut short after 5 bytes", "", false},
                    Case{"truncated_inside_info", first_bytes(bmp_head(40, 256, 192, 24), 25), 25,
                         "a BMP file cut short after 25 bytes", "", false},
                    Case{"width_two_to_the_31", bmp_head(40, INT32_MIN, 192, 24), 147510,
                         "a BMP file whose header claims an impossible size of -2147483648×192",
                         "the header is damaged", false},
                    Case{"most_negative_height", bmp_head(40, 256, INT32_MIN, 24), 147510,
                         "a BMP file whose header claims an impossible size of 256×-2147483648",
                         "the header is damaged", false},
                    Case{"zero_height", bmp_head(40, 256, 0, 24), 147510,
                         "a BMP file whose header claims an impossible size of 256×0",
                         "the header is damaged", false},
                    Case{"unknown_header", bmp_head(99, 256, 192, 24), 1000,
                         "a BMP file with an unknown 99-byte header", "", false}),
    [](const auto& info) { return info.param.name; });

TEST(explain_picture, reads_no_further_than_the_bytes_it_is_given) {
    // A header that claims a 124-byte info block in a 16-byte buffer.
    const Bytes head = bmp_head(124, 256, 192, 32);
    const PictureVerdict verdict =
        explain_picture(std::span(head).first(16), 1 << 20, kPictures[4]);
    EXPECT_EQ(verdict.found, "a BMP file cut short after 1048576 bytes");
}

}  // namespace
}  // namespace orbskin::skin
