// Form1 on the offscreen platform: the run it starts, its message boxes, focus, keys and layout.
#include "window/qt/form1.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <optional>

#include "runtime/os.h"
#include "tests/cli/cli_harness.h"
#include "tests/support/injecting_os.h"
#include "tests/support/temp_folder.h"
#include "window/placement.h"
#include "window/qt/text_fit.h"

using orbskin::window::Form1;

class Form1Test : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void tab_and_backtab_follow_the_focus_order();
    void just_go_writes_what_the_command_line_writes();
    void keys_data();
    void keys();
    void failed_run_shows_its_message_and_changes_nothing_data();
    void failed_run_shows_its_message_and_changes_nothing();
    void window_is_fixed_with_close_box_only_and_placed_above_centre();
    void controls_stay_inside_apart_and_unclipped();

  private:
    // Sends `key` to `target` (the button by default), dismisses the box that appears and gives
    // its text; nothing when no box came. Checks the box's form on the way.
    std::optional<QString> press(Qt::Key key, QWidget* target = nullptr,
                                 Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    QLineEdit* field(int number) {
        return form->findChild<QLineEdit*>(QString("Text%1").arg(number));
    }
    QWidget* control(const char* name) { return form->findChild<QWidget*>(name); }
    std::filesystem::path skin_path() const { return folder->path() / "ORBSKIN.000"; }

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
    QVERIFY(QApplication::topLevelWidgets().isEmpty());  // every box was dismissed
}

std::optional<QString> Form1Test::press(Qt::Key key, QWidget* target,
                                        Qt::KeyboardModifiers modifiers) {
    std::optional<QString> seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = box->text();
        QCOMPARE(box->windowTitle(), QString("Generate ORBSKIN"));
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(box->parentWidget() == form.get() && box->isModal());
        box->button(QMessageBox::Ok)->click();
    });
    QTest::keyClick(target ? target : control("Command3"), key, modifiers);
    QTest::qWait(20);
    return seen;
}

void Form1Test::tab_and_backtab_follow_the_focus_order() {
    QCOMPARE(QApplication::focusWidget(), control("Command3"));
    QStringList expected;
    for (int n = 1; n <= 23; ++n)
        expected << QString("Text%1").arg(n);
    expected << "Check1"
             << "Text24"
             << "Text25"
             << "Command3";
    QStringList forward, backward;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        forward << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(forward, expected);
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        backward.prepend(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(backward, QStringList{"Command3"} + expected.mid(0, expected.size() - 1));
}

void Form1Test::just_go_writes_what_the_command_line_writes() {
    QCOMPARE(field(3)->text(), QString("255"));  // a starting value, shown
    std::vector<std::string> args{"pack", "--dir", "other", "--no-hint"};
    for (const auto& group : orbskin::skin::kSettingsGroups) {
        args.push_back(std::string(group.option) + "=");
        for (const std::size_t n : orbskin::skin::fields_of(
                 std::size_t(&group - orbskin::skin::kSettingsGroups.data()))) {
            field(int(n) + 1)->setText(QString::number(n * 9 + 2));
            args.back() += (args.back().ends_with('=') ? "" : ",") + std::to_string(n * 9 + 2);
        }
    }
    qobject_cast<QCheckBox*>(control("Check1"))->setChecked(false);
    QCOMPARE(press(Qt::Key_Return), std::optional<QString>("Finish!"));

    std::filesystem::create_directory("other");
    orbskin::test::write_pictures("other");
    QCOMPARE(orbskin::test::run_cli(args).status, 0);
    QVERIFY(orbskin::test::read_file(skin_path()) == orbskin::test::read_file("other/ORBSKIN.000"));
}

void Form1Test::keys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("runs");
    QTest::newRow("Return on the button") << int(Qt::Key_Return) << 0 << "Command3" << true;
    QTest::newRow("Space on the button") << int(Qt::Key_Space) << 0 << "Command3" << true;
    QTest::newRow("keypad Enter on the button")
        << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "Command3" << true;
    QTest::newRow("Escape on the button") << int(Qt::Key_Escape) << 0 << "Command3" << false;
    QTest::newRow("Return in a field") << int(Qt::Key_Return) << 0 << "Text5" << false;
    QTest::newRow("Enter in a field")
        << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "Text5" << false;
}

void Form1Test::keys() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, target);
    QFETCH(bool, runs);
    QWidget* receiver = control(qPrintable(target));
    receiver->setFocus();
    const std::optional<QString> box =
        press(Qt::Key(key), receiver, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(box.has_value(), runs);
    QCOMPARE(std::filesystem::exists(skin_path()), runs);
    QVERIFY(form->isVisible());
}

void Form1Test::failed_run_shows_its_message_and_changes_nothing_data() {
    QTest::addColumn<QString>("missing");
    QTest::addColumn<int>("bad_field");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing picture") << "game.bmp" << 0 << "game.bmp not found!";
    QTest::newRow("bad last field")
        << "" << 25 << "Main menu text offset, Y: \"256\" is not a number from 0 to 255";
    QTest::newRow("full disk") << "" << 0 << "No space left on device";
}

void Form1Test::failed_run_shows_its_message_and_changes_nothing() {
    QFETCH(QString, missing);
    QFETCH(int, bad_field);
    QFETCH(QString, message);
    const orbskin::test::Bytes old_skin(1000, 0x42);
    orbskin::test::write_file(skin_path(), old_skin);
    if (!missing.isEmpty()) std::filesystem::remove(folder->path() / missing.toStdString());
    if (bad_field) field(bad_field)->setText("256");
    const auto names_before = folder->names();
    orbskin::test::InjectingOs faulty;
    faulty.before = [&faulty](const orbskin::test::InjectingOs::Call& call) {
        if (call.operation == "rename") faulty.fail_call(faulty.calls().size(), ENOSPC);
    };
    std::optional<QString> box;
    {
        orbskin::runtime::OsOverride use(faulty);
        box = press(Qt::Key_Return);
    }
    QVERIFY2(box && box->endsWith(message), qPrintable(box.value_or("no box")));
    QVERIFY(orbskin::test::read_file(skin_path()) == old_skin);
    QVERIFY(folder->names() == names_before);
    QCOMPARE(field(25)->text(), QString(bad_field == 25 ? "256" : "58"));
    if (missing.isEmpty() && !bad_field)
        QCOMPARE(press(Qt::Key_Return), std::optional<QString>("Finish!"));
}

void Form1Test::window_is_fixed_with_close_box_only_and_placed_above_centre() {
    QCOMPARE(form->windowTitle(), QString("Generate ORBSKIN"));
    QCOMPARE(form->size(), QSize(440, 321));
    QCOMPARE(form->minimumSize(), form->maximumSize());
    const Qt::WindowFlags flags = form->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint) &&
            !flags.testFlag(Qt::WindowMaximizeButtonHint));
    // 1024 x 768 pixels and a 450 x 345 frame, in twips: 500 twips above the centre.
    const auto at = orbskin::window::startup_placement({15360, 11520}, {6750, 5175});
    QCOMPARE(at.left, 4305.0f);
    QCOMPARE(at.top, 2672.5f);
    QCOMPARE(orbskin::window::startup_placement({6000, 4000}, {6750, 5175}).top, -1087.5f);
}

void Form1Test::controls_stay_inside_apart_and_unclipped() {
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
    QVERIFY2(orbskin::window::clipped_texts(*form).isEmpty(),
             qPrintable(orbskin::window::clipped_texts(*form).join(", ")));
    // Independently of the style's arithmetic: each caption within its control.
    const QFontMetrics metrics(form->font());
    for (QLabel* label : form->findChildren<QLabel*>())
        QVERIFY2(metrics.boundingRect(label->text()).width() + 2 <= label->width(),
                 qPrintable(label->objectName()));
    for (QGroupBox* group : form->findChildren<QGroupBox*>())
        QVERIFY2(metrics.horizontalAdvance(group->title()) < group->width(),
                 qPrintable(group->objectName()));
    QCOMPARE(form->findChild<QLabel*>("Label4")->text(), QString("Blue:"));  // numbered backwards
    QCOMPARE(form->findChild<QLabel*>("Label4")->parentWidget()->objectName(), QString("Frame2"));
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
