#include "app/gui/MainWindowServices.h"

#include "about/gui/AboutDialog.h"
#include "copy/gui/CopyProgressDialog.h"
#include "platform/desktop/RemovableDriveWatch.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

namespace tw::app {

namespace {

// The copy progress window over the main window, running the job's copy.
class ProgressWindow : public CopyWindow {
public:
    ProgressWindow(const i18n::StringTable& strings, QWidget* mainWindow)
        : m_strings(strings)
        , m_mainWindow(mainWindow) {}

    copy::CopyRun::End execCopy(job::CopyJob& job) override {
        copy::CopyProgressDialog form(
            m_strings,
            [&job](copy::ProgressDisplay& display, copy::RunControl& control,
                   copy::RunQuestions& questions) { return job.run(display, control, questions); },
            job.flags(), m_mainWindow);
        return form.execRun();
    }

private:
    const i18n::StringTable& m_strings;
    QWidget* m_mainWindow;
};

} // namespace

MainWindowServices MainWindowServices::system() {
    MainWindowServices s;
    s.choosePlaylist = [](QFileDialog& dialog) -> std::optional<std::string> {
        if (!dialog.nameFilters().isEmpty())
            dialog.selectNameFilter(dialog.nameFilters().first());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first().toStdString();
    };
    s.chooseFolder = [](QWidget* parent, const std::string& title,
                        const std::string& initialFolder) -> std::optional<std::string> {
        const QString folder = QFileDialog::getExistingDirectory(
            parent, QString::fromStdString(title), QString::fromStdString(initialFolder),
            QFileDialog::ShowDirsOnly);
        if (folder.isEmpty())
            return std::nullopt;
        return folder.toStdString();
    };
    s.openPage = [](const std::string& path) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    };
    s.showAbout = [](const i18n::StringTable& strings, QWidget* mainWindow,
                     const std::string& programFolder) {
        about::AboutDialog::showAbout(strings, mainWindow, programFolder);
    };
    s.copyWindow = [](const i18n::StringTable& strings,
                      QWidget* mainWindow) -> std::unique_ptr<CopyWindow> {
        return std::make_unique<ProgressWindow>(strings, mainWindow);
    };
    s.removableDrives = [](QObject* parent) {
        return platform::RemovableDriveWatch::system(parent);
    };
    return s;
}

} // namespace tw::app
