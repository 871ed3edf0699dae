// The window program and the files of its program folder: where the window goes, how wide
// long captions make it, where Qt keeps its own state, and how a session's end closes it.
#include "app/gui/MainWindow.h"
#include "app/gui/TunewagonApplication.h"
#include "errors/ErrorReporter.h"
#include "i18n/StringTable.h"
#include "job/IniFile.h"
#include "job/ProgramPaths.h"
#include "platform/FaultInjection.h"
#include "support/ChildProcess.h"

#include "support/MessageBoxAnswerer.h"
#include "support/TempFolder.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

using tw::app::MainWindow;
using tw::job::ProgramPaths;
using tw::test::TempFolder;

namespace {

// True once the process runs the program and has its own handler for SIGTERM (before the
// exec, the child is still a copy of this test, with the test's handlers).
bool catchesTerminate(int pid, const std::string& program) {
    std::error_code ec;
    if (std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec) != program)
        return false;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (15 - 1)) & 1u;
    }
    return false;
}

} // namespace

class ProgramFilesWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        tw::i18n::strings().resetToBuiltIn();
        tw::i18n::strings().CurrentLanguage.clear();
    }

    void savedPlaceNoScreenShowsMovesOntoThePrimaryScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        for (const char* place : {"Top=2147483647\r\nLeft=2147483647", "Top=-30000\r\nLeft=5",
                                  "Top=40\r\nLeft=-2147483648"}) {
            TempFolder folder;
            tw::test::writeFile(folder / "Settings.ini",
                                std::string("[Settings]\r\n") + place + "\r\n");
            MainWindow form(tw::job::ProgramPaths(folder.path()));
            QVERIFY2(screen.contains(form.pos()), place);
        }
    }

    void overlongCaptionsKeepTheWindowWithinAScreen() {
        TempFolder folder;
        std::string file = "Wide\r\nTunewagon\r\nkB\r\nMB\r\nGB\r\n";
        for (int line = 6; line <= 99; ++line)
            file += std::string(line % 2 == 0 ? 100000 : 300, 'W') + "\r\n";
        tw::test::writeFile(folder / "Language/Wide/Wide.txt", file);
        tw::test::writeFile(folder / "Settings.ini", "[Settings]\r\nLanguage=Wide\r\n");
        MainWindow form(tw::job::ProgramPaths(folder.path()));
        form.show();
        QVERIFY(form.findChild<QWidget*>("choosePlaylistButton") != nullptr);
        QVERIFY2(form.width() <= 1280, qPrintable(QString::number(form.width())));
    }

    void qtKeepsItsOwnStateInTheProgramFolder() {
        TempFolder folder;
        tw::app::TunewagonApplication::keepUserSettingsIn(QString::fromStdString(folder.path()));
        {
            QSettings dialogs(QSettings::UserScope, "QtProject");
            dialogs.setValue("FileDialog/history", "x");
            dialogs.sync();
        }
        QVERIFY(std::filesystem::exists(folder / "QtProject.conf"));
    }

    // With the program folder read-only, the reader learns that the settings were not saved,
    // first, and that the log could not take the error, second: in one message.
    void unsavableSettingsAndUnwritableLogGiveOneMessageLeadingWithTheSettings() {
        TempFolder folder;
        tw::errors::ErrorReporter::instance().setProgramFolder(folder.path());
        tw::platform::injectFileFault(tw::platform::FileOperation::Open, folder / "Settings.ini",
                                      EROFS);
        tw::platform::injectFileFault(tw::platform::FileOperation::Open,
                                      folder / "ErrorLog/Debug.Log", EROFS);
        tw::test::MessageBoxAnswerer user;
        {
            MainWindow form(tw::job::ProgramPaths(folder.path()));
            form.show();
            QTimer::singleShot(0, [&] { form.close(); });
            QVERIFY(user.waitForAnswers(1));
            QTest::qWait(300); // room for a second box, which must not come
        }
        tw::platform::clearFileFaults();
        QCOMPARE(user.seen().size(), std::size_t{1});
        const QString text = user.seen().front().text;
        QVERIFY2(text.indexOf("Settings.ini") >= 0 &&
                     text.indexOf("Settings.ini") < text.indexOf("Debug.Log"),
                 qPrintable(text));
        QVERIFY(!std::filesystem::exists(folder / "Settings.ini"));
    }

    // A session's end (SIGTERM) closes the program as Exit does: no question, settings saved.
    void terminateSignalSavesTheSettingsAndEndsCleanly() {
        TempFolder folder;
        const std::string program = folder / "tunewagon";
        std::filesystem::copy_file(TW_WINDOW_PROGRAM, program);
        tw::test::writeFile(folder / "Settings.ini", "[Settings]\r\nmax=1\r\n[Mine]\r\nk=v\r\n");
        tw::test::ChildProcess child({program});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!catchesTerminate(child.pid(), program) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        child.terminate();
        const auto outcome = child.wait();
        QVERIFY2(outcome.exited, outcome.err.c_str());
        QCOMPARE(outcome.exitCode, 0);
        const tw::job::IniFile ini(folder / "Settings.ini");
        QCOMPARE(ini.readString("Settings", "Language", ""), std::string("Russian"));
        QVERIFY(ini.readBool("Settings", "max", false));
        QCOMPARE(ini.readString("Mine", "k", ""), std::string("v"));
    }
};

// The program's own application object: failures that leave a handler reach its display.
int main(int argc, char** argv) {
    tw::app::TunewagonApplication application(argc, argv);
    ProgramFilesWindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "ProgramFilesWindowTest.moc"
