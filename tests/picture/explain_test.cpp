// The header reader of check and of pack's warnings: one minimal file per cause, and damaged
// headers that must be reported without being trusted.
#include "picture/explain.h"

#include <gtest/gtest.h>

#include <vector>

#include "picture/picture_head.h"
#include "skin/bmp.h"
#include "skin/byte_order.h"
#include "tests/picture/made_files.h"
#include "tests/support/png_file.h"

namespace orbskin::picture {
namespace {

using namespace std::string_view_literals;
using skin::kPictures;
using skin::Picture;
using skin::PictureVerdict;
using skin::write_le;
using test::Bytes, test::bytes_of;

// The head of a BMP with these header fields, its pixels `gap` bytes after them.
Bytes bmp_head(std::uint32_t header, std::int32_t width, std::int32_t height, int bits,
               std::uint32_t compression = 0, std::size_t gap = 0) {
    return made::bmp({header, bits, compression, width, height, {}, {}, Bytes(gap)});
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
    using test::png::chunk;
    const Bytes png = test::png::file({test::png::ihdr(640, 480, 8, 2)});
    // The same PNG, shown turned a quarter by its eXIf part (orientation 6).
    const Bytes turned = made::joined(
        png, chunk("eXIf", bytes_of("MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0"sv)));
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
        {bmp_head(40, 256, 192, 24, 0, 1024), 147510, "24-bit BMP, 256×192, 40-byte header",
         "its pixels start at byte 1,078 instead of 54"},
        {Bytes(64, 0), 147510, "not a BMP file (it does not start with \"BM\")", bmp, true, false},
        {bmp_head(124, 256, 192, 32, 3), 196746,
         "32-bit BMP, 256×192, 124-byte header, with colour masks", "the picture must be 24-bit"},
        {bmp_head(40, 256, 192, 24, 4), 9000, "24-bit BMP, 256×192, 40-byte header, holding a JPEG",
         "the picture must be uncompressed", false, false},
        {bmp_head(40, 256, 192, 24), 147512, "24-bit BMP, 256×192, 40-byte header",
         "2 extra bytes after the pixels (147,512 bytes instead of 147,510)"},
        {png, 5000, "PNG file of 640×480, not BMP", bmp, true},
        {turned, 5000, "PNG file of 480×640, not BMP", bmp, true},
        {profiled, 147510 + 70 + 1200,
         "24-bit BMP, 256×192, 124-byte header, with an embedded colour profile",
         "the header must be the plain 40-byte one"},
        {bytes_of(svg), 3000, "SVG drawing, not BMP", bmp, true, false},
        {Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'}, 900, "WebP file, not BMP", bmp,
         true},
        {Bytes{}, 0, "an empty file", bmp, true, false},
        {made::first({0x0A, 5, 1, 8, 0, 0, 0, 0, 0x2B, 1, 0xC7, 0}, 32), 50000,
         "PCX picture of 300×200, not BMP", bmp, true, false},
        {made::first({0, 0, 1, 0, 1, 0, 0x40, 0}, 32), 9000,
         "Windows icon (ICO) of 64×256, not BMP", bmp, true, false},
        {made::first(bytes_of("8BPS\0\1\0\0\0\0\0\0\0\3\0\0\0\xC0\0\0\1\0"sv), 32), 9000,
         "Photoshop document (PSD) of 256×192, not BMP", bmp, true, false},
        {bytes_of("P6\n# made here\n256 192\n255\n"), 147470, "PPM picture of 256×192, not BMP",
         bmp},
        {bytes_of("P5 1234567890 192 255 "), 9000, "PGM picture, not BMP", bmp, true},
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
        {made::first(bmp_head(124, 256, 192, 32), 16), 1 << 20,
         "a BMP file cut short after 1,048,576 bytes", "the file is damaged", true, false},
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

// A TIFF whose directory follows 200 KB of pixels, as GIMP and ImageMagick write them, and a
// JPEG whose frame header follows 200 KB of XMP: only the whole file tells their size.
TEST(explain_picture, reads_a_size_that_lies_past_the_head) {
    Bytes tiff = bytes_of("MM\0*\0\x03\x0D\x40"sv);  // the directory at 200000
    tiff.resize(200000);
    for (const std::uint8_t b : bytes_of("\0\x02\x01\0\0\x03\0\0\0\x01\x01\0\0\0"
                                         "\x01\x01\0\x03\0\0\0\x01\0\xC0\0\0"sv))
        tiff.push_back(b);
    const Bytes jpeg = made::jpeg_after_xmp(256, 192);
    for (const auto& [file, found] : {std::pair{tiff, "TIFF file of 256×192, not BMP"},
                                      std::pair{jpeg, "JPEG file of 256×192, not BMP"}}) {
        EXPECT_TRUE(
            read_head(std::span(file).first(kPictureHeadLength), file.size()).size_lies_past);
        EXPECT_FALSE(read_head(file).size_lies_past);
        const PictureVerdict verdict = explain_picture(file, file.size(), kPictures[0]);
        EXPECT_EQ(verdict.found.text(), found);
        EXPECT_FALSE(verdict.needs_scaling) << found;
    }
}

// Pixel art is offered for a Netpbm file of at most 256 greys, as for a grey PNG.
TEST(few_colours, netpbm_by_its_kind_and_levels) {
    const std::pair<std::string_view, bool> cases[] = {{"P4 8 8\n", true},
                                                       {"P5 8 8 255\n", true},
                                                       {"P5 8 8 65535\n", false},
                                                       {"P6 8 8 255\n", false}};
    for (const auto& [head, few] : cases)
        EXPECT_EQ(read_head(bytes_of(head)).few_colours, few) << head;
}

// What a box shows of a file pack takes as it is: pack's pixel bytes under the header that says
// how the skin lays them out, whatever the file's own header said.
TEST(as_packed, shows_the_bytes_pack_takes_under_the_canonical_header) {
    const Picture& icon = kPictures[4];
    for (const Bytes& head :
         {bmp_head(40, 32, -32, 24), bmp_head(40, 64, 16, 24, 0, 16), Bytes(54)}) {
        Bytes file(icon.file_length());
        for (std::size_t k = 0; k < file.size(); ++k)
            file[k] = static_cast<std::uint8_t>(k * 7);
        std::copy_n(head.begin(), 54, file.begin());
        const Bytes shown = as_packed(icon, file);
        ASSERT_EQ(shown.size(), file.size());
        EXPECT_TRUE(std::equal(shown.begin() + 54, shown.end(), file.begin() + 54));
        EXPECT_TRUE(explain_picture(std::span(shown).first(64), shown.size(), icon).ok());
    }
}

}  // namespace
}  // namespace orbskin::picture
