// tunewagon-copy --eject, run as a child process against a stand-in disk service on a bus of
// the test's own (given to it as its system bus).

#include "i18n/StringTable.h"

#include "support/PrivateBus.h"
#include "support/StandInUDisks.h"
#include "support/TempFolder.h"

#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <filesystem>

using tw::test::PrivateBus;
using tw::test::StandInUDisks;
using tw::test::TempFolder;

class EjectTest : public QObject {
    Q_OBJECT

    struct Run {
        int status = -1;
        QString out, err;
    };

    // Runs the program while this process's event loop keeps the stand-in answering.
    static Run copyAndEject(const PrivateBus& bus, const QStringList& arguments) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SYSTEM_BUS_ADDRESS", bus.address());
        program.setProcessEnvironment(environment);
        QSignalSpy finished(&program, &QProcess::finished);
        program.start(TW_COPY_PROGRAM, arguments);
        Run run;
        if (!program.waitForStarted(5000) || !finished.wait(30000))
            return run;
        run.status = program.exitCode();
        run.out = QString::fromUtf8(program.readAllStandardOutput());
        run.err = QString::fromUtf8(program.readAllStandardError());
        return run;
    }

private slots:
    // After the copy the drive is unmounted and switched off through the service, and the
    // report says it may be pulled out; a busy drive is left alone, said to be busy, and
    // the exit status tells that not all was done; a destination on no removable drive
    // asks the service for nothing.
    void ejectTakesTheDriveOutAfterTheRunAndTellsABusyOne() {
        TempFolder temp;
        PrivateBus bus(temp.path());
        if (!bus.running())
            QSKIP("dbus-daemon cannot run here");
        StandInUDisks service(bus.connect("service"));
        QVERIFY(service.registered());
        const std::string stick = temp / "media/STICK";
        std::filesystem::create_directories(stick);
        service.plug("sdb", "STICK", QString::fromStdString(stick), 1ULL << 30);
        tw::test::writeFile(temp / "music/a.mp3", "song");
        tw::test::writeFile(temp / "music/list.m3u", "a.mp3\n");
        const tw::i18n::StringTable builtIn;
        const QString playlist = QString::fromStdString(temp / "music/list.m3u");

        service.busy = true;
        Run run = copyAndEject(bus, {"--eject", "--quiet", "--language=Russian", playlist,
                                     QString::fromStdString(stick)});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QString::fromStdString(builtIn.StrDriveBusy)),
                 qPrintable(run.err));
        QVERIFY(std::filesystem::exists(stick + "/a.mp3"));
        QCOMPARE(service.calls,
                 QStringList({"Unmount /org/freedesktop/UDisks2/block_devices/sdb1"}));

        service.busy = false;
        service.calls.clear();
        run = copyAndEject(bus, {"--eject", "--quiet", "--on-collision=replace",
                                 "--language=Russian", playlist, QString::fromStdString(stick)});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.contains(QString::fromStdString(builtIn.StrDriveRemoved + " " + stick)),
                 qPrintable(run.out + run.err));
        QCOMPARE(service.calls, QStringList({"Unmount /org/freedesktop/UDisks2/block_devices/sdb1",
                                             "PowerOff /org/freedesktop/UDisks2/drives/sdb"}));

        service.calls.clear();
        std::filesystem::create_directories(temp / "disk");
        run = copyAndEject(bus, {"--eject", "--quiet", "--language=Russian", playlist,
                                 QString::fromStdString(temp / "disk")});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains("not on a removable drive"));
        QVERIFY(service.calls.isEmpty());
    }
};

QTEST_GUILESS_MAIN(EjectTest)
#include "EjectTest.moc"
