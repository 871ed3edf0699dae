// A failure inside a handler of any window is caught by its guard and reaches the error
// reporter, and the debug log, under that handler's own code; the window goes on.

#include "app/gui/MainWindow.h"
#include "copy/CopyTypes.h"
#include "copy/gui/CollisionDialog.h"
#include "copy/gui/CopyProgressDialog.h"
#include "copy/gui/RenameDialog.h"
#include "errors/ErrorReporter.h"
#include "i18n/StringTable.h"
#include "job/ProgramPaths.h"
#include "platform/FaultInjection.h"
#include "playlist/gui/ScanProgressDialog.h"
#include "ui/MessageBoxes.h"

#include "support/TempFolder.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <cerrno>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using tw::test::TempFolder;

namespace {

class RecordingPresenter : public tw::errors::ErrorPresenter {
public:
    void showError(const std::string& code) override { shown.push_back(code); }
    std::vector<std::string> shown;
};

} // namespace

class GuardedHandlersTest : public QObject {
    Q_OBJECT

    // The texts the windows under test show, fresh for each test.
    tw::i18n::StringTable m_strings;

    std::unique_ptr<TempFolder> m_folder;
    RecordingPresenter m_presenter;

    // The "Adress" (code) and "Type" lines of every record in the debug log, in order.
    QStringList loggedCodesAndTypes() const {
        QStringList lines;
        const QString log =
            QString::fromStdString(tw::test::readFile(*m_folder / "ErrorLog/Debug.Log"));
        for (const QString& line : log.split("\r\n")) {
            if (line.startsWith("Adress = ") || line.startsWith("Type = "))
                lines << line;
        }
        return lines;
    }

    // The presenter was shown exactly this code, and the log holds one record of it.
    void expectOneReport(const char* code, const char* type) {
        QCOMPARE(m_presenter.shown, std::vector<std::string>{code});
        QCOMPARE(loggedCodesAndTypes(),
                 QStringList({QString("Adress = ") + code, QString("Type = ") + type}));
    }

private slots:
    void init() {
        m_strings = tw::i18n::StringTable{};
        m_folder = std::make_unique<TempFolder>();
        m_presenter.shown.clear();
        auto& reporter = tw::errors::ErrorReporter::instance();
        reporter.setProgramFolder(m_folder->path());
        reporter.setPresenter(&m_presenter);
        reporter.setWindowOpen(false);
    }
    void cleanup() {
        tw::platform::clearFileFaults();
        tw::ui::setBeep({});
        tw::errors::ErrorReporter::instance().reset();
        m_folder.reset();
    }

    void mainWindowSettingsThatCannotBeSavedAreReportedUnderTheSaveCode() {
        tw::test::writeFile(*m_folder / "Settings.ini", "[Settings]\nFreshpoll=0\n");
        tw::app::MainWindow form(tw::job::ProgramPaths(m_folder->path()), m_strings);
        form.show();
        tw::platform::injectFileFault(tw::platform::FileOperation::Open, *m_folder / "Settings.ini",
                                      EIO, 100);
        form.close();
        tw::platform::clearFileFaults();
        expectOneReport("2.001 - 014.0", "tw::platform::FileError");
    }

    void copyRunThatThrowsIsReportedUnderTheRunCodeAndTheMainWindowComesBack() {
        QWidget main;
        main.show();
        tw::copy::RunFlags flags;
        tw::copy::CopyProgressDialog form(
            m_strings,
            [](tw::copy::ProgressDisplay&, tw::copy::RunControl&, tw::copy::RunQuestions&)
                -> tw::copy::CopyRun::End { throw std::logic_error("run broke"); },
            flags, &main);
        QCOMPARE(form.execRun(), tw::copy::CopyRun::End::Failed);
        expectOneReport("2.002 - 008.0", "std::logic_error");
        QVERIFY(!form.isVisible());
        QVERIFY(main.isVisible());
    }

    void collisionFolderThatCannotBeOpenedIsReportedAndTheDialogStaysOpen() {
        tw::copy::CollisionQuestion question;
        question.target.path = tw::platform::Path(*m_folder / "a.mp3");
        question.source.path = tw::platform::Path("/home/u/Rock/a.mp3");
        tw::copy::CollisionDialog dialog(m_strings, question, nullptr, [](const std::string&) {
            throw std::runtime_error("no file manager");
        });
        dialog.show();
        dialog.findChild<QPushButton*>("openTargetFolderButton")->click();
        expectOneReport("2.003 - 009.0", "std::runtime_error");
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
    }

    // The scan turns failures of its own kind into a result; anything else reaches the guard.
    void scanThatThrowsSomethingUnexpectedIsReportedUnderTheScanCode() {
        tw::test::writeFile(*m_folder / "list.m3u", "a.mp3\n");
        tw::playlist::ScanProgressDialog dialog(
            m_strings, *m_folder / "list.m3u",
            [](const std::function<bool(std::uint64_t)>&) -> tw::playlist::ScanResult {
                throw 42;
            });
        dialog.show();
        QTRY_COMPARE(m_presenter.shown.size(), std::size_t{1});
        expectOneReport("2.004 - 003.0", "int");
        dialog.close();
    }

    // The refusal of an empty name beeps first; a beep that fails is reported, and the
    // dialog does not take the name.
    void renameRefusalThatFailsIsReportedUnderTheAcceptCode() {
        tw::ui::setBeep([] { throw std::runtime_error("no speaker"); });
        tw::copy::RenameDialog dialog(m_strings, "a.mp3", tw::platform::Path(m_folder->path()),
                                      nullptr);
        dialog.show();
        dialog.findChild<QLineEdit*>("nameField")->clear();
        dialog.findChild<QPushButton*>("okButton")->click();
        expectOneReport("2.005 - 001.0", "std::runtime_error");
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), 0);
    }
};

QTEST_MAIN(GuardedHandlersTest)
#include "GuardedHandlersTest.moc"
