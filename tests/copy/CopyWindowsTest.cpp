#include "copy/gui/CollisionDialog.h"
#include "copy/gui/CopyProgressDialog.h"
#include "copy/gui/RenameDialog.h"
#include "i18n/StringTable.h"
#include "ui/MessageBoxes.h"

#include "support/MessageBoxAnswerer.h"
#include "support/TempFolder.h"

#include <QAction>
#include <QCheckBox>
#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>
#include <string>
#include <vector>

using tw::copy::CollisionAction;
using tw::copy::CollisionDialog;
using tw::copy::CopyProgressDialog;
using tw::copy::RenameDialog;

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

class CopyWindowsTest : public QObject {
    Q_OBJECT

    // The texts the windows under test show, fresh for each test.
    tw::i18n::StringTable m_strings;

private slots:
    void init() {
        m_strings = tw::i18n::StringTable{};
        tw::ui::setBeep([] {});
    }
    void cleanup() { tw::ui::setBeep({}); }

    // The run pumps the window's events on its own stack: a close or Escape then must not
    // take the window away, only ask for a stop; the main window hides for the run alone.
    void closingTheCopyWindowDuringTheRunIsACancelAndTheWindowStays() {
        QWidget main;
        main.show();
        tw::copy::RunFlags flags;
        bool mainHiddenDuringRun = false, stayedOpen = false, cancelSeen = false;
        CopyProgressDialog* self = nullptr;
        CopyProgressDialog form(
            m_strings,
            [&](tw::copy::ProgressDisplay&, tw::copy::RunControl& control,
                tw::copy::RunQuestions&) {
                mainHiddenDuringRun = !main.isVisible();
                self->close();
                QTest::keyClick(self, Qt::Key_Escape);
                control.processEvents(flags);
                stayedOpen = self->isVisible();
                cancelSeen = flags.cancelRequested();
                return tw::copy::CopyRun::End::Cancelled;
            },
            flags, &main);
        self = &form;
        QCOMPARE(form.execRun(), tw::copy::CopyRun::End::Cancelled);
        QVERIFY(mainHiddenDuringRun);
        QVERIFY(stayedOpen);
        QVERIFY(cancelSeen);
        QVERIFY(!form.isVisible());
        QVERIFY(main.isVisible());
    }

    // Only the buttons answer: Escape leaves the dialog open, a Cancel answered No too; the
    // folder buttons open each file's folder; a stop confirmed closes it with no action. The
    // box is disabled when the sizes match and then never reports a remembered answer.
    void collisionDialogAnswersOnlyThroughItsButtons() {
        tw::copy::CollisionQuestion question;
        question.target.path = tw::platform::Path("/media/usb/Музыка/a.mp3");
        question.source.path = tw::platform::Path("/home/u/Rock/a.mp3");
        question.sameSize = true;
        std::vector<std::string> opened;
        CollisionDialog dialog(m_strings, question, nullptr,
                               [&opened](const std::string& folder) { opened.push_back(folder); });
        QVERIFY(!dialog.findChild<QCheckBox*>("sameActionBox")->isEnabled());
        tw::test::MessageBoxAnswerer user({QMessageBox::No, QMessageBox::Yes});
        QTimer::singleShot(0, [&] {
            QTest::keyClick(&dialog, Qt::Key_Escape);
            QVERIFY(dialog.isVisible());
            dialog.findChild<QPushButton*>("openTargetFolderButton")->click();
            dialog.findChild<QPushButton*>("openSourceFolderButton")->click();
            dialog.findChild<QPushButton*>("cancelButton")->click();
            QVERIFY(dialog.isVisible());
            dialog.findChild<QPushButton*>("cancelButton")->click();
        });
        dialog.exec();
        QCOMPARE(user.seen().size(), std::size_t{2});
        const std::vector<std::string> folders = {"/media/usb/Музыка", "/home/u/Rock"};
        QCOMPARE(opened, folders);
        QCOMPARE(dialog.answer().action, CollisionAction::None);
        QVERIFY(dialog.answer().stopConfirmed);
        QVERIFY(!dialog.answer().sameForRest);
    }

    // Enter in the name field answers once: a taken name gives one refusal, not two with
    // the keys typed after the first landing in the second.
    void oneEnterInTheRenameFieldGivesOneRefusal() {
        tw::test::TempFolder folder;
        tw::test::writeFile(folder / "taken.mp3", "x");
        RenameDialog dialog(m_strings, "taken.mp3", tw::platform::Path(folder.path()), nullptr);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* edit = dialog.findChild<QLineEdit*>("nameField");
        edit->setFocus();
        QStringList refusals;
        QTimer dismiss;
        dismiss.setInterval(20);
        QObject::connect(&dismiss, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                refusals << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        dismiss.start();
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::qWait(300);
        QCOMPARE(refusals.size(), 1);
        QVERIFY(dialog.isVisible());
        QVERIFY(refusals.front().startsWith(q(m_strings.StrNameTaken)));

        // A free name then goes through with one Enter as well.
        edit->setText("free.mp3");
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::qWait(100);
        QCOMPARE(refusals.size(), 1);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.typedName(), std::string("free.mp3"));
    }

    void refusalSaysWhichRuleTheNameBreaks_data() {
        const auto& t = m_strings;
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("taken") << "taken.mp3" << q(t.StrNameTaken);
        QTest::newRow("longer than the device takes")
            << QString(252, 'x') + ".mp3" << q(t.StrNameTooLong + " 255");
        // 128 Cyrillic letters: 256 bytes, though only 128 characters.
        QTest::newRow("too long in bytes")
            << QString(128, QChar(0x44F)) << q(t.StrNameTooLong + " 255");
        QTest::newRow("refused character") << "bad:name.mp3" << q(t.StrNameCharacter + " \":\"");
        QTest::newRow("refused control character")
            << "bad\tname.mp3" << q(t.StrNameCharacter + " \"U+0009\"");
        QTest::newRow("dot at the end") << "name.mp3." << q(t.StrNameEnding);
        QTest::newRow("separator") << "../x.mp3" << q(t.StrNameSeparator);
        QTest::newRow("backslash") << "a\\b.mp3" << q(t.StrNameSeparator);
        QTest::newRow("dot") << "." << q(t.StrNameDots);
        QTest::newRow("dot dot") << ".." << q(t.StrNameDots);
        QTest::newRow("empty") << "" << QString();
    }

    // Each refusal names its rule, then asks for another name; a name at the device's
    // limit is taken.
    void refusalSaysWhichRuleTheNameBreaks() {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        const auto& t = m_strings;
        tw::test::TempFolder folder;
        tw::test::writeFile(folder / "taken.mp3", "x");
        tw::platform::NameRules exfat;
        exfat.refusesWindowsCharacters = true;
        exfat.maxNameBytes = 255;
        RenameDialog dialog(m_strings, "taken.mp3", tw::platform::Path(folder.path()), nullptr,
                            exfat);
        dialog.findChild<QLineEdit*>("nameField")->setText(name);
        QString shown;
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                shown = box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        dialog.acceptName();
        const QString expected =
            reason.isEmpty() ? q(t.StrEnterOtherName) : reason + "\n" + q(t.StrEnterOtherName);
        QCOMPARE(shown, expected);
        QVERIFY(dialog.result() != int(QDialog::Accepted));
    }

    void nameAtTheDevicesLimitIsTaken() {
        tw::test::TempFolder folder;
        tw::platform::NameRules rules;
        rules.maxNameBytes = 255;
        RenameDialog dialog(m_strings, "taken.mp3", tw::platform::Path(folder.path()), nullptr,
                            rules);
        dialog.findChild<QLineEdit*>("nameField")->setText(QString(251, 'x') + ".mp3");
        dialog.acceptName();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    // Language-file texts of any length (up to a line's 4 KiB) leave every copy window and
    // its buttons on the screen: captions are shortened, the whole text in a tooltip.
    void longLanguageTextsKeepTheCopyWindowsOnTheScreen() {
        auto& t = m_strings;
        const std::string huge(3000, 'W');
        for (std::string* text :
             {&t.StrReplace, &t.StrSkip, &t.StrRename, &t.StrCancel, &t.StrSameAction, &t.StrPause,
              &t.StrResume, &t.StrElapsed, &t.StrEnterNewName, &t.StrFileExists,
              &t.StrReplaceExisting, &t.StrWithFile, &t.StrOpenFolder, &t.StrCreated,
              &t.StrRenameManual, &t.StrRenameAuto})
            *text = huge;
        const int screen = QGuiApplication::primaryScreen()->availableGeometry().width();
        // Every button lies inside its window, which fits on the screen.
        auto onScreen = [screen](QWidget& window) {
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QVERIFY2(window.width() <= screen, qPrintable(QString::number(window.width())));
            for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
                const QRect place(button->mapTo(&window, QPoint(0, 0)), button->size());
                QVERIFY2(window.rect().contains(place), qPrintable(button->objectName()));
            }
        };

        tw::copy::CollisionQuestion question;
        question.target.path = tw::platform::Path("/media/usb/song.mp3");
        question.source.path = tw::platform::Path("/home/u/song.mp3");
        CollisionDialog collision(m_strings, question, nullptr, [](const std::string&) {});
        onScreen(collision);
        auto* cancel = collision.findChild<QPushButton*>("cancelButton");
        QCOMPARE(cancel->toolTip(), q(huge));
        QVERIFY(cancel->text().size() < 3000);
        // The check box keeps its hint after the whole caption.
        QCOMPARE(collision.findChild<QCheckBox*>("sameActionBox")->toolTip(),
                 q(huge + "\n" + t.StrSameActionHint));
        auto* menu = collision.findChild<QMenu*>("renameMenu");
        QVERIFY(menu->sizeHint().width() <= screen);
        QCOMPARE(collision.findChild<QAction*>("renameByHandItem")->toolTip(), q(huge));

        tw::copy::RunFlags flags;
        CopyProgressDialog progress(
            m_strings, [](auto&, auto&, auto&) { return tw::copy::CopyRun::End::Completed; }, flags,
            nullptr);
        onScreen(progress);
        progress.hide();

        RenameDialog rename(m_strings, "song.mp3", tw::platform::Path("/tmp"), nullptr);
        onScreen(rename);

        // A caption that fits is shown whole, a translator's long one included.
        t.StrCancel = std::string(30, 'c');
        RenameDialog fits(m_strings, "song.mp3", tw::platform::Path("/tmp"), nullptr);
        QCOMPARE(fits.findChild<QPushButton*>("cancelButton")->text(), QString(30, 'c'));
        QVERIFY(fits.findChild<QPushButton*>("cancelButton")->toolTip().isEmpty());
    }

    // The rename menu opens at the pointer for a click, and below its button when the
    // button is pressed from the keyboard, wherever the pointer is.
    void renameMenuFromTheKeyboardOpensBelowItsButton() {
        tw::copy::CollisionQuestion question;
        question.target.path = tw::platform::Path("/media/usb/song.mp3");
        question.source.path = tw::platform::Path("/home/u/song.mp3");
        CollisionDialog dialog(m_strings, question, nullptr, [](const std::string&) {});
        dialog.move(200, 150);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* button = dialog.findChild<QPushButton*>("renameButton");
        auto* menu = dialog.findChild<QMenu*>("renameMenu");

        QCursor::setPos(dialog.mapToGlobal(QPoint(dialog.width() + 150, dialog.height() + 100)));
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Space);
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), button->mapToGlobal(QPoint(0, button->height())));
        menu->hide();

        const QPoint onButton = button->mapToGlobal(QPoint(5, 5));
        QCursor::setPos(onButton);
        button->click();
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->pos(), onButton);
        menu->hide();
    }
};

QTEST_MAIN(CopyWindowsTest)
#include "CopyWindowsTest.moc"
