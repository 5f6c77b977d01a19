// The one kind of message box the window shows.
#include "window/qt/message_box.h"

#include <QGridLayout>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include "window/form_layout.h"

namespace orbskin::window {
namespace {

// Room for the title bar's buttons beside the caption, so that a short message such as
// "Finish!" does not leave the window manager to shorten the caption.
constexpr int kTitleBarButtonsWidth = 96;

}  // namespace

void show_message(QWidget* parent, const QString& text) {
    const QString title = text_of(kTitle);
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.setObjectName("messageBox");
    box.setWindowModality(Qt::WindowModal);
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int width = box.fontMetrics().horizontalAdvance(title) + kTitleBarButtonsWidth;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
}

}  // namespace orbskin::window
