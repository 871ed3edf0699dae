#include "app/MainWindowServices.h"

#include "about/About.h"
#include "app/PlainCopyWindow.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

namespace tw::app {

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
    s.showAbout = [](QWidget* mainWindow, const std::string& programFolder) {
        about::TFormAbout::showAbout(mainWindow, programFolder);
    };
    // The copy progress window plugs in here.
    s.copyWindow = [](QWidget* mainWindow) -> std::unique_ptr<CopyWindow> {
        return std::make_unique<PlainCopyWindow>(mainWindow);
    };
    return s;
}

} // namespace tw::app
