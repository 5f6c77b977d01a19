// The message box of a run: the text, one OK button, no icon, the window's title as caption.
#pragma once

#include <QString>

class QWidget;

namespace orbskin::window {

// Shows the box modal to `parent` and returns when it is dismissed.
void show_message(QWidget* parent, const QString& text);

}  // namespace orbskin::window
