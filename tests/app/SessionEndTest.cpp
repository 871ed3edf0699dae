// The session's end (SIGTERM, SIGHUP) met by the window program wherever it stands: in a
// copy, paused, with a question or dialog open, or with a start-up window open. Each case
// sends a real signal to this process.
#include "ui/SessionEnd.h"
#include "app/gui/MainWindow.h"
#include "app/gui/WindowProgram.h"
#include "copy/gui/CollisionDialog.h"
#include "copy/gui/CopyProgressDialog.h"
#include "copy/gui/RenameDialog.h"
#include "errors/ErrorReporter.h"
#include "errors/gui/ErrorWindowPresenter.h"
#include "i18n/StringTable.h"
#include "job/IniFile.h"
#include "job/ProgramPaths.h"
#include "platform/ChunkedCopy.h"
#include "platform/FaultInjection.h"

#include "support/TempFolder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

using tw::app::MainWindow;
using tw::job::ProgramPaths;
using tw::test::TempFolder;
using tw::test::writeFile;

namespace {

enum class Moment {
    LargeFileInHand,
    Paused,
    StopQuestionOpen,
    CollisionDialogOpen,
    RenameDialogOpen,
    GroupFlushInFlight,
    LargeFileFlushInFlight
};

// Set on the flushing thread while a group of whole files or a large file in hand goes to
// the device.
std::atomic<bool> g_flushing{false};
// Set once the signal has been sent.
std::atomic<bool> g_signalSent{false};

std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Starts the copy once the main window shows, then does what the case needs and sends the
// signal at its moment. It looks once at every pass of the event queue, wherever the
// program pumps it.
class Driver : public QObject {
public:
    Driver(MainWindow& main, Moment moment, int signal)
        : m_main(main)
        , m_moment(moment)
        , m_signal(signal) {
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }

    QElapsedTimer sinceSignal;
    bool reportShown = false;

protected:
    void customEvent(QEvent*) override {
        if (m_stopped)
            return;
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
        look();
    }

private:
    void raiseOnce() {
        if (sinceSignal.isValid())
            return;
        sinceSignal.start();
        g_signalSent = true;
        std::raise(m_signal);
    }

    void look() {
        if (!m_started && m_main.isVisible()) {
            m_started = true;
            m_main.findChild<QPushButton*>("startCopyButton")->click(); // runs the copy in here
            m_stopped = true;
            return;
        }
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            if (box->button(QMessageBox::Yes) == nullptr)
                reportShown = true;
            else if (m_moment == Moment::StopQuestionOpen)
                raiseOnce();
        } else if (auto* form = qobject_cast<tw::copy::CopyProgressDialog*>(modal)) {
            const QString file = form->findChild<QLabel*>("currentFileLabel")->text();
            if (m_moment == Moment::LargeFileInHand && file == "big.mp3")
                raiseOnce();
            if ((m_moment == Moment::GroupFlushInFlight ||
                 m_moment == Moment::LargeFileFlushInFlight) &&
                g_flushing)
                raiseOnce();
            if ((m_moment == Moment::Paused || m_moment == Moment::StopQuestionOpen) &&
                !m_pressed) {
                m_pressed = true;
                form->findChild<QPushButton*>(m_moment == Moment::Paused ? "pauseButton"
                                                                         : "cancelButton")
                    ->click();
                m_pressedAt.start();
            }
            if (m_moment == Moment::Paused && form->paused() && m_pressedAt.elapsed() > 300)
                raiseOnce();
        } else if (auto* collision = qobject_cast<tw::copy::CollisionDialog*>(modal)) {
            if (m_moment == Moment::CollisionDialogOpen) {
                raiseOnce();
            } else if (m_moment == Moment::RenameDialogOpen && !m_pressed) {
                m_pressed = true;
                collision->findChild<QPushButton*>("renameButton")->click();
                QMetaObject::invokeMethod(collision->findChild<QAction*>("renameByHandItem"),
                                          "trigger", Qt::QueuedConnection);
            }
        } else if (qobject_cast<tw::copy::RenameDialog*>(modal) != nullptr) {
            raiseOnce();
        }
    }

    MainWindow& m_main;
    Moment m_moment;
    int m_signal;
    bool m_started = false;
    bool m_stopped = false;
    bool m_pressed = false;
    QElapsedTimer m_pressedAt;
};

} // namespace

class SessionEndTest : public QObject {
    Q_OBJECT

    // The texts the windows under test show, fresh for each test.
    tw::i18n::StringTable m_strings;

private slots:
    void init() {
        m_strings = tw::i18n::StringTable{};
        tw::ui::resetSessionEnd();
    }

    void cleanup() {
        tw::platform::ChunkedCopy::setWritePacer({});
        tw::platform::ChunkedCopy::setFlushPacer({});
    }

    void signalStopsTheCopy_data() {
        QTest::addColumn<int>("moment");
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM with a large file in hand")
            << int(Moment::LargeFileInHand) << SIGTERM;
        QTest::newRow("SIGHUP with a large file in hand") << int(Moment::LargeFileInHand) << SIGHUP;
        QTest::newRow("SIGTERM while paused") << int(Moment::Paused) << SIGTERM;
        QTest::newRow("SIGHUP while paused") << int(Moment::Paused) << SIGHUP;
        QTest::newRow("SIGTERM with the stop question open")
            << int(Moment::StopQuestionOpen) << SIGTERM;
        QTest::newRow("SIGTERM with the collision dialog open")
            << int(Moment::CollisionDialogOpen) << SIGTERM;
        QTest::newRow("SIGHUP with the rename dialog open")
            << int(Moment::RenameDialogOpen) << SIGHUP;
        QTest::newRow("SIGTERM while a group goes to the device")
            << int(Moment::GroupFlushInFlight) << SIGTERM;
        QTest::newRow("SIGHUP while the large file in hand goes to the device")
            << int(Moment::LargeFileFlushInFlight) << SIGHUP;
    }

    // The run stops as after a confirmed Cancel: whole files stay under their names, the
    // file in hand and the rest are not left on the destination, the open dialog closes,
    // no report waits for a reader, the settings are saved and the loop returns 0.
    void signalStopsTheCopy() {
        QFETCH(int, moment);
        QFETCH(int, signal);
        const auto when = static_cast<Moment>(moment);
        const bool collides =
            when == Moment::CollisionDialogOpen || when == Moment::RenameDialogOpen;

        TempFolder root;
        const std::string music = root / "music";
        const std::string out = root / "out";
        writeFile(music + "/a.mp3", "first");
        // Large enough to be flushed while it is copied when that flush is the moment.
        const bool inFileFlush = when == Moment::LargeFileFlushInFlight;
        writeFile(music + "/big.mp3", std::string((inFileFlush ? 72 : 24) * 1024 * 1024, 'b'));
        writeFile(music + "/c.mp3", "last");
        writeFile(music + "/list.m3u", "a.mp3\r\nbig.mp3\r\nc.mp3\r\n");
        std::filesystem::create_directories(out);
        if (collides)
            writeFile(out + "/a.mp3", "old");
        writeFile(root / "Settings.ini", "[Settings]\r\nstructure=1\r\n");
        // 20 MB/s: the large file takes more than a second. With a group flush to meet, 8 MB/s:
        // the first file has waited over two seconds when the last one comes, which flushes
        // the two before it, held on the device until the signal has come. The large file's
        // own flush comes at disk speed and is held the same way; its rest then goes at 20
        // MB/s, so that the signal is seen before it is whole.
        const bool inFlush = when == Moment::GroupFlushInFlight;
        tw::platform::ChunkedCopy::setWritePacer([inFlush, inFileFlush](std::uint64_t bytes) {
            if (!inFileFlush || g_signalSent)
                std::this_thread::sleep_for(std::chrono::microseconds(bytes / (inFlush ? 8 : 20)));
        });
        g_signalSent = false;
        const bool holdFlush = inFlush || inFileFlush;
        tw::platform::ChunkedCopy::setFlushPacer([holdFlush] {
            g_flushing = true;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (holdFlush && !g_signalSent && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            g_flushing = false;
        });

        MainWindow form(ProgramPaths(root.path()), m_strings);
        form.services().choosePlaylist = [&](QFileDialog&) { return music + "/list.m3u"; };
        form.services().chooseFolder = [&](QWidget*, const std::string&, const std::string&) {
            return out;
        };
        form.findChild<QPushButton*>("choosePlaylistButton")->click();
        form.findChild<QPushButton*>("chooseDestinationButton")->click();
        form.findChild<QCheckBox*>("keepStructure")->setChecked(false);
        QVERIFY(form.findChild<QPushButton*>("startCopyButton")->isEnabled());

        Driver driver(form, when, signal);
        bool hung = false;
        QTimer::singleShot(20000, [&] {
            hung = true;
            tw::ui::endSession();
        });
        const int status = tw::app::runWindowProgram(form, m_strings);
        const qint64 afterSignalMs =
            driver.sinceSignal.isValid() ? driver.sinceSignal.elapsed() : -1;

        QVERIFY(!hung);
        QCOMPARE(status, 0);
        QVERIFY(afterSignalMs >= 0);
        QVERIFY2(afterSignalMs < 1000, qPrintable(QString::number(afterSignalMs)));
        QVERIFY(!driver.reportShown);
        // A group in flight when the signal came was whole: it keeps its names.
        const std::set<std::string> kept =
            inFlush ? std::set<std::string>{"a.mp3", "big.mp3"} : std::set<std::string>{"a.mp3"};
        QCOMPARE(namesIn(out), kept);
        QCOMPARE(tw::test::readFile(out + "/a.mp3"), std::string(collides ? "old" : "first"));
        const tw::job::IniFile ini(root / "Settings.ini");
        QCOMPARE(ini.readBool("Settings", "structure", true), false);
    }

    // A start-up window opened by the main window's first show (here the new-version
    // window with an announcement waiting) runs inside the application's loop: the signal
    // ends the program from there instead of leaving it running with the settings saved.
    void signalWithAStartUpWindowOpenEndsTheProgram() {
        TempFolder root;
        writeFile(root / "Settings.ini", "[Settings]\r\nFreshpoll=1\r\nstructure=1\r\n");
        writeFile(root / "Freshpoll/freshpoll", "");
        writeFile(root / "Freshpoll/CheckNVTrue.txt", "Новая версия");
        writeFile(root / "Freshpoll/CheckNVTrueEng.txt", "A new version");
        MainWindow form(ProgramPaths(root.path()), m_strings);
        form.findChild<QCheckBox*>("keepStructure")->setChecked(false);

        QWidget* seen = nullptr;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (seen == nullptr && QApplication::activeModalWidget() != nullptr) {
                seen = QApplication::activeModalWidget();
                std::raise(SIGTERM);
            }
        });
        poll.start();
        bool hung = false;
        QTimer::singleShot(10000, [&] {
            hung = true;
            QApplication::exit(1);
        });
        const int status = tw::app::runWindowProgram(form, m_strings);
        QVERIFY(seen != nullptr);
        QVERIFY(!hung);
        QCOMPARE(status, 0);
        const tw::job::IniFile ini(root / "Settings.ini");
        QCOMPARE(ini.readBool("Settings", "structure", true), false);
    }

    // "Close the program" in an error window that the main window's first show opens (its
    // language file cannot be read) ends the program: the main window does not stay, and
    // the settings are left as they were.
    void closeTheProgramInAStartUpErrorWindowEndsTheProgram() {
        TempFolder root;
        writeFile(root / "Settings.ini", "[Settings]\r\nLanguage=Locked\r\nstructure=1\r\n");
        writeFile(root / "Language/Locked/Locked.txt", "Locked\r\nTunewagon\r\n");
        auto& reporter = tw::errors::ErrorReporter::instance();
        reporter.setProgramFolder(root.path());
        tw::errors::ErrorWindowPresenter presenter(m_strings);
        reporter.setPresenter(&presenter);
        MainWindow form(ProgramPaths(root.path()), m_strings);
        presenter.setOwner(&form);
        form.findChild<QCheckBox*>("keepStructure")->setChecked(false);
        tw::platform::injectFileFault(tw::platform::FileOperation::Open,
                                      root / "Language/Locked/Locked.txt", EACCES, 10);

        bool closed = false;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!closed && modal != nullptr && modal->objectName() == "errorDialog") {
                closed = true;
                modal->findChild<QPushButton*>("closeProgramButton")->click();
            }
        });
        poll.start();
        bool hung = false;
        QTimer::singleShot(10000, [&] {
            hung = true;
            QApplication::exit(1);
        });
        const int status = tw::app::runWindowProgram(form, m_strings);
        tw::platform::clearFileFaults();
        reporter.setPresenter(nullptr);
        const bool terminateAsked = reporter.terminateRequested();
        reporter.setTerminateRequested(false);
        QVERIFY(closed);
        QVERIFY(!hung);
        QCOMPARE(status, 0);
        QVERIFY(terminateAsked);
        const tw::job::IniFile ini(root / "Settings.ini");
        QCOMPARE(ini.readBool("Settings", "structure", false), true);
    }
};

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    SessionEndTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "SessionEndTest.moc"
