// Draws the preview sheet at fixed places, so that it reads the same for every skin.
#include "cli/preview.h"

#include <QPainter>

namespace orbskin::cli {
namespace {

constexpr int kMargin = 16;
constexpr int kGap = 16;
constexpr int kCaptionHeight = 20;  // room for a caption above each picture
constexpr int kCaptionWidth = 400;
constexpr int kTitleHeight = 32;
constexpr int kTitlePixels = 16;
constexpr int kTextPixels = 13;
constexpr int kIconColumn = 80;  // an icon's column is at least this wide, for its caption
constexpr int kSmallIconScale = 4;
constexpr int kSwatchWidth = 64;
constexpr int kSwatchHeight = 32;
constexpr int kSwatchLabelGap = 8;
constexpr int kLineHeight = 18;
constexpr int kPositionsPerLine = 3;
constexpr std::size_t kFirstSmallIcon = skin::kPictures.size() - kSmallIconCount;
const QColor kBackground(236, 236, 236);

QSize size_of(const skin::Picture& picture) {
    return {static_cast<int>(picture.width), static_cast<int>(picture.height)};
}

QString text_of(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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

// The row of icons under the screens; gives the row's height.
int lay_out_icons(PreviewLayout& layout, int top) {
    int x = kMargin;
    int tallest = 0;
    for (std::size_t i = kScreenCount; i < skin::kPictures.size(); ++i) {
        const QSize size = size_of(skin::kPictures[i]);
        layout.actual_size[i] = QRect(QPoint(x, top), size);
        x += std::max(size.width(), kIconColumn) + kGap;
        tallest = std::max(tallest, size.height());
        if (i >= kFirstSmallIcon) {
            const QPoint beside(layout.actual_size[i].right() + 1 + kGap / 2, top);
            layout.small_icons_enlarged[i - kFirstSmallIcon] =
                QRect(beside, size * kSmallIconScale);
            x += size.width() * kSmallIconScale + kGap;
            tallest = std::max(tallest, size.height() * kSmallIconScale);
        }
    }
    return tallest;
}

QString swatch_text(const skin::UnpackedSkin& skin, std::size_t group) {
    QString text = text_of(skin::kSettingsGroups[group].caption);
    const char* separator = " ";
    for (const std::size_t field : skin::fields_of(group)) {
        text += separator + QString::number(skin.values[field]);
        separator = ",";
    }
    return text;
}

QStringList settings_lines(const skin::UnpackedSkin& skin) {
    QStringList lines;
    QString line;
    int on_line = 0;
    for (std::size_t g = 0; g < skin::kSettingsGroups.size(); ++g) {
        if (skin::kSettingsGroups[g].kind != skin::GroupKind::position) continue;
        const auto fields = skin::fields_of(g);
        line += QString("%1: %2,%3    ")
                    .arg(text_of(skin::kSettingsGroups[g].caption))
                    .arg(skin.values[fields.front()])
                    .arg(skin.values[fields.back()]);
        if (++on_line == kPositionsPerLine) {
            lines << line;
            line.clear();
            on_line = 0;
        }
    }
    if (!line.isEmpty()) lines << line;
    lines << QString("Show hint: %1").arg(skin.show_hint ? "on" : "off");
    return lines;
}

void draw_pictures(QPainter& painter, const PreviewLayout& layout, const skin::UnpackedSkin& skin) {
    const auto caption = [&](const QRect& under, const QString& text) {
        painter.drawText(
            QRect(under.left(), under.top() - kCaptionHeight, kCaptionWidth, kCaptionHeight),
            Qt::AlignLeft | Qt::AlignVCenter, text);
    };
    for (std::size_t i = 0; i < skin::kPictures.size(); ++i) {
        const QImage image = picture_image(skin, i);
        const QString name = text_of(skin::kPictures[i].name);
        painter.drawImage(layout.actual_size[i], image);
        caption(layout.actual_size[i], name);
        if (i < kScreenCount) {
            painter.drawImage(layout.double_size[i], image.scaled(image.size() * 2));
            caption(layout.double_size[i], name + " at 2:1");
        }
        if (i >= kFirstSmallIcon) {  // beside the 1:1 picture, under the same caption
            const QRect& big = layout.small_icons_enlarged[i - kFirstSmallIcon];
            painter.drawImage(big, image.scaled(big.size()));
        }
    }
}

void draw_settings(QPainter& painter, const PreviewLayout& layout, const skin::UnpackedSkin& skin) {
    for (std::size_t g = 0; g < kColourCount; ++g) {
        const auto fields = skin::fields_of(g);
        painter.fillRect(layout.swatches[g], QColor(skin.values[fields[0]], skin.values[fields[1]],
                                                    skin.values[fields[2]]));
        painter.drawRect(layout.swatches[g].adjusted(-1, -1, 0, 0));
        painter.drawText(layout.swatch_labels[g], Qt::AlignLeft | Qt::AlignVCenter,
                         swatch_text(skin, g));
    }
    int y = layout.swatches[0].bottom() + 1 + kGap;
    for (const QString& text : settings_lines(skin)) {
        painter.drawText(QRect(kMargin, y, layout.sheet.width() - 2 * kMargin, kLineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
        y += kLineHeight;
    }
}

}  // namespace

QFont preview_font() {
    QFont font;
    font.setPixelSize(kTextPixels);
    return font;
}

PreviewLayout preview_layout() {
    PreviewLayout layout;
    const QSize screen = size_of(skin::kPictures[0]);
    const int width =
        kMargin * 2 + int(kScreenCount) * screen.width() + (int(kScreenCount) - 1) * kGap;
    int y = kMargin + kTitleHeight + kCaptionHeight;
    for (int i = 0; i < int(kScreenCount); ++i)
        layout.actual_size[i] = QRect(QPoint(kMargin + i * (screen.width() + kGap), y), screen);
    y += screen.height() + kGap + kCaptionHeight;
    const int double_row = 2 * screen.height() + kGap + kCaptionHeight;
    for (int i = 0; i < int(kScreenCount); ++i) {
        layout.double_size[i] =
            QRect(QPoint(kMargin + (i % 2) * (2 * screen.width() + kGap), y + (i / 2) * double_row),
                  screen * 2);
    }
    y += 2 * double_row;
    y += lay_out_icons(layout, y) + kGap + kCaptionHeight;

    // The swatches share the sheet's width, each with its label to its right.
    const int column = (width - 2 * kMargin + kGap) / int(kColourCount);
    for (int i = 0; i < int(kColourCount); ++i) {
        layout.swatches[i] = QRect(kMargin + i * column, y, kSwatchWidth, kSwatchHeight);
        const int label_left = layout.swatches[i].right() + 1 + kSwatchLabelGap;
        layout.swatch_labels[i] =
            QRect(label_left, y, kMargin + (i + 1) * column - kGap - label_left, kSwatchHeight);
    }
    y += kSwatchHeight + kGap;
    const int positions = int(skin::kSettingsGroups.size() - kColourCount);
    const int text_lines = (positions + kPositionsPerLine - 1) / kPositionsPerLine + 1;  // + hint
    layout.sheet = QSize(width, y + text_lines * kLineHeight + kMargin);
    return layout;
}

QImage render_preview(const skin::UnpackedSkin& skin, const QString& title) {
    const PreviewLayout layout = preview_layout();
    QImage sheet(layout.sheet, QImage::Format_RGB32);
    sheet.fill(kBackground);
    QPainter painter(&sheet);
    painter.setPen(Qt::black);
    QFont title_font = preview_font();
    title_font.setBold(true);
    title_font.setPixelSize(kTitlePixels);
    painter.setFont(title_font);
    painter.drawText(QRect(kMargin, kMargin, layout.sheet.width(), kTitleHeight), Qt::AlignLeft,
                     title);
    painter.setFont(preview_font());
    draw_pictures(painter, layout, skin);
    draw_settings(painter, layout, skin);
    return sheet;
}

}  // namespace orbskin::cli
