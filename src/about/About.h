#pragma once

#include <QDialog>

#include <string>

class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;

namespace tw::about {

class BannerBrowser;

// The About window: what the program is for, its version, a banner page, and links to the
// product's site and to the author. Its texts come from the string table when it is
// created, so each new window shows the current language.
class TFormAbout : public QDialog {
    Q_OBJECT

public:
    // programFolder: where Source/Temp.mht is found; empty: the running program's folder.
    explicit TFormAbout(QWidget* parent = nullptr, std::string programFolder = {});

    // Creates a new window, shows it modally over the parent and frees it when it closes.
    static void showAbout(QWidget* parent, const std::string& programFolder = {});

    void ButtonOkClick();
    void LabelHTTPClick();
    void LabelEMailClick();
    void LabelHTTPMouseMove();
    void LabelEMailMouseMove();
    void FormMouseMove();
    void Panel4MouseMove();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void FormCreate();
    void setLinkColour(QLabel* link, const QColor& colour);

    std::string m_programFolder;
    QFrame* m_Panel2 = nullptr;
    BannerBrowser* m_banner = nullptr;
    QFrame* m_Panel5 = nullptr;
    QTextEdit* m_Memo4 = nullptr;
    QTextEdit* m_Memo5 = nullptr;
    QTextEdit* m_Memo6 = nullptr;
    QFrame* m_Panel4 = nullptr;
    QLabel* m_Label4 = nullptr;
    QLabel* m_Label2 = nullptr;
    QLabel* m_Label5 = nullptr;
    QLabel* m_Label6 = nullptr;
    QPushButton* m_Button1 = nullptr;
    QFrame* m_Panel3 = nullptr;
    QLabel* m_credit = nullptr;
};

} // namespace tw::about
