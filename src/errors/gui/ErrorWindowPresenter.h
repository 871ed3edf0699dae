#pragma once

#include "errors/ErrorReporter.h"

#include <QPointer>
#include <QWidget>

namespace tw::i18n {
struct StringTable;
}

namespace tw::errors {

// Shows the error window modally over the main window, after the error beep.
class ErrorWindowPresenter : public ErrorPresenter {
public:
    // strings: the texts the error window shows, living as long as this presenter.
    explicit ErrorWindowPresenter(const i18n::StringTable& strings)
        : m_strings(strings) {}

    // The window the error window is centred on (the main window once it exists).
    void setOwner(QWidget* owner) { m_owner = owner; }

    void showError(const std::string& code) override;

private:
    const i18n::StringTable& m_strings;
    QPointer<QWidget> m_owner;
};

} // namespace tw::errors
