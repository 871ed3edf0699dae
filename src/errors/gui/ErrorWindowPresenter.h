#pragma once

#include "errors/ErrorReporter.h"

#include <QPointer>
#include <QWidget>

namespace tw::errors {

// Shows the error window modally over the main window, after the error beep.
class ErrorWindowPresenter : public ErrorPresenter {
public:
    // The window the error window is centred on (the main window once it exists).
    void setOwner(QWidget* owner) { m_owner = owner; }

    void showError(const std::string& code) override;

private:
    QPointer<QWidget> m_owner;
};

} // namespace tw::errors
