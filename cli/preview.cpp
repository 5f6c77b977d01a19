// Draws the preview sheet at fixed places, so that it reads the same for every skin.
#include "cli/preview.h"

#include <QPainter>

namespace orbskin::cli {
namespace {

constexpr int kMargin = 16;
constexpr int kGap = 16;
constexpr int kLabel = 20;  // room for a caption above each picture
constexpr int kTitle = 32;
constexpr int kSmallIconScale = 4;
constexpr int kSwatchWidth = 96;
constexpr int kSwatchHeight = 32;
constexpr int kTextLines = 6;
constexpr int kLineHeight = 18;

QSize size_of(const skin::Picture& picture) {
    return {static_cast<int>(picture.width), static_cast<int>(picture.height)};
}

// The picture as it looked in the editor: the section stores the bottom row first.
QImage picture_image(const skin::UnpackedSkin& skin, std::size_t index) {
    const skin::Picture& picture = skin::kPictures[index];
    QImage image(size_of(picture), QImage::Format_RGB32);
    const std::vector<skin::Rgb>& stored = skin.stored_pixels[index];
    for (int y = 0; y < image.height(); ++y) {
        const std::size_t row = picture.height - 1 - static_cast<std::size_t>(y);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const skin::Rgb p = stored[row * picture.width + static_cast<std::size_t>(x)];
            line[x] = qRgb(p.red, p.green, p.blue);
        }
    }
    return image;
}

QString name_of(std::size_t index) {
    return QString::fromUtf8(skin::kPictures[index].name.data(),
                             static_cast<qsizetype>(skin::kPictures[index].name.size()));
}

}  // namespace

PreviewLayout preview_layout() {
    PreviewLayout layout;
    const int screen_w = static_cast<int>(skin::kPictures[0].width);
    const int screen_h = static_cast<int>(skin::kPictures[0].height);
    int y = kMargin + kTitle + kLabel;
    for (int i = 0; i < 4; ++i)
        layout.actual_size[i] = QRect(kMargin + i * (screen_w + kGap), y, screen_w, screen_h);
    y += screen_h + kGap + kLabel;
    for (int i = 0; i < 4; ++i) {
        layout.double_size[i] =
            QRect(kMargin + (i % 2) * (2 * screen_w + kGap),
                  y + (i / 2) * (2 * screen_h + kGap + kLabel), 2 * screen_w, 2 * screen_h);
    }
    y += 2 * (2 * screen_h + kGap + kLabel);
    int x = kMargin;
    int tallest = 0;
    for (std::size_t i = 4; i < skin::kPictures.size(); ++i) {
        const QSize size = size_of(skin::kPictures[i]);
        layout.actual_size[i] = QRect(QPoint(x, y), size);
        x += std::max(size.width(), 80) + kGap;
        tallest = std::max(tallest, size.height());
        if (i >= 10) {
            layout.small_icons_enlarged[i - 10] = QRect(
                QPoint(layout.actual_size[i].right() + 1 + kGap / 2, y), size * kSmallIconScale);
            x += size.width() * kSmallIconScale + kGap;
            tallest = std::max(tallest, size.height() * kSmallIconScale);
        }
    }
    y += tallest + kGap + kLabel;
    for (int i = 0; i < 3; ++i)
        layout.swatches[i] =
            QRect(kMargin + i * (kSwatchWidth + 4 * kGap + 120), y, kSwatchWidth, kSwatchHeight);
    y += kSwatchHeight + kGap;
    const int width = kMargin * 2 + 4 * screen_w + 3 * kGap;
    layout.sheet = QSize(width, y + kTextLines * kLineHeight + kMargin);
    return layout;
}

QImage render_preview(const skin::UnpackedSkin& skin, const QString& title) {
    const PreviewLayout layout = preview_layout();
    QImage sheet(layout.sheet, QImage::Format_RGB32);
    sheet.fill(QColor(236, 236, 236));
    QPainter painter(&sheet);
    painter.setPen(Qt::black);
    QFont font = painter.font();
    font.setPixelSize(13);
    painter.setFont(font);
    const auto caption = [&](const QRect& under, const QString& text) {
        painter.drawText(QRect(under.left(), under.top() - kLabel, 400, kLabel),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
    };

    QFont bold = font;
    bold.setBold(true);
    bold.setPixelSize(16);
    painter.setFont(bold);
    painter.drawText(QRect(kMargin, kMargin, layout.sheet.width(), kTitle), Qt::AlignLeft, title);
    painter.setFont(font);

    for (std::size_t i = 0; i < skin::kPictures.size(); ++i) {
        const QImage image = picture_image(skin, i);
        painter.drawImage(layout.actual_size[i], image);
        caption(layout.actual_size[i], name_of(i));
        if (i < layout.double_size.size()) {
            painter.drawImage(layout.double_size[i], image.scaled(image.size() * 2));
            caption(layout.double_size[i], name_of(i) + " at 2:1");
        }
        if (i >= 10) {  // beside the 1:1 picture, under the same caption
            const QRect& big = layout.small_icons_enlarged[i - 10];
            painter.drawImage(big, image.scaled(big.size()));
        }
    }

    for (std::size_t g = 0; g < layout.swatches.size(); ++g) {
        const std::size_t first = skin::first_field(g);
        const QColor colour(skin.values[first], skin.values[first + 1], skin.values[first + 2]);
        painter.fillRect(layout.swatches[g], colour);
        painter.drawRect(layout.swatches[g].adjusted(-1, -1, 0, 0));
        const QString caption_text =
            QString::fromUtf8(skin::kSettingsGroups[g].caption.data()) +
            QString(" %1,%2,%3").arg(colour.red()).arg(colour.green()).arg(colour.blue());
        painter.drawText(layout.swatches[g].translated(kSwatchWidth + 8, 0).adjusted(0, 0, 200, 0),
                         Qt::AlignLeft | Qt::AlignVCenter, caption_text);
    }

    QStringList lines;
    QString line;
    for (std::size_t g = 3; g < skin::kSettingsGroups.size(); ++g) {
        const std::size_t first = skin::first_field(g);
        line += QString("%1: %2,%3    ")
                    .arg(QString::fromUtf8(skin::kSettingsGroups[g].caption.data()))
                    .arg(skin.values[first])
                    .arg(skin.values[first + 1]);
        if (g % 3 == 2 || g + 1 == skin::kSettingsGroups.size()) {
            lines << line;
            line.clear();
        }
    }
    lines << QString("Show hint: %1").arg(skin.show_hint ? "on" : "off");
    int y = layout.swatches[0].bottom() + 1 + kGap;
    for (const QString& text : lines) {
        painter.drawText(QRect(kMargin, y, layout.sheet.width() - 2 * kMargin, kLineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
        y += kLineHeight;
    }
    return sheet;
}

}  // namespace orbskin::cli
