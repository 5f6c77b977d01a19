// import, check's fixes and preview: pictures made in the test, converted and drawn, checked pixel
// by pixel.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <sstream>

#include "cli/commands.h"
#include "cli/preview.h"
#include "skin/pixels.h"
#include "tests/cli/cli_harness.h"
#include "tests/support/temp_folder.h"

namespace orbskin::cli {
namespace {

using test::Bytes;

// orbskin-cli with the picture commands in-process, as orbskin-cli-images runs them.
test::CliResult run_cli(std::vector<std::string> args) {
    constexpr AddCommand kPictureCommands[] = {add_import, add_preview};
    return test::run_cli(std::move(args), kPictureCommands);
}

// The colour at column x, row y (0 = top) of a canonical 24-bit BMP file.
QRgb bmp_pixel(const Bytes& bmp, int width, int height, int x, int y) {
    const std::size_t at = 54 + static_cast<std::size_t>(((height - 1 - y) * width + x) * 3);
    return qRgb(bmp[at + 2], bmp[at + 1], bmp[at]);
}

class image_tools : public testing::Test {
  protected:
    std::string source(const QImage& image, const char* name, const char* format = nullptr) {
        const std::string path = (from / name).string();
        EXPECT_TRUE(image.save(QString::fromStdString(path), format)) << name;
        return path;
    }
    test::CliResult import(const std::string& image, const std::string& name,
                           std::vector<std::string> extra = {}) {
        extra.insert(extra.begin(), {"import", "--dir", folder.path().string(), image, name});
        return run_cli(extra);
    }
    // A picture with a different colour in each corner, so that any turn or flip shows.
    static QImage corners(int width, int height) {
        QImage image(width, height, QImage::Format_RGB888);
        image.fill(qRgb(40, 80, 120));
        image.setPixel(0, 0, qRgb(255, 0, 0));
        image.setPixel(width - 1, height - 1, qRgb(0, 0, 255));
        return image;
    }
    test::TempFolder folder, from;
};

TEST_F(image_tools, import_lays_transparency_over_the_background) {
    QImage png(64, 64, QImage::Format_ARGB32);
    png.fill(qRgba(0, 0, 0, 0));
    png.setPixel(0, 0, qRgba(200, 100, 50, 255));
    png.setPixel(63, 63, qRgba(255, 255, 255, 128));
    const std::string file = source(png, "icon.png");
    for (const auto& [background, under] :
         {std::pair{"black", qRgb(0, 0, 0)}, std::pair{"0,0,255", qRgb(0, 0, 255)}}) {
        ASSERT_EQ(import(file, "movie.bmp", {"--force", "--background", background}).status, 0);
        const Bytes bmp = test::read_file(folder / "movie.bmp");
        ASSERT_EQ(bmp.size(), 12342u);
        EXPECT_EQ(bmp_pixel(bmp, 64, 64, 0, 0), qRgb(200, 100, 50));
        EXPECT_EQ(bmp_pixel(bmp, 64, 64, 5, 5), under);
        EXPECT_EQ(bmp_pixel(bmp, 64, 64, 63, 63), qRgb(128, 128, 128 + qBlue(under) / 2));
    }
}

TEST_F(image_tools, import_scales_a_palette_picture_as_its_true_colour_twin) {
    QImage drawn(300, 220, QImage::Format_RGB32);
    drawn.fill(Qt::white);
    for (int y = 60; y < 160; ++y)
        for (int x = 0; x < 300; ++x)
            drawn.setPixel(x, y, qRgb(x % 256, 0, 255 - x % 256));
    import(source(drawn.convertToFormat(QImage::Format_Indexed8), "p.png"), "mainnds.bmp",
           {"--scale"});
    const Bytes palette = test::read_file(folder / "mainnds.bmp");
    import(
        source(
            drawn.convertToFormat(QImage::Format_Indexed8).convertToFormat(QImage::Format_RGB888),
            "t.png"),
        "mainnds.bmp", {"--scale", "--force"});
    EXPECT_EQ(palette, test::read_file(folder / "mainnds.bmp"));
    EXPECT_EQ(bmp_pixel(palette, 256, 192, 3, 3), qRgb(255, 255, 255));
}

// On a smooth gradient, each 8×8 block of the skin as the handheld shows it keeps the source's
// mean.
TEST_F(image_tools, import_dither_keeps_the_mean_of_every_block) {
    QImage gradient(256, 192, QImage::Format_RGB888);
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x)
            gradient.setPixel(x, y,
                              qRgb(x * 40 / 255 + 100, y * 60 / 191, (x + y) * 30 / 446 + 200));
    const std::string file = source(gradient, "gradient.png");
    double worst[2] = {0, 0};
    for (const bool dither : {false, true}) {
        import(file, "mainnds.bmp",
               dither ? std::vector<std::string>{"--force", "--dither"}
                      : std::vector<std::string>{"--force"});
        const Bytes bmp = test::read_file(folder / "mainnds.bmp");
        for (int block = 0; block < 32 * 24; ++block) {
            double sums[2][3] = {};
            for (int i = 0; i < 64; ++i) {
                const int x = block % 32 * 8 + i % 8, y = block / 32 * 8 + i / 8;
                const QRgb shown = bmp_pixel(bmp, 256, 192, x, y), wanted = gradient.pixel(x, y);
                const int channels[2][3] = {{qRed(shown), qGreen(shown), qBlue(shown)},
                                            {qRed(wanted), qGreen(wanted), qBlue(wanted)}};
                for (int c = 0; c < 3; ++c)
                    sums[0][c] += skin::skin_level(unsigned(channels[0][c]) >> 3),
                        sums[1][c] += channels[1][c];
            }
            for (int c = 0; c < 3; ++c)
                worst[dither] = std::max(worst[dither], std::abs(sums[0][c] - sums[1][c]) / 64);
        }
    }
    std::cout << "largest block difference: " << worst[0] << " plain, " << worst[1]
              << " dithered\n";
    EXPECT_GT(worst[0], 3.0);
    EXPECT_LE(worst[1], 1.0);
}

TEST_F(image_tools, import_refuses_what_it_cannot_use_and_writes_nothing) {
    const std::string big = source(corners(320, 240), "big.png");
    test::write_file(from / "noise.png", Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9});
    // A PNG whose text chunk claims nearly 2 GiB: refused before any reader reserves the memory.
    test::write_file(
        from / "hostile.png",
        Bytes{0x89, 'P', 'N', 'G',  '\r', '\n', 0x1A, '\n', 0,   0,   0,   13,  'I', 'H', 'D',
              'R',  0,   0,   0,    16,   0,    0,    0,    16,  2,   3,   0,   0,   0,   0,
              0,    0,   0,   0x70, 0,    0,    0,    't',  'E', 'X', 't', 'a', 'b'});
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{big, "other.bmp"}, "NAME: \"other.bmp\" is not one of the twelve picture names"},
        {{big, "dir.bmp", "--background", "0,0"}, "--background: \"0,0\" is not a colour"},
        {{big, "mainnds.bmp"},
         "\"" + big + "\" is 320×240, but mainnds.bmp must be 256×192; add --scale to resize it"},
        {{(from / "gone.png").string(), "dir.bmp"},
         "cannot open \"" + (from / "gone.png").string() + "\": no such file"},
        {{(from / "noise.png").string(), "dir.bmp"},
         "cannot read \"" + (from / "noise.png").string() + "\" as a picture: "},
        {{(from / "hostile.png").string(), "dir.bmp"}, "damaged PNG file"},
    };
    for (const auto& [args, message] : cases) {
        const test::CliResult result = import(args[0], args[1], {args.begin() + 2, args.end()});
        EXPECT_NE(result.status, 0);
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
    test::write_file(folder / "dir.bmp", Bytes{9, 9});
    EXPECT_NE(import(big, "dir.bmp", {"--scale"}).err.find("already exists"), std::string::npos);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"dir.bmp"});
    EXPECT_EQ(test::read_file(folder / "dir.bmp"), (Bytes{9, 9}));
}

// Every picture check flags gets a fix that, run exactly as printed, makes check pass.
TEST_F(image_tools, check_fixes_work_as_printed) {
    for (const skin::Picture& picture : skin::kPictures)
        source(corners(int(picture.width), int(picture.height)), picture.name.data(), "BMP");
    QImage top_down = corners(256, 192).mirrored();
    Bytes flipped = (source(top_down, "t.bmp", "BMP"), test::read_file(from / "t.bmp"));
    flipped[22] = 0x40, flipped[23] = flipped[24] = flipped[25] = 0xFF;  // height -192
    const std::pair<std::function<void()>, const char*> cases[] = {
        {[&] { test::write_file(folder / "mainnds.bmp", flipped); }, "top-down"},
        {[&] {
             corners(192, 256).save(QString::fromStdString((folder / "mainnds.bmp").string()),
                                    "BMP");
         },
         "192×256"},
        {[&] {
             corners(512, 96).save(QString::fromStdString((folder / "mainnds.bmp").string()),
                                   "BMP");
         },
         "512×96"},
        {[&] {
             corners(640, 480).save(QString::fromStdString((folder / "mainnds.bmp").string()),
                                    "PNG");
         },
         "PNG"},
        {[&] {
             corners(256, 192).save(QString::fromStdString((folder / "mainnds.bmp").string()),
                                    "JPEG");
         },
         "JPEG"},
        {[&] {
             corners(300, 200).save(QString::fromStdString((folder / "mainnds.bmp").string()),
                                    "TIFF");
         },
         "TIFF"},
        {[&] {
             corners(256, 192).save(QString::fromStdString((folder / "mainnds.bmp").string()),
                                    "WEBP");
         },
         "WebP"},
    };
    for (const auto& [arrange, what] : cases) {
        SCOPED_TRACE(what);
        std::filesystem::copy(from.path(), folder.path(),
                              std::filesystem::copy_options::overwrite_existing |
                                  std::filesystem::copy_options::recursive);
        arrange();
        const test::CliResult before = run_cli({"check", "--dir", folder.path().string()});
        EXPECT_EQ(before.status, 1);
        const std::size_t fix = before.out.find("fix: orbskin-cli ");
        ASSERT_NE(fix, std::string::npos) << before.out;
        std::istringstream line(before.out.substr(fix + 17, before.out.find('\n', fix) - fix - 17));
        const test::CliResult run = run_cli({std::istream_iterator<std::string>(line), {}});
        EXPECT_EQ(run.status, 0) << run.err;
        const test::CliResult after = run_cli({"check", "--dir", folder.path().string()});
        EXPECT_EQ(after.status, 0) << after.out;
        const Bytes fixed = test::read_file(folder / "mainnds.bmp");
        if (std::string(what) == "top-down") {
            EXPECT_EQ(bmp_pixel(fixed, 256, 192, 0, 0), qRgb(255, 0, 0));
        }
    }
}

TEST_F(image_tools, preview_draws_every_picture_and_keeps_existing_files) {
    for (const skin::Picture& picture : skin::kPictures)
        source(corners(int(picture.width), int(picture.height)), picture.name.data(), "BMP");
    ASSERT_EQ(run_cli({"pack", "--dir", from.path().string(), "--ebook-color=255,255,255"}).status,
              0);
    const std::string skin_path = (from / "ORBSKIN.000").string(),
                      sheet_path = (from / "s.png").string();
    for (const std::string& kept : {skin_path, (from / "dir.bmp").string()}) {
        const Bytes before = test::read_file(kept);
        const test::CliResult refused = run_cli({"preview", skin_path, "-o", kept});
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(
            refused.err,
            "\"" + kept + "\" already exists and was left alone; use --force to replace it\n");
        EXPECT_EQ(test::read_file(kept), before);
    }
    test::write_file(sheet_path, {});
    ASSERT_EQ(run_cli({"preview", skin_path, "-o", sheet_path, "--force"}).status, 0);

    const QImage sheet(QString::fromStdString(sheet_path));
    const PreviewLayout layout = preview_layout();
    ASSERT_EQ(sheet.size(), layout.sheet);
    for (std::size_t i = 0; i < skin::kPictures.size(); ++i) {
        const QRect& shown = layout.actual_size[i];
        EXPECT_EQ(sheet.pixel(shown.topLeft()), qRgb(255, 0, 0)) << i;
        EXPECT_EQ(sheet.pixel(shown.bottomRight()), qRgb(0, 0, 255)) << i;
        if (i < kScreenCount) {
            EXPECT_EQ(sheet.pixel(layout.double_size[i].bottomRight()), qRgb(0, 0, 255)) << i;
        }
        EXPECT_EQ(sheet.pixel(layout.swatches[0].center()), qRgb(0, 0, 255));
    }
    EXPECT_EQ(sheet.pixel(layout.swatches[2].center()), qRgb(255, 255, 255));
    // The longest swatch label shows whole, clear of the next swatch.
    const int needed =
        QFontMetrics(preview_font()).horizontalAdvance("Selected text color 255,255,255");
    for (std::size_t g = 0; g < kColourCount; ++g) {
        EXPECT_GE(layout.swatch_labels[g].width(), needed);
        for (const QRect& swatch : layout.swatches)
            EXPECT_FALSE(layout.swatch_labels[g].intersects(swatch));
    }
}

}  // namespace
}  // namespace orbskin::cli

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);  // fonts, for the labels' widths
    return RUN_ALL_TESTS();
}
