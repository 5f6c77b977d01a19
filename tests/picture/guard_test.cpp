// A file's head, read before decoding: the size each format's header claims, read the way that
// format stores it, and what is refused before any decoder sees the bytes.
#include <gtest/gtest.h>

#include "picture/bitmap.h"
#include "picture/picture_head.h"
#include "tests/picture/made_files.h"

namespace orbskin::picture {
namespace {

using namespace std::string_view_literals;
using namespace made;

// A field of `size` bytes at `at`, least significant first unless `big`.
struct Field {
    std::size_t at, size;
    bool big = false;
    std::uint32_t less = 0;  // stored as the value minus this
    int shift = 0;           // within the field, which another side may share
};

// A header of each kind: the bytes before its sides, and where each side is stored.
struct Format {
    const char* name;
    std::string_view head;
    Field width, height;
};

const Format kFormats[] = {
    {"png", "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR"sv, {16, 4, true}, {20, 4, true}},
    {"gif", "GIF89a"sv, {6, 2}, {8, 2}},
    {"bmp", "BM\0\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0"sv, {18, 4}, {22, 4}},
    {"webp_extended", "RIFF\0\0\0\0WEBPVP8X"sv, {24, 3, false, 1}, {27, 3, false, 1}},
    {"webp_lossy", "RIFF\0\0\0\0WEBPVP8 \0\0\0\0\0\0\0\x9D\x01\x2A"sv, {26, 2}, {28, 2}},
    {"jpeg", "\xFF\xD8\xFF\xE0\0\x04\0\0\xFF\xC2\0\x11\x08"sv, {15, 2, true}, {13, 2, true}},
    {"webp_lossless", "RIFF\0\0\0\0WEBPVP8L\0\0\0\0\x2F"sv, Field{21, 4, false, 1},
     Field{21, 4, false, 1, 14}},
};

Bytes header(const Format& f, std::uint32_t width, std::uint32_t height) {
    Bytes bytes(f.head.begin(), f.head.end());
    bytes.resize(40);
    const auto put = [&](const Field& field, std::uint32_t value) {
        for (std::size_t i = 0; i < field.size; ++i)
            bytes[field.at + (field.big ? field.size - 1 - i : i)] |=
                static_cast<std::uint8_t>((value - field.less) << field.shift >> 8 * i);
    };
    put(f.width, width), put(f.height, height);
    return bytes;
}

class size_field : public testing::TestWithParam<Format> {};

TEST_P(size_field, is_read_as_each_format_stores_it) {
    // Sides that differ in every byte, so that a swapped or shortened field shows.
    const std::optional<Size> size = read_head(header(GetParam(), 4660, 291)).shown;
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 4660);
    EXPECT_EQ(size->height, 291);
}

INSTANTIATE_TEST_SUITE_P(, size_field, testing::ValuesIn(kFormats), ByName());

TEST(size_claim, is_unknown_for_a_header_that_gives_none) {
    for (const std::string_view head : {"RIFF\0\0\0\0WEBPVP8Z"sv, "\xFF\xD8\xFF\xD9"sv, "II*\0"sv})
        EXPECT_FALSE(read_head(bytes_of(head)).shown) << head;
}

// Arithmetic coding (SOF9 on), which some browsers cannot decode, is told from the frame's marker.
TEST(size_claim, tells_an_arithmetic_jpeg) {
    for (const auto& [marker, arithmetic] : std::array<std::pair<std::uint8_t, bool>, 3>{
             {{0xC2, false}, {0xC9, true}, {0xCF, true}}}) {
        Bytes jpeg = header(kFormats[5], 64, 64);
        jpeg[9] = marker;
        EXPECT_EQ(read_head(jpeg).arithmetic, arithmetic) << int(marker);
    }
}

// check and import see a picture as shown: turned a quarter by orientations 5 to 8, as a PNG's
// eXIf part before its image data, a JPEG's EXIF block or a TIFF's directory records them.
TEST(size_claim, is_the_size_as_shown) {
    using namespace std::string_literals;
    const Bytes head = header(kFormats[0], 300, 200);
    const std::string png(head.begin(), head.begin() + 33), idat = "\0\0\0\0IDATcrc!"s;
    const auto tiff = [](char orientation) {
        return "MM\0*\0\0\0\x08\0\x03\x01\0\0\x03\0\0\0\x01\x01\x2C\0\0"  // 300 wide
               "\x01\x01\0\x03\0\0\0\x01\0\xC8\0\0\x01\x12\0\x03\0\0\0\x01\0"s +
               orientation + "\0\0"s;
    };
    const std::string exif = "\0\0\0\056eXIf"s + tiff(6) + "crc!";
    const std::string sof = "\xFF\xC0\0\x0B\x08\0\xC8\x01\x2C\x01\x01\x11\0"s;
    const std::pair<std::string, std::int64_t> cases[] = {
        {png + exif + idat, 200},
        {png + idat + exif, 300},
        {"\xFF\xD8\xFF\xE1\0\066Exif\0\0"s + tiff(8) + sof, 200},
        {tiff(5), 200},
        {tiff(3), 300},
    };
    for (const auto& [bytes, width] : cases) {
        const std::optional<Size> size = read_head(bytes_of(bytes)).shown;
        ASSERT_TRUE(size) << bytes.size();
        EXPECT_EQ(size->width, width) << bytes.size();
        EXPECT_EQ(size->width + size->height, 500) << bytes.size();
    }
}

// Minimal JPEG and GIF streams, whole or cut within their image data.
constexpr std::string_view kJpeg =
    "\xFF\xD8\xFF\xE0\0\x04\0\0\xFF\xDA\0\x02\x12\xFF\0\x34\xFF\xD9"sv;
constexpr std::string_view kGif =
    "GIF89a\2\0\2\0\0\0\0\x21\xF9\1\0\0,\0\0\0\0\2\0\2\0\0\2\2\x44\x01\0;"sv;

// A progressive JPEG of `scans` scans, each of a few bytes of data with a stuffed 0xFF and a
// restart in it, neither of which ends the scan.
Bytes progressive(std::size_t scans) {
    std::string bytes("\xFF\xD8\xFF\xC2\0\x0B\x08\0\x10\0\x10\x01\x01\x11\0"sv);
    for (std::size_t i = 0; i < scans; ++i)
        bytes += "\xFF\xDA\0\x08\x01\x01\0\0\0\x10\x12\xFF\0\xFF\xD3\x34"sv;
    bytes += "\xFF\xD9"sv;
    return bytes_of(bytes);
}

// The first of what is refused before decoding: no bytes, a format we do not read, more pixels or
// scans than any decoder here takes on, image data that ends before the picture does.
TEST(head_refusal, comes_before_any_decoder) {
    const std::pair<Bytes, const char*> cases[] = {
        {{}, "it is empty"},
        {bytes_of("\0\0\0\34ftypavif"sv), "it is an AVIF picture: export it as PNG"},
        {bytes_of("%PDF-1.7"), "it is a PDF document: export the page as PNG"},
        {bytes_of("\xEF\xBB\xBF <?xml?><svg/>"), "it is an SVG drawing: export it as PNG"},
        {bytes_of("8BPS"), "it is a Photoshop document (PSD): save a copy as PNG"},
        {header(kFormats[0], 8192, 8192), nullptr},
        {header(kFormats[0], 8193, 8192), "it claims 8193×8192 pixels, far too large for a skin"},
        {progressive(10), nullptr},
        {progressive(kMostJpegScans), nullptr},
        {progressive(kMostJpegScans + 1), "it is a JPEG of more than 256 scans"},
        {bytes_of(kJpeg), nullptr},
        {bytes_of("\xFF\xD8\xFF\xE0\0\x04\0\0\xFF\xDA\0\x02\x12\xFF\0\x34\xFF\xD9trailer"sv),
         nullptr},
        {bytes_of(kJpeg.substr(0, kJpeg.size() - 2)), "it is a damaged JPEG file"},
        {bytes_of(kJpeg.substr(0, 7)), "it is a damaged JPEG file: its image data is cut short"},
        {bytes_of(kGif), nullptr},
        {bytes_of(kGif.substr(0, kGif.size() - 1)), nullptr},  // no trailer, but the image is whole
        {bytes_of(kGif.substr(0, kGif.size() - 3)), "it is a damaged GIF file"},
        {bytes_of(kGif.substr(0, 16)), "it is a damaged GIF file: its image data is cut short"},
    };
    for (const auto& [file, says] : cases) {
        const std::optional<runtime::Message> why = read_head(file).refusal();
        const std::string text = why ? why->text() : "not refused";
        EXPECT_EQ(text.rfind(says ? says : "not refused", 0), 0u) << text;  // how the words start
    }
    // Only the whole file tells that it is cut short.
    EXPECT_FALSE(read_head(bytes_of(kGif.substr(0, 16)), 100).refusal());
}

}  // namespace
}  // namespace orbskin::picture
