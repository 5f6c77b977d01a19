// Form1: built group by group from the layout tables; its button hands the fields to the
// generate command and shows the one message that comes back.
#include "window/qt/form1.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "disk/skin_folder.h"
#include "runtime/error.h"
#include "window/form_layout.h"
#include "window/placement.h"
#include "window/qt/message_box.h"
#include "window/qt/text_fit.h"

namespace orbskin::window {
namespace {

QRect twips_to_pixel_rect(const TwipRect& r) {
    return {twips_to_pixels(r.left), twips_to_pixels(r.top), twips_to_pixels(r.width),
            twips_to_pixels(r.height)};
}

// A push button that Enter and Return press too, like Space, but only while it has the focus:
// it is never a default button, so Enter in a field does nothing.
class PushButton final : public QPushButton {
  public:
    using QPushButton::QPushButton;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
            (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            click();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

// The frame margins arrive from the window manager shortly after the window is shown.
constexpr int kFramePollMilliseconds = 10;
constexpr int kFramePollAttempts = 50;

}  // namespace

Form1::Form1(runtime::Os& os, std::filesystem::path folder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      os_(os),
      folder_(std::move(folder)) {
    setObjectName("Form1");
    setWindowTitle(text_of(kTitle));
    setFixedSize(twips_to_pixels(kClientWidth), twips_to_pixels(kClientHeight));
    create_groups();
    create_controls();
    set_focus_order();
    fit_font();
    just_go_->setFocus();
}

void Form1::create_groups() {
    for (std::size_t g = 0; g < skin::kSettingsGroups.size(); ++g) {
        auto* group = new QGroupBox(text_of(skin::kSettingsGroups[g].caption), this);
        group->setObjectName(QString("Frame%1").arg(g + 1));
        group->setGeometry(twips_to_pixel_rect(group_rect(g)));

        for (const std::size_t n : skin::fields_of(g)) {
            const skin::SettingsField& row = skin::kSettingsFields[n];
            const int row_top = kFieldRowTops[n - skin::first_field(g)];

            auto* label = new QLabel(text_of(row.label), group);
            label->setObjectName(QString("Label%1").arg(row.label_number));
            label->setGeometry(twips_to_pixel_rect(
                {kLabelInRow.left, row_top, kLabelInRow.width, kLabelInRow.height}));

            auto* field = new QLineEdit(text_of(row.starting_text), group);
            field->setObjectName(QString("Text%1").arg(n + 1));
            field->setGeometry(twips_to_pixel_rect(
                {kFieldInRow.left, row_top, kFieldInRow.width, kFieldInRow.height}));
            field->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            // Any text is accepted and handed over as typed; judging it is the settings block's
            // job.
            field->setMaxLength(std::numeric_limits<int>::max());
            fields_[n] = field;
        }
    }
}

void Form1::create_controls() {
    show_hint_ = new QCheckBox(text_of(kCheckCaption), this);
    show_hint_->setObjectName("Check1");
    show_hint_->setGeometry(twips_to_pixel_rect(kCheckRect));
    show_hint_->setChecked(skin::kShowHintStarting);

    auto* button = new PushButton(text_of(kButtonCaption), this);
    button->setObjectName("Command3");
    button->setGeometry(twips_to_pixel_rect(kButtonRect));
    button->setAutoDefault(false);
    button->setDefault(false);
    connect(button, &QPushButton::clicked, this, &Form1::just_go);
    just_go_ = button;
}

void Form1::set_focus_order() {
    QWidget* previous = nullptr;
    for (const FocusStop& stop : focus_order()) {
        QWidget* widget = stop.kind == FocusStop::button  ? static_cast<QWidget*>(just_go_)
                          : stop.kind == FocusStop::check ? static_cast<QWidget*>(show_hint_)
                                                          : fields_[stop.field];
        if (previous) QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void Form1::fit_font() {
    QFont font = this->font();
    font.setPointSizeF(fitted_point_size(static_cast<float>(font.pointSizeF()), [&](float size) {
        font.setPointSizeF(size);
        setFont(font);
        return clipped_texts(*this).isEmpty();
    }));
    setFont(font);
}

skin::SkinSettings Form1::settings() const {
    skin::SkinSettings settings;
    for (std::size_t n = 0; n < fields_.size(); ++n)
        settings.texts[n] = fields_[n]->text().toStdString();
    settings.show_hint = show_hint_->isChecked();
    return settings;
}

void Form1::place_on_screen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const QSize outer = frameGeometry().size();
    const TwipPosition at =
        startup_placement({pixels_to_twips(area.width()), pixels_to_twips(area.height())},
                          {pixels_to_twips(outer.width()), pixels_to_twips(outer.height())});
    move(area.left() + twips_to_pixels(at.left), area.top() + twips_to_pixels(at.top));
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!placed_with_frame_) place_again_once_framed(kFramePollAttempts);
}

void Form1::place_again_once_framed(int attempts_left) {
    if (frameGeometry().size() != size()) {
        placed_with_frame_ = true;
        place_on_screen();
        return;
    }
    if (attempts_left > 0) {
        QTimer::singleShot(kFramePollMilliseconds, this,
                           [this, attempts_left] { place_again_once_framed(attempts_left - 1); });
    }
}

void Form1::just_go() {
    QString message;
    try {
        message = QString::fromStdString(disk::generate(os_, folder_, settings()).message);
    } catch (const std::exception& failure) {
        message = QString::fromStdString(words_(runtime::failure_message(failure)));
    }
    show_message(this, message);
}

}  // namespace orbskin::window
