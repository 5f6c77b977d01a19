// The preview's layout leaves its swatch labels room for their longest text in Qt's fonts.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>

#include "picture/preview.h"

namespace orbskin::picture {
namespace {

TEST(preview_layout, gives_each_swatch_label_room_clear_of_the_next_swatch) {
    const PreviewLayout layout = preview_layout();
    QFont font;
    font.setPixelSize(kTextPixels);
    const int needed = QFontMetrics(font).horizontalAdvance("Selected text color 255,255,255");
    for (std::size_t g = 0; g < kColourCount; ++g) {
        EXPECT_GE(layout.swatch_labels[g].width, needed);
        for (const Rect& swatch : layout.swatches)
            EXPECT_FALSE(layout.swatch_labels[g].intersects(swatch));
    }
}

}  // namespace
}  // namespace orbskin::picture

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);  // fonts, for the labels' widths
    return RUN_ALL_TESTS();
}
