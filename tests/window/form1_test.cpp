// Form1 on the offscreen platform: the run it starts, its message boxes, focus, keys and layout.
#include "window/qt/form1.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <optional>

#include "tests/support/injecting_os.h"
#include "tests/support/temp_folder.h"
#include "window/qt/text_fit.h"

using orbskin::window::Form1;

class Form1Test : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void tab_follows_the_focus_order();
    void keys_run_it_from_the_button_only();
    void runtime_failure_is_shown_and_the_window_goes_on();
    void controls_stay_inside_apart_and_unclipped();

  private:
    // Sends `key` to `target` (the button by default), dismisses the box that appears and gives
    // its text; nothing when no box came. Checks the box's form on the way.
    std::optional<QString> press(Qt::Key key, QWidget* target = nullptr,
                                 Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    QWidget* control(const char* name) { return form->findChild<QWidget*>(name); }
    void open_form();
    std::filesystem::path skin_path() const { return folder->path() / "ORBSKIN.000"; }

    std::unique_ptr<orbskin::test::TempFolder> folder;
    orbskin::test::InjectingOs disk;  // the real calls, unless a test fails one
    std::unique_ptr<Form1> form;
};

void Form1Test::init() {
    folder = std::make_unique<orbskin::test::TempFolder>();
    orbskin::test::write_pictures(folder->path());
    open_form();
}

void Form1Test::open_form() {
    form = std::make_unique<Form1>(disk, folder->path());
    form->show();
    QApplication::setActiveWindow(form.get());
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
}

void Form1Test::cleanup() {
    form.reset();
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

void Form1Test::tab_follows_the_focus_order() {
    QCOMPARE(QApplication::focusWidget(), control("Command3"));
    QStringList expected;
    for (int n = 1; n <= 23; ++n)
        expected << QString("Text%1").arg(n);
    expected += QStringList{"Check1", "Text24", "Text25", "Command3"};
    QStringList forward;  // Shift+Tab walks the same chain back: Qt's own
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        forward << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(forward, expected);
}

// Space and keypad Enter on the button run it; Escape there, and Return in a field, do not.
void Form1Test::keys_run_it_from_the_button_only() {
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, const char*, bool> rows[] = {
        {Qt::Key_Space, Qt::NoModifier, "Command3", true},
        {Qt::Key_Enter, Qt::KeypadModifier, "Command3", true},
        {Qt::Key_Escape, Qt::NoModifier, "Command3", false},
        {Qt::Key_Return, Qt::NoModifier, "Text5", false}};
    for (const auto& [key, modifiers, target, runs] : rows) {
        std::filesystem::remove(skin_path());
        control(target)->setFocus();
        const std::optional<QString> box = press(key, control(target), modifiers);
        QVERIFY2(box.has_value() == runs && std::filesystem::exists(skin_path()) == runs,
                 qPrintable(QString("key %1 on %2").arg(key).arg(target)));
        QVERIFY(form->isVisible());
    }
}

// A full disk: the box names the cause in the user's language, the old skin stays, and the next
// run works with pack's own word, the same in every language.
void Form1Test::runtime_failure_is_shown_and_the_window_goes_on() {
    for (const auto& [lang, said] :
         {std::pair("C.UTF-8", ": No space left on device"),
          std::pair("fr_FR.UTF-8", "\u00a0: Aucun espace disponible sur le périphérique")}) {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            qunsetenv(name);
        qputenv("LANG", lang);
        open_form();  // the language is read as it opens
        qunsetenv("LANG");
        const orbskin::test::Bytes old_skin(1000, 0x42);
        orbskin::test::write_file(skin_path(), old_skin);
        disk.fail_nth("rename", 0, ENOSPC);
        const std::optional<QString> box = press(Qt::Key_Return);
        disk.before = nullptr;
        QVERIFY2(box && box->endsWith(QString(said)), qPrintable(box.value_or("no box")));
        QVERIFY(orbskin::test::read_file(skin_path()) == old_skin);
        QCOMPARE(press(Qt::Key_Return), std::optional<QString>("Finish!"));
    }
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
    QCOMPARE(form->findChild<QLabel*>("Label4")->text(), QString("Blue:"));  // numbered backwards
    QCOMPARE(form->findChild<QLabel*>("Label4")->parentWidget()->objectName(), QString("Frame2"));
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
