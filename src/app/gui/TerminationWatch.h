#pragma once

#include <QObject>

class QSocketNotifier;

namespace tw::app {

class MainWindow;

// Turns SIGTERM and SIGHUP into the program's orderly end: the settings are saved as Exit
// saves them (unless "Close the program" in the error window asked to skip them), then the
// session ends (see ui::endSession): dialogs close as if cancelled, a copy stops as after a
// confirmed Cancel, and the application's loop returns 0.
class TerminationWatch : public QObject {
    Q_OBJECT

public:
    explicit TerminationWatch(MainWindow& mainWindow);

private:
    void signalled();

    MainWindow& m_mainWindow;
    int m_descriptor = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace tw::app
