// Form1 on the offscreen platform: the run it starts, its message boxes, focus, keys and layout.
#include "window/form1.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <optional>
#include <sstream>

#include "cli/cli.h"
#include "runtime/os.h"
#include "tests/support/injecting_os.h"
#include "tests/support/temp_folder.h"
#include "window/text_fit.h"

using orbskin::window::Form1;

namespace {

// What a message box showed before it was dismissed.
struct SeenBox {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool modal_to_form = false;
};

}  // namespace

class Form1Test : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void starts_with_focus_on_just_go();
    void tab_moves_through_the_fields_in_order();
    void just_go_writes_what_the_command_line_writes();
    void just_go_runs_on_space_and_keypad_enter_too();
    void fields_take_any_text_of_any_length();
    void enter_in_a_field_does_not_run();
    void failed_check_shows_its_message_and_changes_nothing_data();
    void failed_check_shows_its_message_and_changes_nothing();
    void runtime_failure_is_shown_and_the_next_run_works();
    void window_is_fixed_with_close_box_only();
    void placement_uses_the_screen_and_outer_size();
    void controls_stay_inside_and_apart();
    void no_text_is_clipped();

  private:
    // Presses the button by `key` while it has the focus, dismisses the box that appears and
    // tells what it showed; nothing when no box came.
    std::optional<SeenBox> press(Qt::Key key, QWidget* target = nullptr,
                                 Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    QLineEdit* field(int number) {
        return form->findChild<QLineEdit*>(QString("Text%1").arg(number));
    }
    QWidget* control(const char* name) { return form->findChild<QWidget*>(name); }

    std::unique_ptr<orbskin::test::TempFolder> folder;
    std::unique_ptr<Form1> form;
    QString previous_folder;
};

void Form1Test::init() {
    folder = std::make_unique<orbskin::test::TempFolder>();
    orbskin::test::write_pictures(folder->path());
    previous_folder = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(folder->path().string()));
    form = std::make_unique<Form1>();
    form->show();
    QApplication::setActiveWindow(form.get());
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
}

void Form1Test::cleanup() {
    form.reset();
    QDir::setCurrent(previous_folder);
    folder.reset();
    // Every box was dismissed; no window is left behind.
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

std::optional<SeenBox> Form1Test::press(Qt::Key key, QWidget* target,
                                        Qt::KeyboardModifiers modifiers) {
    std::optional<SeenBox> seen;
    QTimer watcher;
    int waited = 0;
    watcher.setInterval(10);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            seen = SeenBox{box->text(), box->windowTitle(), box->icon(), box->standardButtons(),
                           box->parentWidget() == form.get() && box->isModal()};
            box->button(QMessageBox::Ok)->click();
        }
        // The watchdog: a run that shows no box must not hang the test.
        if (++waited > 300) watcher.stop();
    });
    watcher.start();
    QWidget* receiver = target ? target : control("Command3");
    QTest::keyClick(receiver, key, modifiers);
    QTest::qWait(30);
    watcher.stop();
    return seen;
}

void Form1Test::starts_with_focus_on_just_go() {
    QCOMPARE(QApplication::focusWidget(), control("Command3"));
    QVERIFY(qobject_cast<QCheckBox*>(control("Check1"))->isChecked());
    QCOMPARE(field(3)->text(), QString("255"));
    QCOMPARE(field(25)->text(), QString("58"));
}

void Form1Test::tab_moves_through_the_fields_in_order() {
    QStringList expected;
    for (int n = 1; n <= 23; ++n)
        expected << QString("Text%1").arg(n);
    expected << "Check1"
             << "Text24"
             << "Text25"
             << "Command3";

    QStringList forward;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        forward << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(forward, expected);

    QStringList backward;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        backward << QApplication::focusWidget()->objectName();
    }
    QStringList reversed(expected.rbegin() + 1, expected.rend());
    reversed << "Command3";
    QCOMPARE(backward, reversed);
}

void Form1Test::just_go_writes_what_the_command_line_writes() {
    field(1)->setText("12");
    field(17)->setText(" 200");
    qobject_cast<QCheckBox*>(control("Check1"))->setChecked(false);

    const std::optional<SeenBox> box = press(Qt::Key_Return);
    QVERIFY(box);
    QCOMPARE(box->text, QString("Finish!"));
    QCOMPARE(box->title, QString("Generate ORBSKIN"));
    QCOMPARE(box->icon, QMessageBox::NoIcon);
    QCOMPARE(box->buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QVERIFY(box->modal_to_form);

    orbskin::test::TempFolder other;
    orbskin::test::write_pictures(other.path());
    std::ostringstream out, err;
    const std::vector<std::string> args{"orbskin-cli",         "pack",         "--dir",
                                        other.path().string(), "--list-color", "12,0,255",
                                        "--game-icon",         "16, 200",      "--no-hint"};
    QCOMPARE(orbskin::cli::run(args, out, err), 0);
    QVERIFY(orbskin::test::read_file(folder->path() / "ORBSKIN.000") ==
            orbskin::test::read_file(other.path() / "ORBSKIN.000"));
    QCOMPARE(field(17)->text(), QString(" 200"));
}

void Form1Test::just_go_runs_on_space_and_keypad_enter_too() {
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_Space, Qt::NoModifier}, std::pair{Qt::Key_Enter, Qt::KeypadModifier}}) {
        std::filesystem::remove(folder->path() / "ORBSKIN.000");
        const std::optional<SeenBox> box = press(key, nullptr, modifiers);
        QVERIFY2(box && box->text == "Finish!", qPrintable(QString::number(key)));
        QVERIFY(std::filesystem::exists(folder->path() / "ORBSKIN.000"));
    }
}

void Form1Test::fields_take_any_text_of_any_length() {
    const QString long_text(40000, QChar('7'));
    field(4)->setText(long_text);
    field(5)->setText("abc -1 0x1F");
    QCOMPARE(field(4)->text(), long_text);
    QCOMPARE(QString::fromStdString(form->settings().texts[4]), QString("abc -1 0x1F"));
}

void Form1Test::enter_in_a_field_does_not_run() {
    field(5)->setFocus();
    QVERIFY(!press(Qt::Key_Return, field(5)));
    QVERIFY(!press(Qt::Key_Enter, field(5)));
    QVERIFY(!std::filesystem::exists(folder->path() / "ORBSKIN.000"));
}

void Form1Test::failed_check_shows_its_message_and_changes_nothing_data() {
    QTest::addColumn<QString>("missing");
    QTest::addColumn<int>("bad_field");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing picture") << "game.bmp" << 0 << "game.bmp not found!";
    QTest::newRow("bad last field")
        << "" << 25 << "Main menu text offset, Y: \"256\" is not a number from 0 to 255";
    QTest::newRow("empty first field")
        << "" << 1 << "List text color, Red: \"\" is not a number from 0 to 255";
}

void Form1Test::failed_check_shows_its_message_and_changes_nothing() {
    QFETCH(QString, missing);
    QFETCH(int, bad_field);
    QFETCH(QString, message);

    const orbskin::test::Bytes old_skin(1000, 0x42);
    orbskin::test::write_file(folder->path() / "ORBSKIN.000", old_skin);
    if (!missing.isEmpty()) std::filesystem::remove(folder->path() / missing.toStdString());
    if (bad_field == 25) field(25)->setText("256");
    if (bad_field == 1) field(1)->clear();
    field(10)->setText("99");
    const auto names_before = folder->names();

    const std::optional<SeenBox> box = press(Qt::Key_Return);
    QVERIFY(box);
    QCOMPARE(box->text, message);
    QCOMPARE(box->title, QString("Generate ORBSKIN"));
    QVERIFY(orbskin::test::read_file(folder->path() / "ORBSKIN.000") == old_skin);
    QVERIFY(folder->names() == names_before);
    QCOMPARE(field(10)->text(), QString("99"));
    QCOMPARE(field(25)->text(), QString(bad_field == 25 ? "256" : "58"));
}

void Form1Test::runtime_failure_is_shown_and_the_next_run_works() {
    orbskin::test::InjectingOs faulty;
    faulty.before = [&faulty](const orbskin::test::InjectingOs::Call& call) {
        if (call.operation == "rename") faulty.fail_call(faulty.calls().size(), ENOSPC);
    };
    std::optional<SeenBox> box;
    {
        orbskin::runtime::OsOverride use(faulty);
        box = press(Qt::Key_Return);
    }
    QVERIFY(box);
    QVERIFY2(
        box->text.startsWith("cannot replace \"") && box->text.endsWith("No space left on device"),
        qPrintable(box->text));
    QCOMPARE(box->title, QString("Generate ORBSKIN"));
    QVERIFY(form->isVisible());
    QVERIFY(!std::filesystem::exists(folder->path() / "ORBSKIN.000"));

    box = press(Qt::Key_Return);
    QVERIFY(box);
    QCOMPARE(box->text, QString("Finish!"));
}

void Form1Test::window_is_fixed_with_close_box_only() {
    QCOMPARE(form->windowTitle(), QString("Generate ORBSKIN"));
    QCOMPARE(form->size(), QSize(440, 321));
    QCOMPARE(form->minimumSize(), form->maximumSize());
    const Qt::WindowFlags flags = form->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!qobject_cast<QPushButton*>(control("Command3"))->isDefault());
    QVERIFY(!qobject_cast<QPushButton*>(control("Command3"))->autoDefault());
}

void Form1Test::placement_uses_the_screen_and_outer_size() {
    form->place_on_screen();
    const QRect screen = form->screen()->geometry();
    const QSize outer = form->frameGeometry().size();
    // Centred across; 500 twips (33 1/3 pixels) above the middle, rounded to a pixel.
    QCOMPARE(form->frameGeometry().left(),
             screen.left() + qRound((screen.width() - outer.width()) / 2.0));
    QCOMPARE(form->frameGeometry().top(),
             screen.top() + qRound((screen.height() - outer.height()) / 2.0 - 500.0 / 15.0));
}

void Form1Test::controls_stay_inside_and_apart() {
    const std::function<void(QWidget*)> check = [&](QWidget* parent) {
        const QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (int i = 0; i < children.size(); ++i) {
            const QRect r = children[i]->geometry();
            QVERIFY2(parent->rect().contains(r), qPrintable(children[i]->objectName()));
            for (int j = i + 1; j < children.size(); ++j)
                QVERIFY2(!r.intersects(children[j]->geometry()),
                         qPrintable(children[i]->objectName() + " overlaps " +
                                    children[j]->objectName()));
        }
    };
    check(form.get());
    for (QGroupBox* group : form->findChildren<QGroupBox*>())
        check(group);
    QCOMPARE(form->findChildren<QGroupBox*>().size(), 11);
    QCOMPARE(form->findChildren<QLineEdit*>().size(), 25);
    QCOMPARE(form->findChildren<QLabel*>().size(), 25);
}

void Form1Test::no_text_is_clipped() {
    qInfo() << "font in use:" << form->font().family() << form->font().pointSizeF() << "pt, default"
            << QApplication::font().pointSizeF() << "pt";
    QVERIFY2(orbskin::window::clipped_texts(*form).isEmpty(),
             qPrintable(orbskin::window::clipped_texts(*form).join(", ")));
    // Independently of the style's arithmetic: every label's text in its label, every group's
    // title within its group, and the widest number in a field.
    const QFontMetrics metrics(form->font());
    for (QLabel* label : form->findChildren<QLabel*>())
        QVERIFY2(metrics.boundingRect(label->text()).width() + 2 <= label->width() &&
                     metrics.height() <= label->height(),
                 qPrintable(label->objectName()));
    for (QGroupBox* group : form->findChildren<QGroupBox*>())
        QVERIFY2(metrics.horizontalAdvance(group->title()) < group->width(),
                 qPrintable(group->objectName()));
    for (QLineEdit* field : form->findChildren<QLineEdit*>())
        QVERIFY(metrics.horizontalAdvance("255") < field->width() / 2);
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
