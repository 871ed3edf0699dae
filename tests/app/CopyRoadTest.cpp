#include "app/gui/MainWindow.h"
#include "copy/gui/CollisionDialog.h"
#include "copy/gui/CopyAnimation.h"
#include "copy/gui/CopyProgressDialog.h"
#include "copy/gui/Gauge.h"
#include "copy/gui/RenameDialog.h"
#include "i18n/StringTable.h"
#include "job/ProgramPaths.h"
#include "platform/ChunkedCopy.h"
#include "ui/MessageBoxes.h"

#include "support/MessageBoxAnswerer.h"
#include "support/TempFolder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <utime.h>

using tw::app::MainWindow;
using tw::copy::CollisionDialog;
using tw::copy::CopyProgressDialog;
using tw::copy::RenameDialog;
using tw::job::ProgramPaths;
using tw::test::readFile;
using tw::test::TempFolder;
using tw::test::writeFile;

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

void setLastWrite(const std::string& path, std::time_t when) {
    const utimbuf times{when, when};
    QVERIFY(::utime(path.c_str(), &times) == 0);
}

void queueClick(QAbstractButton* button) {
    QVERIFY(button != nullptr);
    QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
}

template <class W>
QString textOf(QWidget* window, const char* name) {
    auto* w = window->findChild<W*>(name);
    return w != nullptr ? w->text() : QString("<no %1>").arg(name);
}

// The report line of one counter: padded entry, the number, 20 spaces.
std::string counterLine(const std::string& entry, int n) {
    return "     " + entry + " " + std::to_string(n) + std::string(20, ' ') + "\r\n";
}

const std::string rule = "     " + std::string(26, '-') + "\r\n";
const std::string title = "     Отчет о копировании..." + std::string(22, ' ') + "\r\n";

std::string reportHead(int copied, int created, int replaced, int renamed, int autoRenamed,
                       int skipped) {
    return title + "\r\n" + counterLine("Всего скопировано файлов:", copied) + rule +
           counterLine("Из них создано новых:", created) +
           counterLine("Из них заменено:", replaced) +
           counterLine("Из них переименовано:", renamed) +
           counterLine("Из них переименовано автоматически:", autoRenamed) + rule +
           counterLine("Всего пропушено файлов:", skipped);
}

// What the user met in one modal window.
struct Seen {
    QString kind; // "box", "collision", "rename"
    QString text; // box text, or the collision dialog's labels joined by "|"
    int beepsBefore = 0;
    bool copyAnimationOn = false;
};

enum class Answer { ReplaceForRest, RenameByHand, RenameAutomatically };

// The user in front of the copy windows: answers what opens, in order, and presses Cancel
// and Pause on the progress window when the named files are in hand.
class User : public QObject {
public:
    explicit User(MainWindow& main)
        : m_main(main) {
        tw::ui::setBeep([this] { ++m_beeps; });
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }
    ~User() override { tw::ui::setBeep({}); }

    std::deque<QMessageBox::StandardButton> questionAnswers;
    std::deque<Answer> collisionAnswers;
    std::deque<QString> typedNames;
    std::deque<QString> cancelDuring; // in this order
    QString pauseDuring;
    std::string pausedMustNotAppear; // a file the run must not reach while paused

    std::vector<Seen> seen;
    QString report;
    bool mainShownDuringRun = false;
    bool gaugeMovedWithinFile = false;
    bool animationRanWhileCopying = false;
    bool pauseHeld = false;
    int questionsWithAnimationOn = 0;

protected:
    // Looks once at every pass of the event queue, wherever the run pumps it: a posted
    // event that posts itself again is delivered exactly once per pass.
    void customEvent(QEvent*) override {
        look();
        QCoreApplication::postEvent(this, new QEvent(QEvent::User));
    }

private:
    void look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == m_handled)
            return;

        CopyProgressDialog* copyWindow = m_main.findChild<CopyProgressDialog*>();
        const bool animationOn =
            copyWindow != nullptr && copyWindow->findChild<tw::copy::CopyAnimation*>()->isActive();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            m_handled = box;
            seen.push_back({"box", box->text(), m_beeps, animationOn});
            const bool question = box->button(QMessageBox::Yes) != nullptr;
            if (question && animationOn)
                ++questionsWithAnimationOn;
            if (!question && box->windowTitle() == "Отчет...")
                report = box->text();
            queueClick(tw::test::scriptedButton(*box, questionAnswers));
        } else if (auto* collision = qobject_cast<CollisionDialog*>(modal);
                   collision != nullptr && collision != m_collision) {
            // Answered once: it may show again for a moment while it closes.
            m_handled = collision;
            m_collision = collision;
            QStringList labels;
            for (const char* name : {"existsLabel", "targetSizeLabel", "targetDateLabel",
                                     "sourceSizeLabel", "sourceDateLabel"})
                labels << textOf<QLabel>(collision, name);
            seen.push_back({"collision", labels.join('|'), m_beeps, animationOn});
            QVERIFY(!collisionAnswers.empty());
            const Answer answer = collisionAnswers.front();
            collisionAnswers.pop_front();
            if (answer == Answer::ReplaceForRest) {
                collision->findChild<QCheckBox*>("sameActionBox")->setChecked(true);
                queueClick(collision->findChild<QPushButton*>("replaceButton"));
            } else {
                // Through the Rename button's menu.
                collision->findChild<QPushButton*>("renameButton")->click();
                auto* item = collision->findChild<QAction*>(answer == Answer::RenameByHand
                                                                ? "renameByHandItem"
                                                                : "renameAutomaticallyItem");
                QMetaObject::invokeMethod(item, "trigger", Qt::QueuedConnection);
            }
        } else if (auto* rename = qobject_cast<RenameDialog*>(modal)) {
            m_handled = rename;
            seen.push_back(
                {"rename", textOf<QLabel>(rename, "currentNameLabel"), m_beeps, animationOn});
            QVERIFY(!typedNames.empty());
            rename->findChild<QLineEdit*>("nameField")->setText(typedNames.front());
            typedNames.pop_front();
            queueClick(rename->findChild<QPushButton*>("okButton"));
        } else if (auto* form = qobject_cast<CopyProgressDialog*>(modal)) {
            watchProgress(*form);
        }
    }

    void watchProgress(CopyProgressDialog& form) {
        mainShownDuringRun = mainShownDuringRun || m_main.isVisible();
        const QString file = textOf<QLabel>(&form, "currentFileLabel");
        auto* gauge = form.findChild<tw::copy::Gauge*>("gauge");
        if (file != m_lastFile) {
            m_lastFile = file;
            m_gaugeAtFileStart = gauge->position();
        } else if (gauge->position() > m_gaugeAtFileStart && file == "big1.mp3") {
            gaugeMovedWithinFile = true;
        }
        animationRanWhileCopying =
            animationRanWhileCopying ||
            form.findChild<tw::copy::CopyAnimation*>("animation")->isActive();

        if (!cancelDuring.empty() && file == cancelDuring.front()) {
            cancelDuring.pop_front();
            form.findChild<QPushButton*>("cancelButton")->click();
        }
        if (!pauseDuring.isEmpty() && file == pauseDuring) {
            pauseDuring.clear();
            form.findChild<QPushButton*>("pauseButton")->click();
            m_pausedAt.start();
        }
        if (m_pausedAt.isValid() && m_pausedAt.elapsed() > 400) {
            m_pausedAt.invalidate();
            // Held: the next file was not begun, the button offers to go on, the picture
            // stands still.
            pauseHeld = form.paused() &&
                        textOf<QPushButton>(&form, "pauseButton") == "Продолжить" &&
                        !form.findChild<tw::copy::CopyAnimation*>("animation")->isActive() &&
                        !std::filesystem::exists(pausedMustNotAppear);
            form.findChild<QPushButton*>("pauseButton")->click();
        }
    }

    MainWindow& m_main;
    QPointer<QWidget> m_handled;
    QPointer<CollisionDialog> m_collision;
    int m_beeps = 0;
    QString m_lastFile;
    std::int64_t m_gaugeAtFileStart = 0;
    QElapsedTimer m_pausedAt;
};

} // namespace

class CopyRoadTest : public QObject {
    Q_OBJECT

    // The texts the windows under test show, fresh for each test.
    tw::i18n::StringTable m_strings;

private slots:
    void initTestCase() {
        // The collision dialog's dates read in local time.
        qputenv("TZ", "UTC");
        tzset();
    }

    // Two playlists through the real windows: every answer to a collision, a refused typed
    // name, a Cancel answered No in the middle of a large file, a pause, a Cancel answered
    // Yes, then a run that replaces for the rest; the files on disk and both reports.
    void wholeCopyRoadThroughTheWindows() {
        m_strings = tw::i18n::StringTable{};
        TempFolder root;
        const std::string music = root / "Музыка";
        const std::string out = root / "Выход";
        const std::string big(24 * 1024 * 1024 + 7, 'b');
        writeFile(music + "/Альбом/Трек 1.mp3", std::string(5000, '1'));
        writeFile(music + "/Альбом/Трек 2.mp3", "track two");
        writeFile(music + "/big1.mp3", big);
        writeFile(music + "/big2.mp3", big + "2");
        writeFile(music + "/Ёлка.mp3", "fir");
        writeFile(music + "/Песня.mp3", "new song");
        writeFile(music + "/Последняя.mp3", "last");
        writeFile(out + "/Трек 1.mp3", std::string(3000, 'o'));
        writeFile(out + "/Трек 2.mp3", "old two");
        writeFile(out + "/Песня.mp3", "old song");
        setLastWrite(out + "/Трек 1.mp3", 1164036618);          // 20.11.06 15:30:18
        setLastWrite(music + "/Альбом/Трек 1.mp3", 1700000000); // 14.11.23 22:13:20
        writeFile(music + "/list.m3u", "#EXTM3U\r\n"
                                       "Альбом\\Трек 1.mp3\r\n"
                                       "Альбом/Трек 2.mp3\r\n"
                                       "нет такого.mp3\r\n"
                                       "big1.mp3\r\n"
                                       "big2.mp3\r\n"
                                       "Ёлка.mp3\r\n"
                                       "Последняя.mp3\r\n");
        writeFile(music + "/list.pls", "[playlist]\r\n"
                                       "File1=Песня.mp3\r\n"
                                       "File2=Альбом\\Трек 1.mp3\r\n"
                                       "File3=Последняя.mp3\r\n"
                                       "NumberOfEntries=3\r\n");

        MainWindow form(tw::job::ProgramPaths(root.path()), m_strings);
        form.show();
        form.findChild<QCheckBox*>("keepStructure")->setChecked(false); // all into one folder
        auto choose = [&form, &out](const std::string& playlist) {
            form.services().choosePlaylist = [playlist](QFileDialog&) { return playlist; };
            form.services().chooseFolder = [&out](QWidget*, const std::string&,
                                                  const std::string&) { return out; };
            form.findChild<QPushButton*>("choosePlaylistButton")->click();
            form.findChild<QPushButton*>("chooseDestinationButton")->click();
            QVERIFY(form.findChild<QPushButton*>("startCopyButton")->isEnabled());
        };

        // The M3U playlist, written at 200 MB/s: the large files take many chunks.
        choose(music + "/list.m3u");
        tw::platform::ChunkedCopy::setWritePacer([](std::uint64_t bytes) {
            std::this_thread::sleep_for(std::chrono::microseconds(bytes / 200));
        });
        {
            User user(form);
            user.collisionAnswers = {Answer::RenameByHand, Answer::RenameAutomatically};
            user.typedNames = {"Трек 1.mp3", "../x.mp3", "", "Трек 1 (новый).mp3"};
            user.cancelDuring = {"big1.mp3", "Ёлка.mp3"};
            user.pauseDuring = "big2.mp3";
            user.pausedMustNotAppear = out + "/Ёлка.mp3";
            user.questionAnswers = {QMessageBox::No, QMessageBox::Yes};
            form.findChild<QPushButton*>("startCopyButton")->click();
            QVERIFY(user.collisionAnswers.empty());
            QVERIFY(user.typedNames.empty());
            QVERIFY(user.questionAnswers.empty());
            QVERIFY(user.cancelDuring.empty());

            // The first collision shows both files: sizes in KB and last-write dates.
            QVERIFY(user.seen.size() >= 2);
            QCOMPARE(user.seen[0].kind, QString("collision"));
            QCOMPARE(user.seen[0].text,
                     QString("Файл с таким именем уже существует:\nТрек 1.mp3|2 КБ|"
                             "Создан: 20.11.06 15:30:18|4 КБ|Создан: 14.11.23 22:13:20"));
            QVERIFY(!user.seen[0].copyAnimationOn);
            // The rename dialog: the preset name is taken, a path holds a separator (two
            // lines each: the rule, then the request), an empty name only asks for another;
            // each refusal comes after the stop beep.
            QCOMPARE(user.seen[1].kind, QString("rename"));
            QCOMPARE(user.seen[1].text, QString("Трек 1.mp3"));
            const QString enterOther =
                "Введите другое имя или нажмите \"Отмена\" и выберите другое действие.";
            std::vector<QString> refusals;
            for (std::size_t i = 2; i < user.seen.size() && user.seen[i].kind != "collision"; ++i) {
                if (user.seen[i].kind == "box") {
                    refusals.push_back(user.seen[i].text);
                    QCOMPARE(user.seen[i].beepsBefore, user.seen[i - 1].beepsBefore + 1);
                }
            }
            const std::vector<QString> expectedRefusals = {
                "Файл с таким именем уже существует!\n" + enterOther,
                "Имя файла не может содержать / и \\.\n" + enterOther, enterOther};
            QCOMPARE(refusals, expectedRefusals);

            QVERIFY(!user.mainShownDuringRun);
            QVERIFY(form.isVisible());
            QVERIFY(user.gaugeMovedWithinFile);
            QVERIFY(user.animationRanWhileCopying);
            QVERIFY(user.pauseHeld);
            QCOMPARE(user.questionsWithAnimationOn, 0);
            const std::string expected =
                reportHead(5, 3, 0, 1, 1, 0) + "\r\n" + counterLine("Недоступны или удалены:", 1) +
                "\r\n" + "     Копирование отменено" + std::string(20, ' ') + "\r\n";
            QCOMPARE(user.report, q(expected));
        }
        tw::platform::ChunkedCopy::setWritePacer({});
        // A Cancel answered No never cost the file in hand; nothing after the Yes was begun.
        QCOMPARE(readFile(out + "/big1.mp3"), big);
        QCOMPARE(readFile(out + "/big2.mp3"), big + "2");
        QCOMPARE(readFile(out + "/Ёлка.mp3"), std::string("fir"));
        QVERIFY(!std::filesystem::exists(out + "/Последняя.mp3"));
        QCOMPARE(readFile(out + "/Трек 1 (новый).mp3"), std::string(5000, '1'));
        QCOMPARE(readFile(out + "/Трек 1.mp3"), std::string(3000, 'o'));
        QCOMPARE(readFile(out + "/Трек 2_001.mp3"), std::string("track two"));
        QCOMPARE(readFile(out + "/Трек 2.mp3"), std::string("old two"));
        QVERIFY(!std::filesystem::exists(root / "x.mp3"));

        // The PLS playlist: replace, ticked for the rest of the run.
        choose(music + "/list.pls");
        {
            User user(form);
            user.collisionAnswers = {Answer::ReplaceForRest};
            form.findChild<QPushButton*>("startCopyButton")->click();
            int collisions = 0;
            for (const Seen& s : user.seen)
                collisions += s.kind == "collision" ? 1 : 0;
            QCOMPARE(collisions, 1);
            QCOMPARE(user.report, q(reportHead(3, 1, 2, 0, 0, 0)));
        }
        QCOMPARE(readFile(out + "/Песня.mp3"), std::string("new song"));
        QCOMPARE(readFile(out + "/Трек 1.mp3"), std::string(5000, '1'));
        QCOMPARE(readFile(out + "/Последняя.mp3"), std::string("last"));
        // A completed run clears the set-up.
        QVERIFY(form.findChild<QLineEdit*>("playlistField")->text().isEmpty());
    }
};

QTEST_MAIN(CopyRoadTest)
#include "CopyRoadTest.moc"
