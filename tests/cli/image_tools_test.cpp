// import and preview: pictures made in the test, converted and drawn, checked pixel by pixel.
#include <gtest/gtest.h>

#include <QImage>

#include "cli/preview.h"
#include "tests/cli/cli_harness.h"
#include "tests/support/temp_folder.h"

namespace orbskin::cli {
namespace {

using test::Bytes;
using test::run_cli;

// The colour at column x, row y (0 = top) of a canonical 24-bit BMP file.
skin::Rgb bmp_pixel(const Bytes& bmp, std::size_t width, std::size_t height, std::size_t x,
                    std::size_t y) {
    const std::size_t at = 54 + ((height - 1 - y) * width + x) * 3;
    return {bmp[at + 2], bmp[at + 1], bmp[at]};
}

void put(Bytes& b, std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        b[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A BMP with the 124-byte header, 32 bits a pixel with masks, bottom-up; `colour(x, y)` top-down.
Bytes bmp_v5_32bit(int side, const std::function<std::uint32_t(int, int)>& colour) {
    const std::size_t data = static_cast<std::size_t>(side * side * 4);
    Bytes b(14 + 124 + data, 0);
    b[0] = 'B', b[1] = 'M';
    put(b, 2, static_cast<std::uint32_t>(b.size()), 4);
    put(b, 10, 14 + 124, 4);
    put(b, 14, 124, 4);
    put(b, 18, static_cast<std::uint32_t>(side), 4);
    put(b, 22, static_cast<std::uint32_t>(side), 4);
    put(b, 26, 1, 2);
    put(b, 28, 32, 2);
    put(b, 30, 3, 4);  // bit fields
    put(b, 34, static_cast<std::uint32_t>(data), 4);
    put(b, 54, 0x00FF0000, 4);
    put(b, 58, 0x0000FF00, 4);
    put(b, 62, 0x000000FF, 4);
    put(b, 66, 0xFF000000, 4);
    put(b, 70, 0x73524742, 4);  // "sRGB"
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            put(b, 138 + static_cast<std::size_t>(((side - 1 - y) * side + x) * 4), colour(x, y),
                4);
    return b;
}

// A 24-bit BMP stored top row first (negative height).
Bytes bmp_top_down(int side, const std::function<skin::Rgb(int, int)>& colour) {
    Bytes b(54 + static_cast<std::size_t>(side * side * 3), 0);
    b[0] = 'B', b[1] = 'M';
    put(b, 2, static_cast<std::uint32_t>(b.size()), 4);
    put(b, 10, 54, 4);
    put(b, 14, 40, 4);
    put(b, 18, static_cast<std::uint32_t>(side), 4);
    put(b, 22, static_cast<std::uint32_t>(-side), 4);
    put(b, 26, 1, 2);
    put(b, 28, 24, 2);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const skin::Rgb c = colour(x, y);
            const std::size_t at = 54 + static_cast<std::size_t>((y * side + x) * 3);
            b[at] = c.blue, b[at + 1] = c.green, b[at + 2] = c.red;
        }
    return b;
}

class import_command : public testing::Test {
  protected:
    test::CliResult import(const std::string& image, const std::string& name,
                           std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"import", "--dir", folder.path().string(),
                                      (source / image).string(), name};
        args.insert(args.end(), extra.begin(), extra.end());
        return run_cli(args);
    }
    test::TempFolder folder, source;
};

TEST_F(import_command, lays_a_transparent_png_over_black_or_the_background) {
    QImage png(64, 64, QImage::Format_ARGB32);
    png.fill(qRgba(0, 0, 0, 0));
    png.setPixel(0, 0, qRgba(200, 100, 50, 255));
    png.setPixel(63, 63, qRgba(255, 255, 255, 128));
    ASSERT_TRUE(png.save(QString::fromStdString((source / "icon.png").string()), "PNG"));

    test::CliResult result = import("icon.png", "movie.bmp");
    ASSERT_EQ(result.status, 0) << result.err;
    Bytes bmp = test::read_file(folder / "movie.bmp");
    ASSERT_EQ(bmp.size(), 12342u);
    EXPECT_EQ(bmp[28], 24);
    EXPECT_EQ(bmp[14], 40);
    EXPECT_EQ(bmp_pixel(bmp, 64, 64, 0, 0), (skin::Rgb{200, 100, 50}));
    EXPECT_EQ(bmp_pixel(bmp, 64, 64, 63, 63), (skin::Rgb{128, 128, 128}));
    EXPECT_EQ(bmp_pixel(bmp, 64, 64, 5, 5), (skin::Rgb{0, 0, 0}));

    result = import("icon.png", "movie.bmp", {"--force", "--background", "0,0,255"});
    ASSERT_EQ(result.status, 0) << result.err;
    bmp = test::read_file(folder / "movie.bmp");
    EXPECT_EQ(bmp_pixel(bmp, 64, 64, 5, 5), (skin::Rgb{0, 0, 255}));
    EXPECT_EQ(bmp_pixel(bmp, 64, 64, 63, 63), (skin::Rgb{128, 128, 255}));
}

TEST_F(import_command, reads_a_32_bit_bmp_with_the_124_byte_header) {
    test::write_file(source / "v5.bmp", bmp_v5_32bit(16, [](int x, int y) {
                         return 0xFF000000u | static_cast<std::uint32_t>(x * 16) << 16 |
                                static_cast<std::uint32_t>(y * 16) << 8 | 0x33u;
                     }));
    const test::CliResult result = import("v5.bmp", "dir.bmp");
    ASSERT_EQ(result.status, 0) << result.err;
    const Bytes bmp = test::read_file(folder / "dir.bmp");
    ASSERT_EQ(bmp.size(), 822u);
    EXPECT_EQ(bmp_pixel(bmp, 16, 16, 0, 0), (skin::Rgb{0, 0, 0x33}));
    EXPECT_EQ(bmp_pixel(bmp, 16, 16, 15, 2), (skin::Rgb{240, 32, 0x33}));
}

TEST_F(import_command, turns_a_top_down_bmp_into_a_bottom_up_one) {
    test::write_file(source / "top.bmp", bmp_top_down(16, [](int x, int y) {
                         return skin::Rgb{static_cast<std::uint8_t>(y == 0 ? 255 : 0), 0,
                                          static_cast<std::uint8_t>(x)};
                     }));
    const test::CliResult result = import("top.bmp", "updir.bmp");
    ASSERT_EQ(result.status, 0) << result.err;
    const Bytes bmp = test::read_file(folder / "updir.bmp");
    EXPECT_EQ(bmp_pixel(bmp, 16, 16, 7, 0), (skin::Rgb{255, 0, 7}));
    EXPECT_EQ(bmp_pixel(bmp, 16, 16, 7, 15), (skin::Rgb{0, 0, 7}));
    EXPECT_EQ(bmp[54 + 2], 0);  // the first stored row is the bottom one
}

TEST_F(import_command, refuses_another_size_unless_asked_to_scale) {
    QImage big(320, 240, QImage::Format_RGB32);
    big.fill(qRgb(10, 20, 30));
    ASSERT_TRUE(big.save(QString::fromStdString((source / "big.png").string()), "PNG"));

    test::CliResult result = import("big.png", "mainnds.bmp");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "\"" + (source / "big.png").string() +
                              "\" is 320×240, but mainnds.bmp must be 256×192; add --scale to "
                              "resize it\n");
    EXPECT_TRUE(folder.names().empty());

    result = import("big.png", "mainnds.bmp", {"--scale"});
    ASSERT_EQ(result.status, 0) << result.err;
    const Bytes bmp = test::read_file(folder / "mainnds.bmp");
    EXPECT_EQ(bmp.size(), 147510u);
    EXPECT_EQ(bmp_pixel(bmp, 256, 192, 100, 100), (skin::Rgb{10, 20, 30}));
}

TEST_F(import_command, keeps_an_existing_picture_without_force) {
    QImage small(16, 16, QImage::Format_RGB32);
    small.fill(Qt::white);
    ASSERT_TRUE(small.save(QString::fromStdString((source / "s.png").string()), "PNG"));
    test::write_file(folder / "dir.bmp", Bytes{9, 9});
    const test::CliResult result = import("s.png", "dir.bmp");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("already exists"), std::string::npos);
    EXPECT_EQ(test::read_file(folder / "dir.bmp"), (Bytes{9, 9}));
}

TEST_F(import_command, treats_an_unknown_name_or_colour_as_a_usage_error) {
    EXPECT_EQ(import("x.png", "other.bmp").status, 2);
    EXPECT_EQ(import("x.png", "dir.bmp", {"--background", "0,0"}).status, 2);
    const test::CliResult missing = import("missing.png", "dir.bmp");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              "cannot open \"" + (source / "missing.png").string() + "\": no such file\n");
}

TEST_F(import_command, refuses_damaged_and_hostile_files_in_words) {
    test::write_file(source / "noise.png", Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9});
    test::CliResult result = import("noise.png", "dir.bmp");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind(
                  "cannot read \"" + (source / "noise.png").string() + "\" as a picture: ", 0),
              0u)
        << result.err;

    // A PNG whose text chunk claims nearly 2 GiB: refused before any reader reserves the memory.
    Bytes hostile{0x89, 'P', 'N', 'G',  '\r', '\n', 0x1A, '\n', 0,   0,   0,   13,  'I', 'H', 'D',
                  'R',  0,   0,   0,    16,   0,    0,    0,    16,  2,   3,   0,   0,   0,   0,
                  0,    0,   0,   0x70, 0,    0,    0,    't',  'E', 'X', 't', 'a', 'b'};
    test::write_file(source / "hostile.png", hostile);
    result = import("hostile.png", "dir.bmp");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("damaged PNG file"), std::string::npos) << result.err;
    EXPECT_TRUE(folder.names().empty());
}

TEST(preview_command, draws_every_picture_the_way_it_looked) {
    test::TempFolder folder;
    test::write_bmp_pictures(folder.path());
    ASSERT_EQ(run_cli({"pack", "--dir", folder.path().string()}).status, 0);
    const std::string sheet_path = (folder / "sheet.png").string();
    const test::CliResult result =
        run_cli({"preview", (folder / "ORBSKIN.000").string(), "-o", sheet_path});
    ASSERT_EQ(result.status, 0) << result.err;

    const QImage sheet(QString::fromStdString(sheet_path));
    const PreviewLayout layout = preview_layout();
    ASSERT_EQ(sheet.size(), layout.sheet);
    const Bytes skin = test::read_file(folder / "ORBSKIN.000");
    for (std::size_t i = 0; i < skin::kPictures.size(); ++i) {
        const skin::Picture& picture = skin::kPictures[i];
        // The top-right pixel as shown, which the section stores in its last row.
        const std::size_t x = picture.width - 1, y = 0;
        const std::size_t at =
            skin::section_offset(i) + ((picture.height - 1 - y) * picture.width + x) * 2;
        const skin::Rgb expected =
            skin::rgb_from_bgr555(static_cast<std::uint16_t>(skin[at] | skin[at + 1] << 8));
        const QRgb shown = sheet.pixel(layout.actual_size[i].topLeft() + QPoint(int(x), int(y)));
        EXPECT_EQ((skin::Rgb{static_cast<std::uint8_t>(qRed(shown)),
                             static_cast<std::uint8_t>(qGreen(shown)),
                             static_cast<std::uint8_t>(qBlue(shown))}),
                  expected)
            << picture.name;
        if (i < layout.double_size.size()) {
            const QRgb doubled =
                sheet.pixel(layout.double_size[i].topLeft() + QPoint(int(2 * x + 1), 1));
            EXPECT_EQ(doubled, shown) << picture.name << " at 2:1";
        }
    }
    EXPECT_EQ(sheet.pixel(layout.swatches[0].center()), qRgb(0, 0, 255));
    EXPECT_EQ(sheet.pixel(layout.swatches[1].center()), qRgb(255, 0, 0));
}

}  // namespace
}  // namespace orbskin::cli
