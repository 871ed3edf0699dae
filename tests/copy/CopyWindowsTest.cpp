#include "copy/gui/CollisionDialog.h"
#include "copy/gui/CopyProgressDialog.h"
#include "i18n/StringTable.h"
#include "ui/MessageBoxes.h"

#include "support/MessageBoxAnswerer.h"

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>
#include <string>
#include <vector>

using tw::copy::CollisionAction;
using tw::copy::CollisionDialog;
using tw::copy::CopyProgressDialog;

class CopyWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        tw::i18n::strings().resetToBuiltIn();
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
        CollisionDialog dialog(question, nullptr,
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
};

QTEST_MAIN(CopyWindowsTest)
#include "CopyWindowsTest.moc"
