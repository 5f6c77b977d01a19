// The preview sheet of a skin: every picture as it looked in the editor, the text colours as
// swatches, and the positions and hint flag as text.
#pragma once

#include <QFont>
#include <QImage>
#include <QRect>
#include <array>

#include "skin/unpack.h"

namespace orbskin::cli {

inline constexpr std::size_t kScreenCount = 4;
inline constexpr std::size_t kSmallIconCount = 2;
inline constexpr std::size_t kColourCount = 3;

struct PreviewLayout {
    QSize sheet;
    std::array<QRect, skin::kPictures.size()> actual_size;    // every picture at 1:1
    std::array<QRect, kScreenCount> double_size;              // the four screens at 2:1
    std::array<QRect, kSmallIconCount> small_icons_enlarged;  // dir.bmp and updir.bmp at 4:1
    std::array<QRect, kColourCount> swatches;                 // the three text colours
    std::array<QRect, kColourCount> swatch_labels;            // "List text color 0,0,255"
};

[[nodiscard]] PreviewLayout preview_layout();

// The font of the sheet's captions.
[[nodiscard]] QFont preview_font();

// Draws the sheet. Needs a QGuiApplication for its text.
[[nodiscard]] QImage render_preview(const skin::UnpackedSkin& skin, const QString& title);

}  // namespace orbskin::cli
