// orbskin: the window, working in the folder named on its command line or in the current one.
#include <QApplication>
#include <QIcon>

#include "disk/files.h"
#include "window/form_layout.h"
#include "window/qt/form1.h"
#include "window/qt/message_box.h"
#include "window/start_folder.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString title = orbskin::window::text_of(orbskin::window::kTitle);
    // Qt appends the display name to every window title unless the title already ends with it.
    QApplication::setApplicationDisplayName(title);
    QApplication::setWindowIcon(QIcon(":/orbskin.png"));
    QGuiApplication::setDesktopFileName("orbskin");

    const QStringList arguments = QApplication::arguments();
    const std::filesystem::path folder =
        arguments.size() > 1 ? std::filesystem::path(arguments[1].toStdString()) : "";
    if (const auto refused =
            orbskin::window::refuse_start_folder(orbskin::disk::system_os(), folder);
        !folder.empty() && refused) {
        orbskin::window::show_message(nullptr, QString::fromStdString(*refused));
        return 1;
    }
    orbskin::window::Form1 form(orbskin::disk::system_os(), folder);
    form.place_on_screen();
    form.show();
    return QApplication::exec();
}
