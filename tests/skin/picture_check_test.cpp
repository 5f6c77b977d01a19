// The header reader of check and of pack's warnings: one minimal file per cause, and damaged
// headers that must be reported without being trusted.
#include "skin/picture_check.h"

#include <gtest/gtest.h>

#include <vector>

#include "skin/byte_order.h"

namespace orbskin::skin {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The first 64 bytes of a BMP with these header fields.
Bytes bmp_head(std::uint32_t header, std::int32_t width, std::int32_t height, int bits,
               std::uint32_t compression = 0, std::uint32_t data_offset = 54) {
    Bytes b(64, 0);
    b[0] = 'B', b[1] = 'M';
    const std::pair<std::size_t, std::uint32_t> fields[] = {
        {10, data_offset},
        {14, header},
        {18, static_cast<std::uint32_t>(width)},
        {22, static_cast<std::uint32_t>(height)},
        {28, static_cast<std::uint32_t>(bits)},
        {30, compression}};
    for (const auto& [at, value] : fields)
        write_le(std::span(b).subspan(at, at == 28 ? 2 : 4), value);
    return b;
}

struct Case {
    Bytes head;
    std::uint64_t length;
    std::string found;
    std::string cause;  // empty: the skin shows the picture as drawn
    bool scale = false;
    bool importable = true;
};

TEST(explain_picture, names_what_the_file_is_and_why_the_skin_would_be_wrong) {
    const Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13,
                    'I',  'H', 'D', 'R', 0,    0,    2,    0x80, 0, 0, 1, 0xE0};
    const Bytes v5_head = bmp_head(124, 256, 192, 32);
    Bytes profiled = bmp_head(124, 256, 192, 24);
    profiled.resize(80);
    write_le(std::span(profiled).subspan(70, 4), 0x4D424544);  // "MBED": an embedded profile
    const std::string_view svg = "\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<svg width=\"256\">";
    const std::string bmp = "the picture must be a 24-bit BMP", damaged = "the header is damaged";
    const Case cases[] = {
        {bmp_head(40, 256, 192, 24), 147510, "24-bit BMP, 256×192, 40-byte header", ""},
        {bmp_head(40, 256, -192, 24), 147510, "24-bit BMP, 256×192, 40-byte header, top-down",
         "the rows are stored top row first, so the skin would show it upside down"},
        {bmp_head(40, 192, 256, 24), 147510, "24-bit BMP of 192×256", "the picture must be 256×192",
         true},
        {bmp_head(40, 512, 96, 24), 147510, "24-bit BMP of 512×96", "the picture must be 256×192",
         true},
        {bmp_head(40, 256, 192, 24, 0, 1078), 147510, "24-bit BMP, 256×192, 40-byte header",
         "its pixels start at byte 1078 instead of 54"},
        {Bytes(64, 0), 147510, "not a BMP file (it does not start with \"BM\")", bmp, true, false},
        {bmp_head(124, 256, 192, 32, 3), 196746,
         "32-bit BMP, 256×192, 124-byte header, with colour masks", "the picture must be 24-bit"},
        {bmp_head(40, 256, 192, 24, 4), 9000, "24-bit BMP, 256×192, 40-byte header, holding a JPEG",
         "the picture must be uncompressed", false, false},
        {bmp_head(40, 256, 192, 24), 147512, "24-bit BMP, 256×192, 40-byte header",
         "2 extra bytes after the pixels (147512 bytes instead of 147510)"},
        {png, 5000, "PNG file of 640×480, not BMP", bmp, true},
        {profiled, 147510 + 70 + 1200,
         "24-bit BMP, 256×192, 124-byte header, with an embedded colour profile",
         "the header must be the plain 40-byte one"},
        {Bytes(svg.begin(), svg.end()), 3000, "SVG drawing, not BMP", bmp, true, false},
        {Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'}, 900, "WebP file, not BMP", bmp,
         true},
        {Bytes{}, 0, "an empty file", bmp, true, false},
        // GraphicsMagick writes PCX uncompressed; version 2 is PC Paintbrush's.
        {Bytes{0x0A, 5, 0, 8}, 50000, "PCX picture, not BMP", bmp, true, false},
        {Bytes{0x0A, 2, 1, 1}, 50000, "PCX picture, not BMP", bmp, true, false},
        {Bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x40, 1, 0xC0, 0, 24, 0x20}, 50000,
         "TGA file of 320×192, not BMP", bmp, true},
        {Bytes{'B', 'M', 0, 0, 0}, 5, "a BMP file cut short after 5 bytes", "the file is damaged",
         true, false},
        {bmp_head(99, 256, 192, 24), 1000, "a BMP file with an unknown 99-byte header",
         "the file is damaged", true, false},
        {bmp_head(40, 256, INT32_MIN, 24), 147510,
         "a BMP file whose header claims an impossible size of 256×-2147483648", damaged, true,
         false},
        // A header that claims a 124-byte info block in 16 bytes is read no further.
        {Bytes(v5_head.begin(), v5_head.begin() + 16), 1 << 20,
         "a BMP file cut short after 1048576 bytes", "the file is damaged", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.found);
        const PictureVerdict verdict = explain_picture(c.head, c.length, kPictures[0]);
        EXPECT_EQ(verdict.found.text(), c.found);
        EXPECT_EQ(verdict.cause ? verdict.cause->text() : "", c.cause);
        EXPECT_EQ(verdict.needs_scaling, c.scale);
        EXPECT_EQ(verdict.importable, c.importable);
    }
}

}  // namespace
}  // namespace orbskin::skin
