#pragma once

#include <QDialog>

#include <string>

namespace tw::platform {
class MailHandOver;
}

class QFrame;
class QLabel;
class QPushButton;

namespace tw::errors {

// The error window: apologises, shows the error code and lets the user ignore the error,
// close the program or mail the debug log to the author. It is open from its creation until
// it closes; the error reporter stays silent meanwhile.
class TForm5 : public QDialog {
    Q_OBJECT

public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

    // The code label: the internal-code caption, a blank and the code.
    void setErrorCode(const std::string& code);

    void Button3Click(); // ignore
    void Button2Click(); // close the program
    void Button4Click(); // mail the debug log to the author

    // The way reports reach the mail client; nullptr: the desktop's mail client.
    static void setMailHandOver(platform::MailHandOver* mail);

    // Modal until the window is done: hiding it while the mail client has the report does
    // not end the display.
    int exec() override;
    void done(int result) override;

private:
    void FormCreate();
    void FormClose();

    QFrame* m_Panel3 = nullptr;
    QLabel* m_Image1 = nullptr;
    QLabel* m_Label1 = nullptr;
    QFrame* m_Panel2 = nullptr;
    QLabel* m_Label2 = nullptr;
    QPushButton* m_Button4 = nullptr;
    QFrame* m_Panel1 = nullptr;
    QLabel* m_Label6 = nullptr;
    QLabel* m_Label3 = nullptr;
    QLabel* m_Label5 = nullptr;
    QFrame* m_Bevel1 = nullptr;
    QPushButton* m_Button3 = nullptr;
    QPushButton* m_Button2 = nullptr;
    bool m_open = false;
};

} // namespace tw::errors
