#include "app/gui/MainWindow.h"
#include "i18n/StringTable.h"
#include "platform/desktop/UDisksDrives.h"

#include "support/MessageBoxAnswerer.h"
#include "support/PrivateBus.h"
#include "support/StandInUDisks.h"
#include "support/TempFolder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <filesystem>
#include <memory>

using tw::app::MainWindow;
using tw::test::MessageBoxAnswerer;
using tw::test::PrivateBus;
using tw::test::StandInUDisks;
using tw::test::TempFolder;

namespace {

// Stands in for the copy progress window: the run ends at once, as after copying nothing.
class FinishedCopyWindow : public tw::app::CopyWindow {
public:
    tw::copy::CopyRun::End execCopy(tw::job::CopyJob&) override {
        return tw::copy::CopyRun::End::Completed;
    }
};

QStringList items(QComboBox* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    return texts;
}

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

class StickListTest : public QObject {
    Q_OBJECT

    tw::i18n::StringTable m_strings;

    struct Desk {
        TempFolder temp;
        std::unique_ptr<PrivateBus> bus;
        std::unique_ptr<StandInUDisks> service;
        std::unique_ptr<MainWindow> form;
        std::string stick; // the stand-in stick's mount point: a real folder
    };

    // The main window with the stand-in disk service on a private bus, one stick plugged.
    bool open(Desk& desk) {
        m_strings = tw::i18n::StringTable{};
        desk.bus = std::make_unique<PrivateBus>(desk.temp.path());
        if (!desk.bus->running())
            return false;
        desk.service = std::make_unique<StandInUDisks>(desk.bus->connect("service"));
        desk.stick = desk.temp / "media/MUSIC STICK";
        std::filesystem::create_directories(desk.stick);
        std::filesystem::create_directories(desk.temp / "program");
        desk.service->plug("sdb", "MUSIC STICK", q(desk.stick), 16'000'000'000ULL);
        desk.form =
            std::make_unique<MainWindow>(tw::job::ProgramPaths(desk.temp / "program"), m_strings);
        PrivateBus* bus = desk.bus.get();
        desk.form->services().removableDrives = [bus](QObject* parent) {
            return std::make_unique<tw::platform::UDisksDrives>(
                bus->connect("program"), tw::platform::UDisksDrives::Service, parent, 3000, 3000);
        };
        desk.form->services().copyWindow = [](const tw::i18n::StringTable&, QWidget*) {
            return std::make_unique<FinishedCopyWindow>();
        };
        desk.form->show();
        return desk.service->registered();
    }

private slots:
    // The stick is offered beside Choose... with its label, free space, size and mount point;
    // taking it makes it the destination; a stick plugged in later joins the list.
    void stickListShowsTheStandInDriveAndChoosesIt() {
        Desk desk;
        if (!open(desk))
            QSKIP("dbus-daemon cannot run here");
        auto* list = desk.form->findChild<QComboBox*>("driveList");
        QVERIFY(list->isEnabled());
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->itemText(0), QString("Съёмные диски..."));
        QVERIFY2(list->itemText(1).startsWith("MUSIC STICK  "), qPrintable(list->itemText(1)));
        QVERIFY(list->itemText(1).contains(" / 15 258 МБ  "));
        QVERIFY(list->itemText(1).endsWith(q(desk.stick)));

        MessageBoxAnswerer user;
        list->activated(1);
        QCOMPARE(desk.form->findChild<QLineEdit*>("destinationField")->text(), q(desk.stick));
        QCOMPARE(list->currentIndex(), 0);
        QVERIFY(user.seen().empty());

        std::filesystem::create_directories(desk.temp / "media/CARD");
        desk.service->plug("sdc", "CARD", q(desk.temp / "media/CARD"), 2'000'000'000ULL);
        QTRY_COMPARE(list->count(), 3);
        QVERIFY(items(list).filter("CARD").size() == 1);
        desk.service->pull("sdc");
        QTRY_COMPARE(list->count(), 2);
    }

    // After a copy onto the stick, the report offers Safely remove; pressing it unmounts and
    // switches off the drive through the service, and the outcome is shown: a busy drive
    // says it is busy, a removed one that it may be unplugged.
    void safelyRemoveFromTheReportCallsTheService() {
        Desk desk;
        if (!open(desk))
            QSKIP("dbus-daemon cannot run here");
        desk.form->services().chooseFolder = [&desk](QWidget*, const std::string&,
                                                     const std::string&) {
            return desk.stick + "/Music";
        };
        std::filesystem::create_directories(desk.stick + "/Music");

        const auto copyAndRemove = [&desk](bool pressRemove) {
            QStringList buttons;
            MessageBoxAnswerer user;
            user.onBox = [&](QMessageBox& box) {
                for (QAbstractButton* button : box.buttons())
                    buttons << button->text();
                if (auto* remove = box.findChild<QPushButton*>("actionButton");
                    remove != nullptr && pressRemove)
                    remove->click();
            };
            desk.form->findChild<QPushButton*>("chooseDestinationButton")->click();
            desk.form->startCopy();
            return std::pair{user.seen(), buttons};
        };

        desk.service->busy = true;
        auto [seen, buttons] = copyAndRemove(true);
        QCOMPARE(seen.size(), std::size_t(2));
        QCOMPARE(seen[0].caption, q(m_strings.StrReportCaption));
        QVERIFY(buttons.contains("Безопасно извлечь"));
        QCOMPARE(seen[1].icon, QMessageBox::Critical);
        QCOMPARE(seen[1].text, q(m_strings.StrDriveBusy + "\nMUSIC STICK (" + desk.stick + ")"));
        QCOMPARE(desk.service->calls,
                 QStringList({"Unmount /org/freedesktop/UDisks2/block_devices/sdb1"}));

        desk.service->busy = false;
        desk.service->calls.clear();
        std::tie(seen, buttons) = copyAndRemove(true);
        QCOMPARE(seen.size(), std::size_t(2));
        QCOMPARE(seen[1].icon, QMessageBox::Information);
        QVERIFY(seen[1].text.startsWith(q(m_strings.StrDriveRemoved)));
        QCOMPARE(desk.service->calls,
                 QStringList({"Unmount /org/freedesktop/UDisks2/block_devices/sdb1",
                              "PowerOff /org/freedesktop/UDisks2/drives/sdb"}));
        // Unmounted, it leaves the list.
        QCOMPARE(desk.form->findChild<QComboBox*>("driveList")->count(), 1);

        // Onto a folder on no removable drive the report has no such button.
        desk.form->services().chooseFolder =
            [&desk](QWidget*, const std::string&, const std::string&) { return desk.temp.path(); };
        desk.service->calls.clear();
        std::tie(seen, buttons) = copyAndRemove(true);
        QCOMPARE(seen.size(), std::size_t(1));
        QVERIFY(!buttons.contains("Безопасно извлечь"));
        QVERIFY(desk.service->calls.isEmpty());
    }
};

QTEST_MAIN(StickListTest)
#include "StickListTest.moc"
