// The preview sheet of a skin: every picture as it looked in the editor, the text colours as
// swatches, and the positions and hint flag as text.
#pragma once

#include <QImage>
#include <QRect>
#include <array>

#include "skin/unpack.h"

namespace orbskin::cli {

struct PreviewLayout {
    QSize sheet;
    std::array<QRect, skin::kPictures.size()> actual_size;  // every picture at 1:1
    std::array<QRect, 4> double_size;                       // the four screens at 2:1
    std::array<QRect, 2> small_icons_enlarged;              // dir.bmp and updir.bmp at 4:1
    std::array<QRect, 3> swatches;                          // the three text colours
};

[[nodiscard]] PreviewLayout preview_layout();

// Draws the sheet. Needs a QGuiApplication for its text.
[[nodiscard]] QImage render_preview(const skin::UnpackedSkin& skin, const QString& title);

}  // namespace orbskin::cli
