// orbskin: the window. It takes no options; the skin is written to the current folder.
#include <QApplication>
#include <QIcon>

#include "window/form1.h"
#include "window/form_layout.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString title = QString::fromUtf8(orbskin::window::kTitle.data());
    // Qt appends the display name to every window title unless the title already ends with it.
    QApplication::setApplicationDisplayName(title);
    QApplication::setWindowIcon(QIcon(":/orbskin.png"));
    QGuiApplication::setDesktopFileName("orbskin");

    orbskin::window::Form1 form;
    form.place_on_screen();
    form.show();
    return QApplication::exec();
}
