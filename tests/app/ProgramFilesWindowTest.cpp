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

#include <QAction>
#include <QCheckBox>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTimer>
#include <QtTest>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using tw::app::MainWindow;
using tw::job::ProgramPaths;
using tw::test::TempFolder;

namespace {

// True once the process runs the program and has its own handlers for SIGTERM and SIGHUP
// (before the exec, the child is still a copy of this test, with the test's handlers).
bool catchesTerminate(int pid, const std::string& program) {
    std::error_code ec;
    if (std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec) != program)
        return false;
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) == 0) {
            const auto caught = std::stoull(line.substr(7), nullptr, 16);
            return ((caught >> (15 - 1)) & 1u) && ((caught >> (1 - 1)) & 1u);
        }
    }
    return false;
}

// Whether the process ignores the signal, as /proc tells.
bool ignores(int pid, int signal) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigIgn:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1u;
    }
    return false;
}

// Runs the program as the unprivileged user "nobody" when the test runs as root (as CI does),
// with a clean environment whose home is the given folder.
std::vector<std::string> asUserWithHome(const std::string& program, const std::string& home) {
    std::vector<std::string> argv;
    if (geteuid() == 0)
        argv = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    for (const std::string& word : {std::string("env"), std::string("-i"), "HOME=" + home,
                                    std::string("QT_QPA_PLATFORM=offscreen"), program})
        argv.push_back(word);
    return argv;
}

} // namespace

class ProgramFilesWindowTest : public QObject {
    Q_OBJECT

    // The texts the windows under test show, fresh for each test.
    tw::i18n::StringTable m_strings;

private slots:
    void init() { m_strings = tw::i18n::StringTable{}; }

    void savedPlaceNoScreenShowsMovesOntoThePrimaryScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        for (const char* place : {"Top=2147483647\r\nLeft=2147483647", "Top=-30000\r\nLeft=5",
                                  "Top=40\r\nLeft=-2147483648"}) {
            TempFolder folder;
            tw::test::writeFile(folder / "Settings.ini",
                                std::string("[Settings]\r\n") + place + "\r\n");
            MainWindow form(tw::job::ProgramPaths(folder.path()), m_strings);
            QVERIFY2(screen.contains(form.pos()), place);
        }
    }

    // Captions of any length up to a line's bound are shortened to keep the window on the
    // screen (the whole text in a tooltip); a long caption that has room shows whole; a
    // language name of thousands of characters leaves the language menu narrower than it.
    void overlongCaptionsKeepTheWindowWithinAScreen() {
        TempFolder folder;
        std::string file = "Wide\r\nTunewagon\r\nkB\r\nMB\r\nGB\r\n";
        for (int line = 6; line <= 113; ++line)
            file += std::string(line % 2 == 0 ? 100000 : 3000, 'W') + "\r\n";
        tw::test::writeFile(folder / "Language/Wide/Wide.txt", file);
        const std::string translated(68, 'T');
        tw::test::writeFile(folder / "Language/Fits/Fits.txt",
                            "Fits\r\nTunewagon\r\nkB\r\nMB\r\nGB\r\n" +
                                std::string("\r\n\r\n\r\n\r\n\r\n\r\n\r\n") + translated + "\r\n");
        tw::test::writeFile(folder / "Language/" + std::string(200, 'L') + "/" +
                                std::string(200, 'L') + ".txt",
                            std::string(3000, 'N') + "\r\nTunewagon\r\n");
        tw::test::writeFile(folder / "Settings.ini", "[Settings]\r\nLanguage=Wide\r\n");
        const int screen = QGuiApplication::primaryScreen()->availableGeometry().width();
        MainWindow form(tw::job::ProgramPaths(folder.path()), m_strings);
        form.show();
        QVERIFY(form.findChild<QWidget*>("choosePlaylistButton") != nullptr);
        QVERIFY2(form.width() <= screen, qPrintable(QString::number(form.width())));
        auto* launch = form.findChild<QPushButton*>("startCopyButton"); // line 11
        // Kept whole up to the 1000 characters of any text, shown whole in the tooltip.
        QCOMPARE(launch->toolTip(), QString(1000, 'W'));
        QVERIFY(form.rect().contains(QRect(launch->mapTo(&form, QPoint(0, 0)), launch->size())));

        auto* menu = form.findChild<QMenu*>("languageMenu");
        QVERIFY2(menu->sizeHint().width() <= screen / 2 + 100,
                 qPrintable(QString::number(menu->sizeHint().width())));
        QAction* fits = nullptr;
        for (QAction* item : menu->actions()) {
            if (item->objectName() == "Fits")
                fits = item;
        }
        QVERIFY(fits != nullptr);
        fits->trigger();
        // Line 13 is the keep-structure option's caption.
        QCOMPARE(form.findChild<QCheckBox*>("keepStructure")->text(),
                 QString::fromStdString(translated));
        QVERIFY(form.width() <= screen);
    }

    // The place saved at Exit is the place the next start takes: no creeping, start after
    // start.
    void savedPlaceComesBackUnchangedStartAfterStart() {
        TempFolder folder;
        tw::test::writeFile(folder / "Settings.ini", "[Settings]\r\nTop=100\r\nLeft=120\r\n");
        for (int start = 1; start <= 3; ++start) {
            MainWindow form(tw::job::ProgramPaths(folder.path()), m_strings);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QCOMPARE(form.geometry().topLeft(), QPoint(120, 100));
            form.saveSettings();
            const tw::job::IniFile ini(folder / "Settings.ini");
            QCOMPARE(ini.readInteger("Settings", "Top", 0), 100);
            QCOMPARE(ini.readInteger("Settings", "Left", 0), 120);
        }
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
            MainWindow form(tw::job::ProgramPaths(folder.path()), m_strings);
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

    void installationOutOfReachKeepsTheUsersFilesInTheirOwnFolders_data() {
        QTest::addColumn<bool>("systemLayout");
        QTest::newRow("lib and share") << true;
        QTest::newRow("one read-only folder") << false;
    }

    // Installed where the user cannot write, the program still remembers its settings: they
    // go to the user's XDG folders, the installation stays untouched, and its shipped
    // Source/Settings.ini keeps the first-start window shut.
    void installationOutOfReachKeepsTheUsersFilesInTheirOwnFolders() {
        QFETCH(bool, systemLayout);
        TempFolder root;
        std::filesystem::permissions(root.path(), std::filesystem::perms(0755));
        const std::string programFolder = systemLayout ? root / "usr/lib/tunewagon" : root / "app";
        const std::string dataFolder = systemLayout ? root / "usr/share/tunewagon" : programFolder;
        std::filesystem::create_directories(programFolder);
        const std::string program = programFolder + "/tunewagon";
        std::filesystem::copy_file(TW_WINDOW_PROGRAM, program);
        tw::test::writeFile(dataFolder + "/Source/Settings.ini", "");
        // A language file that opens but cannot be read: choosing it is logged.
        std::filesystem::create_directories(dataFolder + "/Language/Broken");
        std::filesystem::create_symlink("/proc/self/mem",
                                        dataFolder + "/Language/Broken/Broken.txt");
        const std::string home = root / "home";
        std::filesystem::create_directories(home);
        QCOMPARE(tw::test::ChildProcess({"chown", "-R", "65534:65534", home}).wait().exitCode, 0);
        const auto readOnly = std::filesystem::perms(0555);
        for (const std::string& folder : {programFolder, dataFolder, dataFolder + "/Source"})
            std::filesystem::permissions(folder, readOnly);

        for (int start = 0; start < 2; ++start) {
            tw::test::ChildProcess child(asUserWithHome(program, home));
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!catchesTerminate(child.pid(), program) &&
                   std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            child.terminate();
            const auto outcome = child.wait();
            QVERIFY2(outcome.exited, outcome.err.c_str());
            QCOMPARE(outcome.exitCode, 0);
        }
        const std::string settings = home + "/.config/tunewagon/Settings.ini";
        const tw::job::IniFile ini(settings);
        QVERIFY2(!ini.readString("Settings", "Top", "").empty(), settings.c_str());
        QVERIFY(std::filesystem::exists(home + "/.config/tunewagon/QtProject.conf"));
        QVERIFY(std::filesystem::is_directory(home + "/.local/state/tunewagon/Freshpoll"));
        QVERIFY(!std::filesystem::exists(programFolder + "/Settings.ini"));
        QVERIFY(!std::filesystem::exists(dataFolder + "/Settings.ini"));

        // A failure is logged in the user's state folder.
        tw::test::writeFile(settings, "[Settings]\r\nLanguage=Broken\r\n");
        QCOMPARE(tw::test::ChildProcess({"chown", "-R", "65534:65534", home}).wait().exitCode, 0);
        {
            tw::test::ChildProcess child(asUserWithHome(program, home));
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            const std::string log = home + "/.local/state/tunewagon/ErrorLog/Debug.Log";
            while (!std::filesystem::exists(log) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ::kill(child.pid(), SIGKILL);
            child.wait();
            QVERIFY2(tw::test::readFile(log).find("Broken") != std::string::npos, log.c_str());
        }
        QVERIFY(!std::filesystem::exists(programFolder + "/ErrorLog"));
        QVERIFY(!std::filesystem::exists(dataFolder + "/ErrorLog"));
        for (const std::string& folder : {programFolder, dataFolder, dataFolder + "/Source"})
            std::filesystem::permissions(folder, std::filesystem::perms(0755));
    }

    void terminateSignalSavesTheSettingsAndEndsCleanly_data() {
        QTest::addColumn<bool>("hangUp");
        QTest::newRow("SIGTERM") << false;
        QTest::newRow("SIGHUP") << true;
    }

    // A session's end (SIGTERM, or SIGHUP as the terminal closes) closes the program as Exit
    // does: no question, settings saved, status 0.
    void terminateSignalSavesTheSettingsAndEndsCleanly() {
        QFETCH(bool, hangUp);
        TempFolder folder;
        const std::string program = folder / "tunewagon";
        std::filesystem::copy_file(TW_WINDOW_PROGRAM, program);
        tw::test::writeFile(folder / "Settings.ini", "[Settings]\r\nmax=1\r\n[Mine]\r\nk=v\r\n");
        tw::test::ChildProcess child({program});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!catchesTerminate(child.pid(), program) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (hangUp)
            child.hangUp();
        else
            child.terminate();
        const auto outcome = child.wait();
        QVERIFY2(outcome.exited, outcome.err.c_str());
        QCOMPARE(outcome.exitCode, 0);
        const tw::job::IniFile ini(folder / "Settings.ini");
        QCOMPARE(ini.readString("Settings", "Language", ""), std::string("Russian"));
        QVERIFY(ini.readBool("Settings", "max", false));
        QCOMPARE(ini.readString("Mine", "k", ""), std::string("v"));
    }

    // Under a file-size limit the log is full: the next report must neither kill the program
    // (SIGXFSZ) nor leave half a record. The program is started with the signal at its
    // default, as a login shell leaves it; ignoring it is the program's own business.
    void logAtTheSizeLimitNeitherKillsTheProgramNorTakesHalfARecord() {
        TempFolder folder;
        const std::string program = folder / "tunewagon";
        std::filesystem::copy_file(TW_WINDOW_PROGRAM, program);
        // A language file that opens but cannot be read: its loading fails at the first show.
        std::filesystem::create_directories(folder / "Language/Broken");
        std::filesystem::create_symlink("/proc/self/mem", folder / "Language/Broken/Broken.txt");
        tw::test::writeFile(folder / "Settings.ini", "[Settings]\r\nLanguage=Broken\r\n");
        const std::string full(4096, 'r');
        tw::test::writeFile(folder / "ErrorLog/Debug.Log", full);

        tw::test::ChildProcess child(
            {"env", "--default-signal=XFSZ", "prlimit", "--fsize=4096", program});
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!catchesTerminate(child.pid(), program) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        QVERIFY(ignores(child.pid(), SIGXFSZ));
        // The report is tried at the first show; give it time to fail and be shown.
        std::this_thread::sleep_for(std::chrono::seconds(2));
        child.terminate();
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ::kill(child.pid(), SIGKILL);
        const auto outcome = child.wait();
        QVERIFY2(outcome.exited || outcome.signal != SIGXFSZ, outcome.err.c_str());
        QCOMPARE(tw::test::readFile(folder / "ErrorLog/Debug.Log"), full);
    }
};

// The program's own application object: failures that leave a handler reach its display.
int main(int argc, char** argv) {
    tw::app::TunewagonApplication application(argc, argv);
    ProgramFilesWindowTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "ProgramFilesWindowTest.moc"
