#include "app/gui/MainWindow.h"
#include "app/gui/WindowProgram.h"
#include "errors/ErrorReporter.h"
#include "i18n/StringTable.h"
#include "job/CopyReport.h"
#include "job/ProgramPaths.h"
#include "job/SizeText.h"
#include "platform/Drives.h"
#include "playlist/gui/ScanProgressDialog.h"
#include "ui/MessageBoxes.h"

#include "support/ImageMount.h"
#include "support/MessageBoxAnswerer.h"
#include "support/TempFolder.h"
#include "support/TmpfsMount.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <QFileDialog>

#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

using tw::app::MainWindow;
using tw::job::ProgramPaths;
using tw::test::TempFolder;

namespace {

const tw::i18n::StringTable builtIn;

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

// One message box as the user saw it.
struct SeenBox {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption, text, details;
    int beepsBefore = 0; // beeps sounded up to the moment it showed
    bool busy = false;   // the main window's busy flag while it was open
};

// Stands in for the user in front of the modal windows: answers every message box (OK, or
// the next queued answer for a question), records what each showed, and presses the list
// scan's Cancel when asked to.
class User : public QObject {
public:
    explicit User(MainWindow& form)
        : m_form(form) {
        tw::ui::setBeep([this] { ++m_beeps; });
        connect(&m_timer, &QTimer::timeout, this, &User::look);
        m_timer.start(2);
    }
    ~User() override { tw::ui::setBeep({}); }

    std::vector<SeenBox> boxes;
    std::deque<QMessageBox::StandardButton> answers;
    bool cancelScan = false;
    int scanCancelledAtProgress = -1;
    bool scanSeen = false; // the list scan's window showed

    int beeps() const { return m_beeps; }
    std::vector<QString> texts() const {
        std::vector<QString> out;
        for (const auto& b : boxes)
            out.push_back(b.text);
        return out;
    }

private:
    void look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (qobject_cast<tw::playlist::ScanProgressDialog*>(modal) != nullptr)
            scanSeen = true;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            const tw::test::SeenMessageBox seen = tw::test::describe(*box);
            boxes.push_back(
                {seen.icon, seen.caption, seen.text, seen.details, m_beeps, m_form.busy()});
            tw::test::scriptedButton(*box, answers)->click();
        } else if (auto* wait = qobject_cast<tw::playlist::ScanProgressDialog*>(modal);
                   wait && cancelScan && scanCancelledAtProgress < 0) {
            // Once the scan has moved the bar, press Cancel.
            const int at = wait->findChild<QProgressBar*>("progressBar")->value();
            if (at > 0) {
                scanCancelledAtProgress = at;
                wait->findChild<QPushButton*>("cancelButton")->click();
            }
        }
    }

    MainWindow& m_form;
    QTimer m_timer;
    int m_beeps = 0;
};

// Stands in for the copy progress window: runs the job with a scripted user who presses
// Cancel at the first look and confirms the stop, or lets the run go to its end.
class ScriptedCopyWindow : public tw::app::CopyWindow,
                           private tw::copy::ProgressDisplay,
                           private tw::copy::RunControl,
                           private tw::copy::RunQuestions {
public:
    explicit ScriptedCopyWindow(bool cancel)
        : m_cancel(cancel) {}
    tw::copy::CopyRun::End execCopy(tw::job::CopyJob& job) override {
        return job.run(*this, *this, *this);
    }

private:
    void showCurrentFile(const std::string&) override {}
    void setElapsedText(const std::string&) override {}
    void setGauge(std::int64_t, std::int64_t) override {}
    void setAnimation(bool) override {}
    void setStatus(const std::string&) override {}
    void fileProgress(std::uint64_t, std::uint64_t) override {}
    void processEvents(tw::copy::RunFlags& flags) override {
        if (m_cancel)
            flags.requestCancel();
    }
    void sleepMs(int) override {}
    bool continueFile() override { return true; }
    bool askStop() override { return true; }
    tw::copy::CollisionAnswer askCollision(const tw::copy::CollisionQuestion&) override {
        tw::copy::CollisionAnswer skip;
        skip.action = tw::copy::CollisionAction::Skip;
        return skip;
    }
    void showAutoRenameNotice() override {}

    bool m_cancel;
};

QCheckBox* box(MainWindow& form, const char* name) {
    return form.findChild<QCheckBox*>(name);
}

QString text(MainWindow& form, const char* name) {
    if (auto* label = form.findChild<QLabel*>(name))
        return label->text();
    return form.findChild<QLineEdit*>(name)->text();
}

bool startEnabled(MainWindow& form) {
    return form.findChild<QPushButton*>("startCopyButton")->isEnabled();
}

void click(MainWindow& form, const char* name) {
    form.findChild<QAbstractButton*>(name)->click();
}

// The two file dialogs answer with these.
void chooseWith(MainWindow& form, std::optional<std::string> playlist,
                std::optional<std::string> folder) {
    form.services().choosePlaylist = [playlist](QFileDialog&) { return playlist; };
    form.services().chooseFolder = [folder](QWidget*, const std::string&, const std::string&) {
        return folder;
    };
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.push_back(line);
        start = end + 1;
    }
    return result;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    // The texts the windows under test show, fresh for each test.
    tw::i18n::StringTable m_strings;

private slots:
    void init() {
        m_strings = tw::i18n::StringTable{};
        m_folder = std::make_unique<TempFolder>();
    }
    void cleanup() {
        m_folder.reset();
        tw::errors::ErrorReporter::instance().setTerminateRequested(false);
    }

    void withoutSettingsOnlyCheckBox1IsCheckedAndExitWritesAllElevenKeysInOrder() {
        {
            MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
            QVERIFY(box(form, "keepStructure")->isChecked());
            for (const char* name :
                 {"transliterate", "onlyMp3", "asManyAsFit", "checkNewVersion", "numberFiles"})
                QVERIFY2(!box(form, name)->isChecked(), name);
            QVERIFY(m_strings.CurrentLanguage.empty());
            form.show();
            box(form, "onlyMp3")->setChecked(true);
            // The client area's place is what Exit saves (and the next start restores).
            form.setGeometry(QRect(QPoint(40, 30), form.size()));
            QVERIFY(form.close());
        }
        const auto written = lines(tw::test::readFile(*m_folder / "Settings.ini"));
        // No language was chosen at first start (that window is not there), so it stays empty.
        const std::vector<std::string> expected = {
            "[Settings]", "Top=30",      "Left=40",   "structure=1",     "translit=0", "onlymp3=1",
            "max=0",      "Freshpoll=0", "Language=", "writeplaylist=0", "skipsame=0", "number=0"};
        QCOMPARE(written, expected);
    }

    void settingsPlaceWindowAndSetOptionsAndLanguage() {
        tw::test::writeFile(*m_folder / "Settings.ini",
                            "[Settings]\r\nTop=120\r\nLeft=130\r\nstructure=0\r\ntranslit=1\r\n"
                            "onlymp3=1\r\nmax=2\r\nFreshpoll=1\r\nLanguage=English\r\n");
        tw::test::writeFile(*m_folder / "Freshpoll/freshpoll", "checker");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        QCOMPARE(form.pos(), QPoint(130, 120));
        QVERIFY(!box(form, "keepStructure")->isChecked());
        QVERIFY(box(form, "transliterate")->isChecked());
        QVERIFY(box(form, "onlyMp3")->isChecked());
        QVERIFY(box(form, "asManyAsFit")->isChecked()); // any non-zero number is true
        QVERIFY(box(form, "checkNewVersion")->isChecked());
        QVERIFY(box(form, "checkNewVersion")->isEnabled());
        QCOMPARE(m_strings.CurrentLanguage, std::string("English"));
    }

    void emptySettingsSectionGivesDefaultsAtOrigin() {
        tw::test::writeFile(*m_folder / "Settings.ini", "[Settings]\r\nmax=yes\r\n");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        QCOMPARE(form.pos(), QPoint(0, 0));
        QVERIFY(box(form, "keepStructure")->isChecked());
        QVERIFY(!box(form, "asManyAsFit")->isChecked()); // not a number: default
        QCOMPARE(m_strings.CurrentLanguage, std::string("Russian"));
    }

    void missingCheckerDisablesCheckBox5AndExitWritesFreshpollZero() {
        tw::test::writeFile(*m_folder / "Settings.ini", "[Settings]\r\nFreshpoll=1\r\n");
        {
            MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
            QVERIFY(!box(form, "checkNewVersion")->isChecked());
            QVERIFY(!box(form, "checkNewVersion")->isEnabled());
            form.show();
            QVERIFY(form.close());
        }
        const auto written = tw::test::readFile(*m_folder / "Settings.ini");
        QVERIFY(written.find("Freshpoll=0") != std::string::npos);
        QVERIFY(written.find("Freshpoll=1") == std::string::npos);
    }

    void exitWithEmptyFieldsClosesWithoutQuestion() {
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();
        bool canClose = false;
        form.confirmClose(canClose);
        QVERIFY(canClose);
        form.findChild<QPushButton*>("exitButton")->click();
        QVERIFY(!form.isVisible());
        QVERIFY(std::filesystem::exists(*m_folder / "Settings.ini"));
    }

    void exitWithAFieldSetAsksAndNoKeepsTheWindow() {
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();
        form.findChild<QLineEdit*>("destinationField")->setText("/music");
        tw::test::MessageBoxAnswerer user({QMessageBox::No, QMessageBox::Yes});
        QVERIFY(!form.close());
        QCOMPARE(user.seen().size(), std::size_t{1});
        QCOMPARE(user.seen()[0].text, QString("Действительно хотите закрыть программу?"));
        QVERIFY(form.isVisible());
        QVERIFY(!form.busy());
        QVERIFY(!std::filesystem::exists(*m_folder / "Settings.ini"));

        QVERIFY(form.close());
        QCOMPARE(user.seen().size(), std::size_t{2});
        QVERIFY(std::filesystem::exists(*m_folder / "Settings.ini"));
    }

    void closingFromErrorWindowSkipsQuestionAndSettings() {
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();
        form.findChild<QLineEdit*>("playlistField")->setText("/music/list.m3u");
        tw::errors::ErrorReporter::instance().setTerminateRequested(true);
        QVERIFY(form.close()); // no question is waiting to be answered
        QVERIFY(!std::filesystem::exists(*m_folder / "Settings.ini"));
    }

    void unwritableSettingsAreReportedUnderFormCloseCode() {
        // A folder in place of Settings.ini cannot be written, even by root.
        std::filesystem::create_directories(*m_folder / "Settings.ini");
        tw::errors::ErrorReporter::instance().setProgramFolder(m_folder->path());
        {
            MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
            form.show();
            QVERIFY(form.close()); // the program still ends
        }
        const auto log = tw::test::readFile(*m_folder / "ErrorLog/Debug.Log");
        QVERIFY(log.find("Adress = 2.001 - 014.0\r\n") != std::string::npos);
        QVERIFY(log.find("Type = tw::platform::FileError\r\n") != std::string::npos);
    }

    void firstShowLoadsLanguageAndRecaptionsControls() {
        tw::test::writeFile(*m_folder / "Settings.ini", "[Settings]\r\nLanguage=Test\r\n");
        std::string file = "Test\r\nTunewagon\r\nkB\r\nMB\r\nGB\r\nPlaylist\r\nFolder\r\nPick\r\n";
        tw::test::writeFile(*m_folder / "Language/Test/Test.txt", file);
        tw::test::writeFile(*m_folder / "Language/English/Help/index.htm", "help");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        auto* button1 = form.findChild<QPushButton*>("choosePlaylistButton");
        QCOMPARE(button1->text(), QString("Выбрать..."));
        form.show();
        QCOMPARE(button1->text(), QString("Pick"));
        QCOMPARE(form.findChild<QLabel*>("destinationLabel")->text(), QString("Folder"));
        // Entries the file does not reach keep their built-in texts.
        QCOMPARE(form.findChild<QPushButton*>("exitButton")->text(), QString("Выход"));
        QCOMPARE(form.findChild<QLabel*>("listCountLabel")->text(),
                 QString("Количество файлов в списке: "));
        // No help of its own: English help is taken.
        QCOMPARE(form.findChild<QPushButton*>("helpButton")->toolTip(), QString("English"));
        QCOMPARE(form.windowTitle(), QString("Tunewagon"));

        // A second showing loads nothing again.
        m_strings.choosePlaylistButton = "changed";
        form.hide();
        form.show();
        QCOMPARE(button1->text(), QString("Pick"));
    }

    void designStatesOfTheControls() {
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        QVERIFY(!form.findChild<QPushButton*>("startCopyButton")->isEnabled());
        QVERIFY(!form.findChild<QPushButton*>("languageButton")->isEnabled());
        QCOMPARE(form.findChild<QPushButton*>("languageButton")->text(), QString("Language..."));
        QCOMPARE(form.findChild<QPushButton*>("helpButton")->size(), QSize(26, 26));
        QVERIFY(form.findChild<QLineEdit*>("playlistField")->isReadOnly());
        QVERIFY(form.findChild<QWidget*>("infoPanel") != nullptr);
        QVERIFY(form.findChild<QObject*>("playlistDialog") != nullptr);
        QVERIFY(form.width() >= 464 && form.height() >= 355);
        QCOMPARE(form.minimumSize(), form.maximumSize());
        // Tab order: the two buttons and the list of removable drives, the seven options, the
        // buttons, the new-version option last.
        QStringList order;
        QWidget* w = form.findChild<QPushButton*>("choosePlaylistButton");
        for (int i = 0; i < 15; ++i, w = w->nextInFocusChain()) {
            while (w->focusPolicy() == Qt::NoFocus || !(w->focusPolicy() & Qt::TabFocus))
                w = w->nextInFocusChain();
            order << w->objectName();
        }
        QCOMPARE(order, QStringList({"choosePlaylistButton", "chooseDestinationButton", "driveList",
                                     "keepStructure", "transliterate", "onlyMp3", "asManyAsFit",
                                     "writePlaylist", "skipSame", "numberFiles", "startCopyButton",
                                     "helpButton", "languageButton", "aboutButton", "exitButton"}));
        QCOMPARE(w->objectName(), QString("checkNewVersion"));
    }

    void launchRuleRefusesEqualSizesAndWarnsWithCopyAsManyAsFit() {
        // A drive of its own, so that its free space holds still.
        std::filesystem::create_directories(*m_folder / "drive");
        tw::test::ImageMount drive(tw::test::ImageMount::Kind::Ext4, *m_folder / "drive.img",
                                   *m_folder / "drive", 4);
        if (!drive.mounted())
            QSKIP(drive.reason().c_str());
        const std::int64_t freeKB = tw::platform::freeBytes(*m_folder / "drive") / 1024;
        // One (sparse) file of exactly the free space.
        tw::test::writeFile(*m_folder / "music/a.mp3", "");
        std::filesystem::resize_file(*m_folder / "music/a.mp3", freeKB * 1024);
        tw::test::writeFile(*m_folder / "music/list.m3u", "#EXTM3U\r\na.mp3\r\ngone.mp3\r\n");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();
        User user(form);
        chooseWith(form, *m_folder / "music/list.m3u", *m_folder / "drive");

        click(form, "choosePlaylistButton");
        QCOMPARE(text(form, "playlistField"), q(*m_folder / "music/list.m3u"));
        QCOMPARE(text(form, "listCountLabel"), QString("Количество файлов в списке: 1"));
        const QString size = q(tw::job::sizeText(false, freeKB, builtIn));
        QCOMPARE(text(form, "listSizeLabel"), "Занимаемое место на диске: " + size);
        QVERIFY(user.boxes.empty()); // no destination yet: the rule says nothing

        click(form, "chooseDestinationButton");
        QCOMPARE(text(form, "destinationField"), q(*m_folder / "drive"));
        QCOMPARE(text(form, "freeSpaceLabel"), "Свободное место на диске назначения: " + size);
        QVERIFY(!startEnabled(form));
        const QString refused = q(builtIn.StrSpaceTooSmall + "\r\n" + builtIn.StrFreeSomeSpace);
        const QString warned = q(builtIn.StrSpaceTooSmall + "\r\n" + builtIn.StrAsManyAsFit);
        QCOMPARE(user.boxes.size(), std::size_t{1});
        QCOMPARE(user.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(user.boxes[0].caption, q(builtIn.StrWarningCaption));
        QCOMPARE(user.boxes[0].beepsBefore, 1);
        QVERIFY(user.boxes[0].busy);
        QVERIFY(!form.busy());

        // Each toggle runs the rule again and says so again.
        click(form, "asManyAsFit");
        QVERIFY(startEnabled(form));
        click(form, "asManyAsFit");
        QVERIFY(!startEnabled(form));
        click(form, "asManyAsFit");
        QVERIFY(startEnabled(form));
        QCOMPARE(user.texts(), (std::vector<QString>{refused, warned, refused, warned}));
        QCOMPARE(user.boxes[1].icon, QMessageBox::Warning);
        QVERIFY(user.boxes[1].busy);
        QCOMPARE(user.beeps(), 4);
        QVERIFY(!form.busy());

        // One kilobyte less and the list fits without a word.
        click(form, "asManyAsFit");
        std::filesystem::resize_file(*m_folder / "music/a.mp3", (freeKB - 1) * 1024);
        click(form, "choosePlaylistButton");
        QVERIFY(startEnabled(form));
        QCOMPARE(user.boxes.size(), std::size_t{5});
    }

    void cancellingALongScanForgetsThePlaylist() {
        std::string list;
        for (int i = 0; i < 100000; ++i)
            list += "missing/" + std::to_string(i) + ".mp3\r\n";
        tw::test::writeFile(*m_folder / "list.m3u", list);
        std::filesystem::create_directories(*m_folder / "out");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();
        User user(form);
        user.cancelScan = true;
        chooseWith(form, *m_folder / "list.m3u", *m_folder / "out");
        click(form, "chooseDestinationButton");
        click(form, "choosePlaylistButton");

        QVERIFY(user.scanCancelledAtProgress > 0); // pressed while the bar was moving
        QCOMPARE(text(form, "playlistField"), QString());
        QCOMPARE(text(form, "listCountLabel"), q(builtIn.StrListCount));
        QCOMPARE(text(form, "listSizeLabel"), q(builtIn.StrListSize));
        QVERIFY(!form.job().setup().listReady);
        QCOMPARE(form.job().setup().playlistPath.str(), *m_folder / "list.m3u");
        QVERIFY(!startEnabled(form));
        QVERIFY(user.boxes.empty());
        QVERIFY(!form.busy());
    }

    void playlistWithNothingToCopyOrUnreadableIsRefused() {
        tw::test::writeFile(*m_folder / "music/list.m3u", "#EXTM3U\r\nnot-there.mp3\r\n");
        std::filesystem::create_directories(*m_folder / "out");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();
        User user(form);
        chooseWith(form, *m_folder / "music/list.m3u", *m_folder / "out");
        click(form, "chooseDestinationButton");
        click(form, "choosePlaylistButton");
        QCOMPARE(text(form, "listCountLabel"), QString("Количество файлов в списке: 0"));
        QCOMPARE(text(form, "listSizeLabel"), QString("Занимаемое место на диске: 0 КБ"));
        QCOMPARE(user.boxes.size(), std::size_t{1});
        QCOMPARE(user.boxes[0].text, q(builtIn.StrNoFiles));
        QCOMPARE(user.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(user.boxes[0].beepsBefore, 1);
        QVERIFY(!startEnabled(form));

        // A folder chosen as the playlist cannot be read: the labels keep their texts and
        // the reason is in the box's details.
        chooseWith(form, *m_folder / "music", *m_folder / "out");
        click(form, "choosePlaylistButton");
        QCOMPARE(user.boxes.size(), std::size_t{2});
        QCOMPARE(user.boxes[1].text, q(builtIn.StrFileError));
        QCOMPARE(user.boxes[1].icon, QMessageBox::Critical);
        QVERIFY(user.boxes[1].details.contains(q(*m_folder / "music")));
        QCOMPARE(text(form, "listCountLabel"), QString("Количество файлов в списке: 0"));
        QVERIFY(!form.job().setup().listReady);
        QVERIFY(!startEnabled(form));
    }

    // "tunewagon LIST DEST", as a file manager's "Open with" starts it: once the main window
    // shows, the playlist is scanned in the scan window as Choose... would, and the folder
    // (here given as a file:// address) is chosen; the start button is ready.
    void playlistAndFolderNamedAtStartAreScannedAndChosen() {
        tw::test::writeFile(*m_folder / "music/a.mp3", "ID3 data");
        tw::test::writeFile(*m_folder / "music/list.m3u", "#EXTM3U\r\na.mp3\r\n");
        std::filesystem::create_directories(*m_folder / "out");
        tw::test::writeFile(*m_folder / "Settings.ini", "[Settings]\r\n");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        User user(form);
        QTimer watch;
        connect(&watch, &QTimer::timeout, &form, [&form] {
            if (!form.busy() && form.job().setup().listReady && form.job().setup().destinationReady)
                QApplication::exit(0);
        });
        watch.start(20);
        QTimer::singleShot(15000, &form, [] { QApplication::exit(1); });
        const std::vector<std::string> files =
            tw::app::startFilesFrom({"tunewagon", q(*m_folder / "music/list.m3u"),
                                     QUrl::fromLocalFile(q(*m_folder / "out")).toString()});
        QCOMPARE(tw::app::runWindowProgram(form, m_strings, files), 0);
        QVERIFY(user.scanSeen);
        QCOMPARE(text(form, "playlistField"), q(*m_folder / "music/list.m3u"));
        QCOMPARE(text(form, "listCountLabel"), QString("Количество файлов в списке: 1"));
        QCOMPARE(text(form, "destinationField"), q(*m_folder / "out"));
        QVERIFY(user.boxes.empty());
        QVERIFY(startEnabled(form));
    }

    // A playlist that cannot be read and a folder that is not there, named at start, get the
    // boxes the same choices get through the buttons.
    void badNamesAtStartGetTheBoxesOfABadChoice() {
        tw::test::writeFile(*m_folder / "Settings.ini", "[Settings]\r\n");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        User user(form);
        QTimer watch;
        connect(&watch, &QTimer::timeout, &form, [&form, &user] {
            if (!form.busy() && user.boxes.size() >= 2)
                QApplication::exit(0);
        });
        watch.start(20);
        QTimer::singleShot(15000, &form, [] { QApplication::exit(1); });
        const std::string folder = *m_folder / "music";
        std::filesystem::create_directories(folder);
        QCOMPARE(tw::app::runWindowProgram(form, m_strings, {folder, *m_folder / "nowhere"}), 0);
        QCOMPARE(user.boxes.size(), std::size_t{2});
        QCOMPARE(user.boxes[0].text, q(builtIn.StrFileError));
        QCOMPARE(user.boxes[0].icon, QMessageBox::Critical);
        QCOMPARE(user.boxes[1].icon, QMessageBox::Warning);
        QVERIFY(!form.job().setup().listReady);
        QVERIFY(!form.job().setup().destinationReady);
    }

    // Dropped from a file manager: the playlist is scanned as Choose... would, the folder
    // becomes the destination; an address that is no local file is not taken.
    void droppedPlaylistIsScannedAndDroppedFolderChosen() {
        tw::test::writeFile(*m_folder / "music/a.mp3", "ID3 data");
        tw::test::writeFile(*m_folder / "music/b.mp3", "ID3 more");
        tw::test::writeFile(*m_folder / "music/list.pls",
                            "[playlist]\r\nFile1=a.mp3\r\nFile2=b.mp3\r\nNumberOfEntries=2\r\n");
        std::filesystem::create_directories(*m_folder / "out");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();
        User user(form);

        QMimeData remote;
        remote.setUrls({QUrl("https://example.org/list.m3u")});
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &remote, Qt::LeftButton,
                                Qt::NoModifier);
        QApplication::sendEvent(&form, &refused);
        QVERIFY(!refused.isAccepted());

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(q(*m_folder / "out")),
                      QUrl::fromLocalFile(q(*m_folder / "music/list.pls"))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form, &drop);
        QVERIFY(drop.isAccepted());
        QTRY_VERIFY(!form.busy() && form.job().setup().listReady &&
                    form.job().setup().destinationReady);
        QVERIFY(user.scanSeen);
        QCOMPARE(text(form, "playlistField"), q(*m_folder / "music/list.pls"));
        QCOMPARE(text(form, "listCountLabel"), QString("Количество файлов в списке: 2"));
        QCOMPARE(text(form, "destinationField"), q(*m_folder / "out"));
        QVERIFY(user.boxes.empty());
    }

    void destinationRefusesNoFolderAndNonLocalFoldersAndKeepsThePrevious() {
        std::filesystem::create_directories(*m_folder / "out");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();
        User user(form);

        // Browser cancelled with no destination yet.
        chooseWith(form, std::nullopt, std::nullopt);
        click(form, "chooseDestinationButton");
        QCOMPARE(user.boxes.size(), std::size_t{1});
        QCOMPARE(user.boxes[0].text, q(builtIn.StrBadFolder));
        QCOMPARE(user.boxes[0].icon, QMessageBox::Warning);
        QCOMPARE(user.boxes[0].beepsBefore, 1);
        QCOMPARE(text(form, "destinationField"), QString());

        chooseWith(form, std::nullopt, *m_folder / "out");
        click(form, "chooseDestinationButton");
        QVERIFY(form.job().setup().destinationReady);
        const QString freeText = q(builtIn.StrFreeSpace + " " +
                                   tw::job::sizeText(false, form.job().setup().freeKB, builtIn));
        QCOMPARE(text(form, "freeSpaceLabel"), freeText);

        // Cancelling the browser now offers the folder shown and takes it again.
        std::string initial;
        form.services().chooseFolder = [&initial](QWidget*, const std::string&,
                                                  const std::string& from) {
            initial = from;
            return std::optional<std::string>();
        };
        click(form, "chooseDestinationButton");
        QCOMPARE(initial, *m_folder / "out");
        QVERIFY(form.job().setup().destinationReady);
        QCOMPARE(user.boxes.size(), std::size_t{1});

        // A folder that vanished after the browser closed is no folder to copy into; the one
        // shown before stays, but is no longer ready.
        chooseWith(form, std::nullopt, *m_folder / "gone");
        click(form, "chooseDestinationButton");
        QCOMPARE(user.boxes.size(), std::size_t{2});
        QCOMPARE(user.boxes[1].text, q(builtIn.StrBadFolder));
        QCOMPARE(text(form, "destinationField"), q(*m_folder / "out"));
        QVERIFY(!form.job().setup().destinationReady);

        // A RAM disk is not a local drive.
        std::filesystem::create_directories(*m_folder / "ram");
        tw::test::TmpfsMount ram(*m_folder / "ram", "size=1m");
        if (!ram.mounted())
            QSKIP(ram.reason().c_str());
        chooseWith(form, std::nullopt, *m_folder / "ram");
        click(form, "chooseDestinationButton");
        QCOMPARE(user.boxes.size(), std::size_t{3});
        QCOMPARE(user.boxes[2].text, q(builtIn.StrLocalOnly));
        QCOMPARE(user.boxes[2].icon, QMessageBox::Critical);
        QCOMPARE(text(form, "destinationField"), q(*m_folder / "out"));
        QVERIFY(!form.job().setup().destinationReady);
    }

    void copyReportIsShownAndTheSetUpClearedOnlyAfterACompletedRun() {
        tw::test::writeFile(*m_folder / "music/a.mp3", std::string(2048, 'x'));
        tw::test::writeFile(*m_folder / "music/b.mp3", "b");
        tw::test::writeFile(*m_folder / "music/list.m3u", "a.mp3\nb.mp3\ngone.mp3\n");
        // A folder where b.mp3 should go: that copy fails.
        std::filesystem::create_directories(*m_folder / "out/b.mp3");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();
        User user(form);
        chooseWith(form, *m_folder / "music/list.m3u", *m_folder / "out");
        click(form, "choosePlaylistButton");
        click(form, "chooseDestinationButton");
        QVERIFY(startEnabled(form));
        QVERIFY(user.boxes.empty());

        // Stopped by the user: the report says so, the set-up stays.
        form.services().copyWindow = [](const tw::i18n::StringTable&, QWidget*) {
            return std::make_unique<ScriptedCopyWindow>(true);
        };
        click(form, "startCopyButton");
        QCOMPARE(user.boxes.size(), std::size_t{1});
        QCOMPARE(user.boxes[0].text,
                 q(tw::job::buildCopyReport(form.job().counters(), true, builtIn)));
        QVERIFY(user.boxes[0].text.contains(q(builtIn.StrReportCancelled)));
        QCOMPARE(user.boxes[0].icon, QMessageBox::Information);
        QCOMPARE(user.boxes[0].caption, q(builtIn.StrReportCaption));
        QCOMPARE(user.boxes[0].details, QString()); // nothing to list: no details button
        QCOMPARE(user.boxes[0].beepsBefore, 0);
        QVERIFY(user.boxes[0].busy);
        QVERIFY(startEnabled(form));
        QCOMPARE(text(form, "playlistField"), q(*m_folder / "music/list.m3u"));

        // To the end: the missing entry and the failed file are listed in the details.
        form.services().copyWindow = [](const tw::i18n::StringTable&, QWidget*) {
            return std::make_unique<ScriptedCopyWindow>(false);
        };
        click(form, "startCopyButton");
        QCOMPARE(user.boxes.size(), std::size_t{2}); // the rule, run again, says nothing
        const tw::copy::RunCounters& counters = form.job().counters();
        QCOMPARE(counters.missing, 1);
        QCOMPARE(counters.failed, 1);
        QCOMPARE(user.boxes[1].text, q(tw::job::buildCopyReport(counters, false, builtIn)));
        const QStringList details = user.boxes[1].details.split('\n');
        QCOMPARE(details.value(0), QString("Недоступны или удалены:"));
        QVERIFY(details.value(1).endsWith("gone.mp3"));
        QCOMPARE(details.value(3),
                 QString("Всего ошибок при копировании файлов (файлы не скопированы):"));
        QVERIFY(details.value(4).startsWith(q(*m_folder / "music/b.mp3") + ": "));
        QCOMPARE(text(form, "playlistField"), QString());
        QCOMPARE(text(form, "destinationField"), QString());
        QCOMPARE(text(form, "listCountLabel"), q(builtIn.StrListCount + " "));
        QCOMPARE(text(form, "listSizeLabel"), q(builtIn.StrListSize + " "));
        QCOMPARE(text(form, "freeSpaceLabel"), q(builtIn.StrFreeSpace + " "));
        QVERIFY(!startEnabled(form));
        QVERIFY(!form.busy());
    }

    void startCopiesThePlaylistThroughTheCopyWindow() {
        tw::test::writeFile(*m_folder / "music/a.mp3", "first");
        tw::test::writeFile(*m_folder / "music/sub/b.mp3", "second");
        tw::test::writeFile(*m_folder / "music/list.m3u", "a.mp3\r\nsub/b.mp3\r\n");
        std::filesystem::create_directories(*m_folder / "out");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();
        User user(form);
        chooseWith(form, *m_folder / "music/list.m3u", *m_folder / "out");
        click(form, "choosePlaylistButton");
        click(form, "chooseDestinationButton");
        click(form, "startCopyButton");
        QCOMPARE(tw::test::readFile(*m_folder / "out/a.mp3"), std::string("first"));
        QCOMPARE(tw::test::readFile(*m_folder / "out/sub/b.mp3"), std::string("second"));
        tw::copy::RunCounters two;
        two.created = 2;
        QCOMPARE(user.boxes.size(), std::size_t{1});
        QCOMPARE(user.boxes[0].text, q(tw::job::buildCopyReport(two, false, builtIn)));
        QVERIFY(form.isVisible());
        QCOMPARE(text(form, "playlistField"), QString());
    }

    void ticksForAPlaylistAndSkippingWhatIsThereReachTheRunAndItsReport() {
        tw::test::writeFile(*m_folder / "music/a.mp3", "first");
        tw::test::writeFile(*m_folder / "music/sub/b.mp3", "second");
        tw::test::writeFile(*m_folder / "music/list.m3u", "#EXTINF:1,A\na.mp3\nsub/b.mp3\n");
        std::filesystem::create_directories(*m_folder / "out");
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();
        User user(form);
        click(form, "writePlaylist");
        click(form, "skipSame");
        for (int run = 0; run < 2; ++run) {
            chooseWith(form, *m_folder / "music/list.m3u", *m_folder / "out");
            click(form, "choosePlaylistButton");
            click(form, "chooseDestinationButton");
            click(form, "startCopyButton");
        }
        // The second run found both files as the first left them and asked nothing.
        QCOMPARE(user.boxes.size(), std::size_t{2});
        QCOMPARE(form.job().counters().identical, 2);
        QCOMPARE(form.job().counters().created, 0);
        QCOMPARE(tw::test::readFile(*m_folder / "out/list.m3u8"),
                 std::string("#EXTM3U\r\n#EXTINF:1,A\r\na.mp3\r\nsub/b.mp3\r\n"));
        QVERIFY(user.boxes[1].text.endsWith(
            q(builtIn.StrReportPlaylist + " " + *m_folder / "out/list.m3u8" + "\r\n")));
    }

    void numberingTickReachesTheRunAndIsKeptForTheNextStart() {
        tw::test::writeFile(*m_folder / "music/b.mp3", "first");
        tw::test::writeFile(*m_folder / "music/a.mp3", "second");
        tw::test::writeFile(*m_folder / "music/list.m3u", "b.mp3\ngone.mp3\na.mp3\n");
        std::filesystem::create_directories(*m_folder / "out");
        {
            MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
            form.show();
            User user(form);
            click(form, "numberFiles");
            chooseWith(form, *m_folder / "music/list.m3u", *m_folder / "out");
            click(form, "choosePlaylistButton");
            click(form, "chooseDestinationButton");
            click(form, "startCopyButton");
            QCOMPARE(user.boxes.size(), std::size_t{1});
            QVERIFY(form.close());
        }
        QCOMPARE(tw::test::readFile(*m_folder / "out/1 - b.mp3"), std::string("first"));
        QCOMPARE(tw::test::readFile(*m_folder / "out/2 - a.mp3"), std::string("second"));
        QVERIFY(tw::test::readFile(*m_folder / "Settings.ini").ends_with("number=1\r\n"));
        MainWindow again(tw::job::ProgramPaths(m_folder->path()), m_strings);
        QVERIFY(box(again, "numberFiles")->isChecked());
        QVERIFY(again.job().setup().options.number);
    }

    void helpOpensThePageOfTheLanguageAndAboutRunsBusy() {
        MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        std::vector<std::string> opened;
        form.services().openPage = [&opened](const std::string& page) { opened.push_back(page); };
        auto& language = m_strings.CurrentLanguage;
        language = "German"; // no help of its own, no English help
        click(form, "helpButton");
        tw::test::writeFile(*m_folder / "Language/English/Help/index.htm", "en");
        click(form, "helpButton");
        tw::test::writeFile(*m_folder / "Language/German/Help/index.htm", "de");
        click(form, "helpButton");
        tw::test::writeFile(*m_folder / "Language/Russian/Help/index.htm", "ru");
        language = "Russian";
        click(form, "helpButton");
        QCOMPARE(opened, (std::vector<std::string>{*m_folder / "Help.htm",
                                                   *m_folder / "Language/English/Help/index.htm",
                                                   *m_folder / "Language/German/Help/index.htm",
                                                   *m_folder / "Help.htm"}));

        bool busyInAbout = false;
        form.services().showAbout = [&](const tw::i18n::StringTable&, QWidget* owner,
                                        const std::string& folder) {
            busyInAbout = form.busy() && owner == &form && folder == m_folder->path();
        };
        click(form, "aboutButton");
        QVERIFY(busyInAbout);
        QVERIFY(!form.busy());
    }

private:
    std::unique_ptr<TempFolder> m_folder;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
