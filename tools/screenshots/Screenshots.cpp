// Takes the pictures of the user's guide: the main window with a playlist and a destination
// chosen, the copy window and the collision dialog as a collision stops the run, and the copy
// report with its details open, in Russian and in English.
//
//   tunewagon-screenshots OUTPUT_FOLDER
//
// It drives the real windows over a small music folder of its own (temporary files only) and
// writes main-window-ru.png, sticks-ru.png, copy-window-ru.png, collision-ru.png, report-ru.png,
// removed-ru.png and the same
// with -en. scripts/screenshots.sh runs it under Xvfb.

#include "app/gui/MainWindow.h"
#include "job/ProgramPaths.h"
#ifdef TW_HAVE_COPY_WINDOWS
#include "copy/gui/CollisionDialog.h"
#include "copy/gui/CopyProgressDialog.h"
#endif
#include "i18n/StringTable.h"
#include "platform/desktop/RemovableDriveWatch.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextStream>
#include <QTimeZone>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <set>
#include <string>

namespace {

void pumpFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Writes a file dated `when` (UTC), so the pictures show the same dates every time.
bool writeBytes(const QString& path, const QByteArray& bytes,
                const QDateTime& when = QDateTime(QDate(2023, 11, 14), QTime(22, 13, 20),
                                                  QTimeZone::utc())) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() &&
           f.setFileTime(when, QFileDevice::FileModificationTime);
}

bool copyFolder(const QString& from, const QString& to) {
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    bool ok = true;
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + file.mid(from.size());
        QDir().mkpath(QFileInfo(target).path());
        ok = QFile::copy(file, target) && ok;
    }
    return ok;
}

// The player folder, shown as a mounted USB stick with fixed figures (the pictures stay the
// same everywhere); taking it out always works.
class PictureDrives : public tw::platform::RemovableDriveWatch {
public:
    explicit PictureDrives(std::string player)
        : m_player(std::move(player)) {}

    std::vector<tw::platform::RemovableDrive> drives() override {
        tw::platform::RemovableDrive stick;
        stick.label = "PLAYER";
        stick.mountPoint = m_player;
        stick.device = "/dev/sdb1";
        stick.sizeBytes = 7'800'000'000ULL;
        stick.freeBytes = 3'210'000'000LL;
        return {stick};
    }
    RemovalOutcome safelyRemove(const std::string&) override { return {Removal::Removed, {}}; }

private:
    std::string m_player;
};

// A music file of some size, so the gauge and the sizes have something to show.
QByteArray song(int kilobytes, char fill) {
    return QByteArray(kilobytes * 1024, fill);
}

// The user in front of the copy windows: pictures each window once it has settled, answers
// every collision with Replace and closes the report after picturing it with its details.
class Photographer : public QObject {
public:
    Photographer(tw::app::MainWindow& main, const tw::i18n::StringTable& strings, QString folder,
                 QString suffix)
        : m_main(main)
        , m_strings(strings)
        , m_folder(std::move(folder))
        , m_suffix(std::move(suffix)) {
        connect(&m_timer, &QTimer::timeout, this, [this] { look(); });
        m_timer.start(50);
    }

    std::set<QString> taken;

    bool shoot(QWidget* window, const QString& name) {
        const QString path = m_folder + "/" + name + "-" + m_suffix + ".png";
        if (!window->grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
        taken.insert(name);
        return true;
    }

private:
    void look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != m_current) {
            m_current = modal;
            m_since.start();
            return;
        }
        // Every window gets a moment to lay itself out and paint.
        if (modal == nullptr || modal == m_done || m_since.elapsed() < 400) {
            return;
        }
        m_done = modal;
#ifdef TW_HAVE_COPY_WINDOWS
        if (auto* collision = qobject_cast<tw::copy::CollisionDialog*>(modal)) {
            if (taken.count("collision") == 0) {
                if (auto* copyWindow = m_main.findChild<tw::copy::CopyProgressDialog*>()) {
                    shoot(copyWindow, "copy-window");
                }
                shoot(collision, "collision");
            }
            QMetaObject::invokeMethod(collision->findChild<QPushButton*>("replaceButton"), "click",
                                      Qt::QueuedConnection);
            return;
        }
#endif
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            if (box->button(QMessageBox::Yes) != nullptr) {
                QMetaObject::invokeMethod(box->button(QMessageBox::Yes), "click",
                                          Qt::QueuedConnection);
                return;
            }
            if (box->windowTitle() == QString::fromStdString(m_strings.StrSafelyRemove)) {
                shoot(box, "removed");
                QMetaObject::invokeMethod(box->button(QMessageBox::Ok), "click",
                                          Qt::QueuedConnection);
                return;
            }
            if (box->windowTitle() != QString::fromStdString(m_strings.StrReportCaption)) {
                std::fprintf(stderr, "unexpected message: %s\n", qPrintable(box->text()));
                QMetaObject::invokeMethod(box->button(QMessageBox::Ok), "click",
                                          Qt::QueuedConnection);
                return;
            }
            if (!box->detailedText().isEmpty()) {
                for (QAbstractButton* b : box->buttons()) {
                    if (box->buttonRole(b) == QMessageBox::ActionRole &&
                        b->objectName() != "actionButton") {
                        b->click();
                    }
                }
                pumpFor(300);
            }
            shoot(box, "report");
            // The copy went onto the stick: it is taken out.
            QAbstractButton* remove = box->findChild<QPushButton*>("actionButton");
            QMetaObject::invokeMethod(remove != nullptr ? remove : box->button(QMessageBox::Ok),
                                      "click", Qt::QueuedConnection);
        }
    }

    tw::app::MainWindow& m_main;
    const tw::i18n::StringTable& m_strings;
    QString m_folder;
    QString m_suffix;
    QTimer m_timer;
    QPointer<QWidget> m_current;
    QPointer<QWidget> m_done;
    QElapsedTimer m_since;
};

// One language: a program folder with that language chosen, a playlist of eight songs (one of
// them gone, one already on the player) and a player folder.
bool shootLanguage(const QString& language, const QString& suffix, const QString& out) {
    // A short fixed folder, so the pictures show tidy paths; made afresh for each language.
    QDir root(QDir::tempPath() + "/tunewagon-pictures");
    root.removeRecursively();
    const QString program = root.path() + "/Tunewagon";
    const QString music = root.path() + "/Музыка";
    const QString player = root.path() + "/Плеер";
    if (!copyFolder(QStringLiteral(TW_PROGRAM_DIR) + "/Language", program + "/Language") ||
        !writeBytes(program + "/Settings.ini",
                    "[Settings]\r\nLanguage=" + language.toUtf8() + "\r\nstructure=1\r\n")) {
        std::fprintf(stderr, "cannot set up a program folder in %s\n", qPrintable(root.path()));
        return false;
    }
    const char* songs[] = {"Кино/01 Группа крови.mp3",      "Кино/02 Закрой за мной дверь.mp3",
                           "Кино/03 Кукушка.mp3",           "Queen/01 Bohemian Rhapsody.mp3",
                           "Queen/02 Somebody to Love.mp3", "Аквариум/Город золотой.mp3",
                           "Аквариум/Поезд в огне.mp3"};
    QByteArray list = "#EXTM3U\r\n";
    int n = 0;
    for (const char* s : songs) {
        writeBytes(music + "/" + QString::fromUtf8(s), song(900 + 350 * n, char('a' + n)));
        list += QByteArray(s).replace('/', '\\') + "\r\n";
        if (++n == 4) {
            list += "Кино\\04 Пачка сигарет.mp3\r\n"; // deleted since the list was made
        }
    }
    writeBytes(music + "/Сборник.m3u", list);
    // Already on the player, from an earlier copy.
    writeBytes(player + "/Кино/03 Кукушка.mp3", song(700, 'z'),
               QDateTime(QDate(2019, 5, 12), QTime(18, 40, 5), QTimeZone::utc()));

    tw::i18n::StringTable strings;
    tw::app::MainWindow form(tw::job::ProgramPaths(program.toStdString()), strings);
    form.services().choosePlaylist = [music](QFileDialog&) {
        return std::optional<std::string>((music + "/Сборник.m3u").toStdString());
    };
    form.services().chooseFolder = [player](QWidget*, const std::string&, const std::string&) {
        return std::optional<std::string>(player.toStdString());
    };
    form.services().removableDrives = [player](QObject*) {
        return std::make_unique<PictureDrives>(player.toStdString());
    };
    form.show();
    pumpFor(300);

    Photographer photographer(form, strings, out, suffix);
    form.findChild<QPushButton*>("choosePlaylistButton")->click();
    form.findChild<QPushButton*>("chooseDestinationButton")->click();
    pumpFor(400);
    photographer.shoot(&form, "main-window");
    // The list of sticks opened beside Choose...: the screen, as the popup is a window of
    // its own.
    auto* sticks = form.findChild<QComboBox*>("driveList");
    sticks->showPopup();
    pumpFor(400);
    if (QScreen* screen = form.screen()) {
        QRect area = form.frameGeometry();
        if (QWidget* popup = sticks->view()->window())
            area = area.united(popup->frameGeometry());
        const QString path = out + "/sticks-" + suffix + ".png";
        if (screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(path))
            photographer.taken.insert("sticks");
    }
    sticks->hidePopup();
    pumpFor(200);
    form.findChild<QPushButton*>("startCopyButton")->click(); // the run, its dialogs and the report
    pumpFor(300);
    form.close();

    root.removeRecursively();
    bool all = true;
    for (const char* name : {"main-window",
#ifdef TW_HAVE_COPY_WINDOWS
                             "copy-window", "collision",
#endif
                             "report", "sticks", "removed"}) {
        if (photographer.taken.count(name) == 0) {
            std::fprintf(stderr, "%s (%s): no picture taken\n", name, qPrintable(language));
            all = false;
        }
    }
    return all;
}

// Under a window manager, the place saved at Exit must be the place the next start takes:
// five starts and exits from a saved place, which must not move. Prints what it measured.
bool placeSurvivesStarts() {
    QDir root(QDir::tempPath() + "/tunewagon-placement");
    root.removeRecursively();
    const QString program = root.path() + "/Tunewagon";
    if (!writeBytes(program + "/Settings.ini", "[Settings]\r\nTop=100\r\nLeft=120\r\n"))
        return false;
    bool same = true;
    tw::i18n::StringTable strings;
    for (int start = 1; start <= 5; ++start) {
        tw::app::MainWindow form(tw::job::ProgramPaths(program.toStdString()), strings);
        form.show();
        pumpFor(400);
        const QRect client = form.geometry();
        const QRect frame = form.frameGeometry();
        form.saveSettings();
        QFile ini(program + "/Settings.ini");
        ini.open(QIODevice::ReadOnly);
        const QByteArray saved = ini.readAll();
        std::printf("start %d: client %d,%d frame %d,%d\n", start, client.x(), client.y(),
                    frame.x(), frame.y());
        same = same && client.topLeft() == QPoint(120, 100) && saved.contains("Top=100\r\n") &&
               saved.contains("Left=120\r\n");
    }
    root.removeRecursively();
    if (!same)
        std::fprintf(stderr, "the main window moved from its saved place\n");
    return same;
}

} // namespace

int main(int argc, char** argv) {
    // The collision dialog shows the files' dates in local time: UTC, the same everywhere.
    qputenv("TZ", "UTC");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tunewagon-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(out);
    const bool ru = shootLanguage("Russian", "ru", out);
    const bool en = shootLanguage("English", "en", out);
    const bool placed = placeSurvivesStarts();
    return ru && en && placed ? 0 : 1;
}
