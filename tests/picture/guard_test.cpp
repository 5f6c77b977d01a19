// The guard before decoding: the size each format's header claims, read the way that format
// stores it, and a claim beyond what any decoder here allocates refused in words.
#include "picture/guard.h"

#include <gtest/gtest.h>

#include <functional>

#include "runtime/error.h"

namespace orbskin::picture {
namespace {

using namespace std::string_view_literals;
using Bytes = std::vector<std::uint8_t>;

void put(Bytes& bytes, std::size_t at, std::uint32_t value, int size, bool big_endian = false) {
    if (bytes.size() < at + size) bytes.resize(at + size);
    for (int i = 0; i < size; ++i)
        bytes[at + (big_endian ? size - 1 - i : i)] = static_cast<std::uint8_t>(value >> 8 * i);
}

Bytes starting(std::string_view magic) {
    return Bytes(magic.begin(), magic.end());
}

// A header of each kind claiming `w` × `h`, and nothing after it.
struct Format {
    const char* name;
    std::function<Bytes(std::uint32_t w, std::uint32_t h)> header;
};

const Format kFormats[] = {
    {"png",
     [](auto w, auto h) {
         Bytes b = starting("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR"sv);
         put(b, 16, w, 4, true), put(b, 20, h, 4, true);
         return b;
     }},
    {"gif",
     [](auto w, auto h) {
         Bytes b = starting("GIF89a"sv);
         put(b, 6, w, 2), put(b, 8, h, 2);
         return b;
     }},
    {"bmp",
     [](auto w, auto h) {
         Bytes b = starting("BM"sv);
         put(b, 10, 54, 4), put(b, 14, 40, 4), put(b, 18, w, 4), put(b, 22, h, 4);
         put(b, 28, 24, 2), put(b, 30, 0, 4);
         return b;
     }},
    {"webp_extended",
     [](auto w, auto h) {
         Bytes b = starting("RIFF\0\0\0\0WEBPVP8X"sv);
         put(b, 24, w - 1, 3), put(b, 27, h - 1, 3);
         return b;
     }},
    {"webp_lossless",
     [](auto w, auto h) {
         Bytes b = starting("RIFF\0\0\0\0WEBPVP8L"sv);
         put(b, 20, 0x2F, 1), put(b, 21, (w - 1) | (h - 1) << 14, 4);
         return b;
     }},
    {"webp_lossy",
     [](auto w, auto h) {
         Bytes b = starting("RIFF\0\0\0\0WEBPVP8 "sv);
         put(b, 23, 0x2A019D, 3), put(b, 26, w, 2), put(b, 28, h, 2);
         return b;
     }},
    {"jpeg",
     [](auto w, auto h) {
         Bytes b = starting("\xFF\xD8\xFF\xE0\0\x04\0\0\xFF\xC2\0\x11\x08"sv);
         put(b, 13, h, 2, true), put(b, 15, w, 2, true);
         return b;
     }},
};

class size_guard : public testing::TestWithParam<Format> {};

TEST_P(size_guard, reads_the_claimed_size_and_refuses_a_claim_too_large) {
    const Format& format = GetParam();
    // Sides that differ in every byte, so that a swapped or shortened field shows.
    const std::optional<Size> size = claimed_size(format.header(4660, 291));
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 4660);
    EXPECT_EQ(size->height, 291);
    EXPECT_NO_THROW(refuse_oversized(format.header(8192, 8192), "a"));
    try {
        refuse_oversized(format.header(8193, 8192), "a");
        ADD_FAILURE() << "a claim of 8193×8192 pixels was let through";
    } catch (const runtime::Error& refused) {
        EXPECT_STREQ(refused.what(),
                     "cannot read \"a\" as a picture: it claims 8193×8192 pixels, far too large "
                     "for a skin");
    }
}

INSTANTIATE_TEST_SUITE_P(, size_guard, testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(size_claim, is_unknown_for_a_header_that_gives_none) {
    for (const std::string_view head : {"RIFF\0\0\0\0WEBPVP8Z"sv, "\xFF\xD8\xFF\xD9"sv, "II*\0"sv})
        EXPECT_FALSE(claimed_size(starting(head))) << head;
}

}  // namespace
}  // namespace orbskin::picture
