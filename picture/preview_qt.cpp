// The preview's text in Qt's fonts, and its PNG.
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <memory>

#include "picture/platform.h"
#include "runtime/error.h"

namespace orbskin::picture {

std::vector<std::uint8_t> render_png(const Sheet& sheet) {
    // Text needs a GUI application; the offscreen platform serves with or without a display.
    std::unique_ptr<QGuiApplication> application;
    static int argc = 3;
    static char name[] = "orbskin-cli", platform[] = "-platform", offscreen[] = "offscreen";
    static char* argv[] = {name, platform, offscreen, nullptr};
    if (!QGuiApplication::instance()) {
        // Qt's notes about the session (no runtime folder and such) are not the user's business.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                (void)std::fputs(qPrintable(text + '\n'), stderr);
        });
        application = std::make_unique<QGuiApplication>(argc, argv);
    }
    QImage image(sheet.width, sheet.height, QImage::Format_RGB32);
    for (int y = 0; y < sheet.height; ++y)
        std::copy_n(sheet.pixels.begin() + std::ptrdiff_t(y) * sheet.width, sheet.width,
                    reinterpret_cast<QRgb*>(image.scanLine(y)));
    QPainter painter(&image);
    for (const Text& text : sheet.texts) {
        painter.setPen(QColor::fromRgb(text.colour));
        QFont font = painter.font();
        font.setPixelSize(text.title ? kTitlePixels : kTextPixels);
        font.setBold(text.title);
        painter.setFont(font);
        painter.drawText(QRect(text.at.left, text.at.top, text.at.width, text.at.height),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                         QString::fromStdString(text.text));
    }
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw runtime::Error(runtime::Message("cannot encode the preview as PNG"));
    return {png.begin(), png.end()};
}

}  // namespace orbskin::picture
