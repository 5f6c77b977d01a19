// Measures texts against the room the style leaves for them in each kind of control.
#include "window/qt/text_fit.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>

namespace orbskin::window {
namespace {

// Antialiased glyph edges and hinting at other scales can reach a pixel beyond the advance on
// either side, so a text that fills its room to the last pixel counts as clipped.
constexpr int kEdgeSlack = 2;

bool fits(const QFontMetrics& metrics, const QString& text, const QRect& room) {
    return metrics.horizontalAdvance(text) + kEdgeSlack <= room.width() &&
           metrics.height() <= room.height();
}

QRect label_room(const QLabel& label) {
    return label.contentsRect();
}

QRect group_title_room(const QGroupBox& group) {
    QStyleOptionGroupBox option;
    option.initFrom(&group);
    option.text = group.title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    option.lineWidth = 1;
    // The style sizes the title to its text, so what can clip it is the group's own right edge.
    const QRect title = group.style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                      QStyle::SC_GroupBoxLabel, &group);
    return {title.left(), title.top(), group.width() - title.left(), title.height()};
}

QRect check_box_room(const QCheckBox& box) {
    QStyleOptionButton option;
    option.initFrom(&box);
    option.text = box.text();
    return box.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &box);
}

QRect button_room(const QPushButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    const QRect contents =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    const int margin = button.style()->pixelMetric(QStyle::PM_ButtonMargin, &option, &button);
    return contents.adjusted(margin / 2, 0, -margin / 2, 0);
}

QRect field_room(const QLineEdit& field) {
    QStyleOptionFrame option;
    option.initFrom(&field);
    option.lineWidth =
        field.hasFrame() ? field.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &field)
                         : 0;
    const QRect contents =
        field.style()->subElementRect(QStyle::SE_LineEditContents, &option, &field);
    const QMargins margins = field.textMargins();
    // A line edit keeps a further margin of its own around the text.
    constexpr int kLineEditMargin = 1;
    return contents.marginsRemoved(margins).adjusted(kLineEditMargin * 2, 0, -kLineEditMargin * 2,
                                                     0);
}

}  // namespace

QStringList clipped_texts(const QWidget& root) {
    QStringList clipped;
    const auto note = [&clipped](const QWidget& widget, const QString& text, const QRect& room) {
        if (!fits(widget.fontMetrics(), text, room)) clipped << widget.objectName() + ": " + text;
    };
    for (const QLabel* label : root.findChildren<QLabel*>())
        note(*label, label->text(), label_room(*label));
    for (const QGroupBox* group : root.findChildren<QGroupBox*>())
        note(*group, group->title(), group_title_room(*group));
    for (const QCheckBox* box : root.findChildren<QCheckBox*>())
        note(*box, box->text(), check_box_room(*box));
    for (const QPushButton* button : root.findChildren<QPushButton*>())
        note(*button, button->text(), button_room(*button));
    for (const QLineEdit* field : root.findChildren<QLineEdit*>())
        note(*field, field->text(), field_room(*field));
    return clipped;
}

}  // namespace orbskin::window
