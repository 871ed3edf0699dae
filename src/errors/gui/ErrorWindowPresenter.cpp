#include "errors/gui/ErrorWindowPresenter.h"

#include "errors/gui/ErrorDialog.h"

#include <QApplication>

namespace tw::errors {

void ErrorWindowPresenter::showError(const std::string& code) {
    ErrorDialog window(m_strings, m_owner.data());
    window.setErrorCode(code);
    QApplication::beep();
    window.exec();
}

} // namespace tw::errors
