// Pictures of the copy windows for a look by eye (run by hand under Xvfb):
//
//   xvfb-run -s '-screen 0 1280x800x24' tw_copywindow_shots OUTFOLDER [LANGUAGE]
//
// Writes copy-running, copy-paused, collision, rename and rename-refused PNGs, in Russian
// or in the named language (loaded from the program folder as the program does).

#include "copy/gui/CollisionDialog.h"
#include "copy/gui/CopyProgressDialog.h"
#include "copy/gui/RenameDialog.h"
#include "i18n/LanguageFile.h"
#include "i18n/StringTable.h"
#include "job/CopyJob.h"
#include "platform/ChunkedCopy.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using tw::platform::Path;

QString g_out, g_suffix;

void shoot(const QString& name) {
    QApplication::processEvents();
    QScreen* screen = QGuiApplication::primaryScreen();
    screen->grabWindow(0).copy(0, 0, 900, 560).save(g_out + "/" + name + g_suffix + ".png");
}

void writeData(const QString& path, qint64 bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QByteArray block(1 << 20, 'x');
    for (qint64 left = bytes; left > 0; left -= block.size())
        file.write(block.constData(), std::min<qint64>(left, block.size()));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tw::i18n::StringTable strings;
    if (argc < 2)
        return 2;
    g_out = argv[1];
    QDir().mkpath(g_out);
    if (argc > 2) {
        tw::i18n::loadLanguageFile(strings, TW_PROGRAM_DIR, argv[2]);
        g_suffix = QString("-") + argv[2];
    }
    const QString work = QDir::tempPath() + "/tw-copywindow-shots";
    QDir(work).removeRecursively();
    QDir().mkpath(work + "/Музыка/Альбом");
    QDir().mkpath(work + "/Выход");
    writeData(work + "/Музыка/Альбом/Большой концерт (живая запись).mp3", 96ll << 20);
    QFile list(work + "/Музыка/list.m3u");
    list.open(QIODevice::WriteOnly);
    list.write("Альбом/Большой концерт (живая запись).mp3\r\n");
    list.close();

    // The copy window while a large file goes at a stick's pace, then paused.
    tw::platform::ChunkedCopy::setWritePacer([](std::uint64_t bytes) {
        std::this_thread::sleep_for(std::chrono::microseconds(bytes / 30));
    });
    {
        tw::job::CopyJob job(strings);
        job.options().keepStructure = false;
        job.chooseDestination(Path((work + "/Выход").toStdString()));
        job.scanPlaylist(Path((work + "/Музыка/list.m3u").toStdString()));
        tw::copy::CopyProgressDialog form(
            strings,
            [&job](tw::copy::ProgressDisplay& d, tw::copy::RunControl& c,
                   tw::copy::RunQuestions& q) { return job.run(d, c, q); },
            job.flags(), nullptr);
        form.move(60, 60);
        QTimer::singleShot(1500, [] { shoot("copy-running"); });
        QTimer::singleShot(1600, [&form] { form.findChild<QPushButton*>("pauseButton")->click(); });
        QTimer::singleShot(1700, [] { shoot("copy-paused"); });
        QTimer::singleShot(1800, [&form] { form.findChild<QPushButton*>("pauseButton")->click(); });
        form.execRun();
    }
    tw::platform::ChunkedCopy::setWritePacer({});

    // The collision dialog over both files, then the rename dialog and its refusal.
    const Path target((work + "/Выход/Большой концерт (живая запись).mp3").toStdString());
    const Path source((work + "/Музыка/Альбом/Большой концерт (живая запись).mp3").toStdString());
    tw::copy::CollisionQuestion question;
    question.target = {target, tw::platform::fileSize(target), 1164036618};
    question.source = {source, tw::platform::fileSize(source) + 2049, 1700000000};
    tw::copy::CollisionDialog collision(strings, question, nullptr, [](const std::string&) {});
    collision.move(60, 60);
    collision.show();
    shoot("collision");
    collision.hide();

    tw::copy::RenameDialog rename(strings, target.fileName(), target.folder(), nullptr);
    rename.move(60, 60);
    rename.show();
    shoot("rename");
    QTimer::singleShot(300, [] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            box->move(160, 140);
            QTimer::singleShot(200, [box] {
                shoot("rename-refused");
                box->close();
            });
        }
    });
    rename.findChild<QPushButton*>("okButton")->click();
    QDir(work).removeRecursively();
    return 0;
}
