#pragma once

#include <QApplication>
#include <QString>

namespace tw::app {

// The application object. A failure that no handler guards reaches notify, which shows its
// text in a message box; the program goes on.
class TunewagonApplication : public QApplication {
    Q_OBJECT

public:
    TunewagonApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Points Qt's per-user settings (QSettings, user scope: the file dialogs' history in
    // QtProject.conf) at the folder, so nothing is written below the home folder.
    static void keepUserSettingsIn(const QString& folder);

    // The general exception display for the exception being handled; call only inside a
    // catch block.
    static void showCurrentException();
};

} // namespace tw::app
