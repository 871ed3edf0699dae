#include "app/gui/TunewagonApplication.h"

#include "errors/Guard.h"
#include "errors/ProgramIdentity.h"
#include "ui/MessageBoxes.h"

#include <QSettings>

#include <exception>
#include <string>

namespace tw::app {

TunewagonApplication::TunewagonApplication(int& argc, char** argv)
    : QApplication(argc, argv) {
    setApplicationName(QString::fromUtf8(ProgramName.data(), ProgramName.size()));
}

bool TunewagonApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showCurrentException();
    }
    return false;
}

void TunewagonApplication::keepUserSettingsIn(const QString& folder) {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

void TunewagonApplication::showCurrentException() {
    std::string text;
    try {
        throw;
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
    }
    if (text.empty())
        text = errors::currentExceptionTypeName();
    ui::showMessage(ui::MessageKind::Refusal, text, std::string(ProgramName));
}

} // namespace tw::app
