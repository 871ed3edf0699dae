#include "errors/ErrorWindowPresenter.h"

#include "errors/ErrorForm.h"

#include <QApplication>

namespace tw::errors {

void ErrorWindowPresenter::showError(const std::string& code) {
    TForm5 window(m_owner.data());
    window.setErrorCode(code);
    QApplication::beep();
    window.exec();
}

} // namespace tw::errors
