// import, check's fixes and preview: pictures made in the test, converted and drawn, checked pixel
// by pixel.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <sstream>

#include "cli/commands.h"
#include "cli/preview.h"
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
    }
    EXPECT_EQ(sheet.pixel(layout.swatches[0].center()), qRgb(0, 0, 255));
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
