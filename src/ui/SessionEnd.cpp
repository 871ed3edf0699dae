#include "ui/SessionEnd.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>

namespace tw::ui {

namespace {

bool g_ending = false;

} // namespace

void endSession() {
    if (g_ending)
        return;
    g_ending = true;
    while (QWidget* popup = QApplication::activePopupWidget()) {
        if (!popup->close())
            break;
    }
    // A dialog hidden leaves its loop; its caller reads the end here and answers as a
    // cancel would.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog != nullptr && dialog->isVisible())
            dialog->hide();
    }
    // Every loop running now returns, and one started later returns at once.
    QCoreApplication::exit(0);
}

bool sessionEnding() {
    return g_ending;
}

void resetSessionEnd() {
    g_ending = false;
}

} // namespace tw::ui
