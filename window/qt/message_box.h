// The message box of a run: the text, one OK button, no icon, the window's title as caption.
#pragma once

#include <QString>
#include <string_view>

class QWidget;

namespace orbskin::window {

// A text of our tables as Qt holds it.
[[nodiscard]] inline QString text_of(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Shows the box modal to `parent` and returns when it is dismissed.
void show_message(QWidget* parent, const QString& text);

}  // namespace orbskin::window
