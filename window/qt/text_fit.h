// Whether every fixed text of a window shows whole in its control with the font in use.
#pragma once

#include <QStringList>

class QWidget;

namespace orbskin::window {

// The texts of `root`'s labels, group titles, check boxes, buttons and fields that the fonts
// in use would clip, each as "objectName: text". Empty when everything fits.
[[nodiscard]] QStringList clipped_texts(const QWidget& root);

}  // namespace orbskin::window
