#pragma once

#include <QDialog>

#include <string>

namespace tw::platform {
class MailHandOver;
}

class QFrame;
class QLabel;
class QPushButton;

namespace tw::i18n {
struct StringTable;
}

namespace tw::errors {

// The error window: apologises, shows the error code and lets the user ignore the error,
// close the program or mail the debug log to the author. It is open from its creation until
// it closes; the error reporter stays silent meanwhile.
class ErrorDialog : public QDialog {
    Q_OBJECT

public:
    explicit ErrorDialog(const i18n::StringTable& strings, QWidget* parent = nullptr);
    ~ErrorDialog() override;

    // The code label: the internal-code caption, a blank and the code.
    void setErrorCode(const std::string& code);

    void ignore();       // ignore
    void closeProgram(); // close the program
    void mailLog();      // mail the debug log to the author

    // The way reports reach the mail client; nullptr: the desktop's mail client.
    static void setMailHandOver(platform::MailHandOver* mail);

    // Modal until the window is done: hiding it while the mail client has the report does
    // not end the display.
    int exec() override;
    void done(int result) override;

private:
    const i18n::StringTable& m_strings;
    void applyTexts();
    void cleanUpOnClose();

    QFrame* m_headerPanel = nullptr;
    QLabel* m_icon = nullptr;
    QLabel* m_headlineLabel = nullptr;
    QFrame* m_codePanel = nullptr;
    QLabel* m_codeLabel = nullptr;
    QPushButton* m_mailButton = nullptr;
    QFrame* m_messagePanel = nullptr;
    QLabel* m_apologyLabel = nullptr;
    QLabel* m_reinstallLabel = nullptr;
    QLabel* m_chooseLabel = nullptr;
    QFrame* m_separator = nullptr;
    QPushButton* m_ignoreButton = nullptr;
    QPushButton* m_closeProgramButton = nullptr;
    bool m_open = false;
};

} // namespace tw::errors
