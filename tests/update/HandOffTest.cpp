// The main window and the checker's folder: the whole hand-off, with a stand-in checker that
// answers at once.

#include "app/gui/MainWindow.h"
#include "errors/ErrorReporter.h"
#include "i18n/StringTable.h"
#include "job/ProgramPaths.h"
#include "platform/FileSystem.h"
#include "support/MessageBoxAnswerer.h"
#include "support/TempFolder.h"
#include "update/gui/NewVersionDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>

using tw::app::MainWindow;
using tw::job::ProgramPaths;
using tw::platform::fileExists;
using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;

namespace {

// The windows look for the checker's answer this often (a second in the program).
constexpr std::chrono::milliseconds Poll{20};

// Long enough for a window that wrongly started the checker or showed an announcement to
// have done so many times over.
void letPollsPass() {
    QTest::qWait(static_cast<int>(15 * Poll.count()));
}

// Counts the times a timer of the window fired.
class TickCounter {
public:
    TickCounter(QObject& window, const char* timerName) {
        auto* timer = window.findChild<QTimer*>(timerName);
        if (timer != nullptr)
            m_connection = QObject::connect(timer, &QTimer::timeout, [this] { ++ticks; });
    }
    ~TickCounter() { QObject::disconnect(m_connection); }
    TickCounter(const TickCounter&) = delete;
    TickCounter& operator=(const TickCounter&) = delete;

    int ticks = 0;

private:
    QMetaObject::Connection m_connection;
};

// Answers every new-version window that shows with the given button, noting what it read.
class AnnouncementAnswerer {
public:
    explicit AnnouncementAnswerer(const char* button)
        : m_button(button) {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { answer(); });
        m_timer.start();
    }

    int shown = 0;
    QString version;
    bool ownerBusy = false;
    MainWindow* owner = nullptr;

private:
    void answer() {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* form = qobject_cast<tw::update::NewVersionDialog*>(w);
            if (form == nullptr || !form->isVisible())
                continue;
            ++shown;
            version = form->findChild<QLineEdit*>("versionField")->text();
            ownerBusy = owner != nullptr && owner->busy();
            form->findChild<QPushButton*>(m_button)->click();
        }
    }

    const char* m_button;
    QTimer m_timer;
};

// Every file below the folder with its content.
std::map<std::string, std::string> contents(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
        files[e.path().string()] = readFile(e.path().string());
    return files;
}

} // namespace

class HandOffTest : public QObject {
    Q_OBJECT

    // The texts the windows under test show, fresh for each test.
    tw::i18n::StringTable m_strings;

    std::unique_ptr<TempFolder> m_folder;

    std::string freshpoll(const char* name) {
        return *m_folder / ("Freshpoll/" + std::string(name));
    }

    void settings(bool check) {
        writeFile(*m_folder / "Settings.ini", std::string("[Settings]\nFreshpoll=") +
                                                  (check ? "1" : "0") + "\nLanguage=Russian\n");
    }

    // A checker that notes its start and announces version 1.2.0, at once or, with
    // answerOnCue, once the test has written the file "answer" into its folder (or ten
    // seconds have passed).
    void standInChecker(bool answerOnCue = false) {
        writeFile(freshpoll("freshpoll"),
                  std::string("#!/bin/sh\n"
                              "d=$(dirname \"$0\")\n"
                              "echo started >> \"$d/started\"\n") +
                      (answerOnCue ? "i=0\n"
                                     "while [ ! -e \"$d/answer\" ] && [ $i -lt 1000 ]; do\n"
                                     "    sleep 0.01; i=$((i+1))\n"
                                     "done\n"
                                   : "") +
                      "printf '1.2.0\\r\\n01.02.27\\r\\nhttps://tw.example/\\r\\n' > "
                      "\"$d/CheckNVTrue.txt\"\n"
                      "cp \"$d/CheckNVTrue.txt\" \"$d/CheckNVTrueEng.txt\"\n"
                      ": > \"$d/CheckReady\"\n");
        std::filesystem::permissions(freshpoll("freshpoll"), std::filesystem::perms::owner_all);
    }

private slots:
    void init() {
        m_strings = tw::i18n::StringTable{};
        m_folder = std::make_unique<TempFolder>();
    }
    void cleanup() { m_folder.reset(); }

    void waitingAnnouncementShowsAtStartWithoutTheCheckerAndOkEndsIt() {
        settings(true);
        standInChecker();
        writeFile(freshpoll("CheckNVTrue.txt"), "1.1.9\r\n01.01.27\r\nhttps://tw.example/\r\n");
        {
            AnnouncementAnswerer ok("okButton");
            MainWindow form(ProgramPaths(m_folder->path()), m_strings, nullptr, Poll);
            form.show();
            QTRY_COMPARE(ok.shown, 1);
            QCOMPARE(ok.version, QString("1.1.9"));
            QVERIFY(!form.busy());
        }
        QVERIFY(fileExists(freshpoll("CheckTrue")));
        QVERIFY(!fileExists(freshpoll("LastCheck.ini")));

        // The next start: nothing is shown and nothing is asked of the site.
        AnnouncementAnswerer watcher("okButton");
        MainWindow form(ProgramPaths(m_folder->path()), m_strings, nullptr, Poll);
        form.show();
        letPollsPass();
        QCOMPARE(watcher.shown, 0);
        QVERIFY(!fileExists(freshpoll("started")));
        QVERIFY(!fileExists(freshpoll("LastCheck.ini")));
    }

    void checkerAnswerWaitsWhileTheExitQuestionIsOpen() {
        settings(true);
        standInChecker(true);
        writeFile(freshpoll("CheckReady"), ""); // left by an earlier check
        AnnouncementAnswerer remind("remindLaterButton");
        MainWindow form(ProgramPaths(m_folder->path()), m_strings, nullptr, Poll);
        remind.owner = &form;
        form.show();
        QVERIFY(fileExists(freshpoll("LastCheck.ini")));
        QTRY_VERIFY(fileExists(freshpoll("started")));

        // Keep the exit question open past the checker's answer and a few retries of the
        // announcement it brings.
        form.findChild<QLineEdit*>("playlistField")->setText("/music/list.m3u");
        const TickCounter retries(form, "announcementRetryTimer");
        int shownWhileAsking = -1;
        tw::test::MessageBoxAnswerer user({QMessageBox::No});
        user.onBox = [&](QMessageBox&) {
            writeFile(freshpoll("answer"), "");
            QTRY_VERIFY(fileExists(freshpoll("CheckReady")) && retries.ticks >= 3);
            shownWhileAsking = remind.shown;
        };
        QVERIFY(!form.close());
        QCOMPARE(user.seen().size(), std::size_t{1});
        QCOMPARE(shownWhileAsking, 0);

        QTRY_COMPARE_WITH_TIMEOUT(remind.shown, 1, 3000);
        QCOMPARE(remind.version, QString("1.2.0"));
        QVERIFY(!remind.ownerBusy);
        // Remind at the next start writes nothing.
        QVERIFY(!fileExists(freshpoll("CheckTrue")));
        letPollsPass();
        QCOMPARE(remind.shown, 1);
        QCOMPARE(readFile(freshpoll("started")), std::string("started\n"));
    }

    // What a power cut can leave in LastCheck.ini: the check runs, the file is written anew,
    // and the log gets one note, with no error window, at this start and no more later.
    void damagedLastCheckIsNotedOnceInTheLogAndTheCheckRuns() {
        settings(true);
        standInChecker();
        writeFile(freshpoll("LastCheck.ini"), std::string(4096, '\0'));
        auto& reporter = tw::errors::ErrorReporter::instance();
        reporter.setProgramFolder(m_folder->path());
        const std::string log = *m_folder / "ErrorLog/Debug.Log";
        for (int start = 0; start < 2; ++start) {
            AnnouncementAnswerer remind("remindLaterButton");
            MainWindow form(ProgramPaths(m_folder->path()), m_strings);
            form.show();
            QTRY_COMPARE(remind.shown, 1);
            QVERIFY(!reporter.windowOpen());
            form.close();
        }
        QCOMPARE(readFile(freshpoll("started")), std::string("started\n"));
        const std::string records = readFile(log);
        QCOMPARE(records.find("SSCN = "), records.rfind("SSCN = ")); // one record
        QVERIFY(records.find("SSCN = ") != std::string::npos);
        QVERIFY2(records.find("Type = ScheduleNote\r\n") != std::string::npos, records.c_str());
        QVERIFY(readFile(freshpoll("LastCheck.ini")).find('\0') == std::string::npos);
        reporter.setProgramFolder({});
    }

    void optionOffTouchesNothingAndMissingCheckerForgetsTheAcknowledgement() {
        settings(false);
        standInChecker();
        writeFile(freshpoll("CheckNVTrue.txt"), "1.2.0\r\n");
        writeFile(freshpoll("CheckReady"), "");
        writeFile(freshpoll("CheckTrue"), "");
        writeFile(freshpoll("LastCheck.ini"), "01.01.20\n10:00:00\n");
        const auto before = contents(*m_folder / "Freshpoll");
        {
            AnnouncementAnswerer watcher("okButton");
            MainWindow form(ProgramPaths(m_folder->path()), m_strings, nullptr, Poll);
            form.show();
            letPollsPass();
            QCOMPARE(watcher.shown, 0);
            QVERIFY(form.close());
        }
        QVERIFY(contents(*m_folder / "Freshpoll") == before);

        // Without the checker the option is turned off, which forgets the Ok.
        settings(true);
        std::filesystem::remove(freshpoll("freshpoll"));
        MainWindow form(ProgramPaths(m_folder->path()), m_strings, nullptr, Poll);
        auto* option = form.findChild<QCheckBox*>("checkNewVersion");
        QVERIFY(!option->isChecked());
        QVERIFY(!option->isEnabled());
        QVERIFY(!fileExists(freshpoll("CheckTrue")));
    }
};

QTEST_MAIN(HandOffTest)
#include "HandOffTest.moc"
