#pragma once

#include <QApplication>

namespace tw::app {

// The application object. A failure that no handler guards reaches notify, which shows its
// text in a message box; the program goes on.
class TunewagonApplication : public QApplication {
    Q_OBJECT

public:
    TunewagonApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The general exception display for the exception being handled; call only inside a
    // catch block.
    static void showCurrentException();
};

} // namespace tw::app
