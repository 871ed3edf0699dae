#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QFrame;

namespace tw::update {

// The new-version window: version, release date, change notes and a link to the product
// page, read from the announcement file of the current language. Ok records that the user
// has seen it (CheckTrue); the other button leaves it to be shown at the next start.
class TForm6 : public QDialog {
    Q_OBJECT

public:
    // folder: the checker's folder (Freshpoll), where the announcement waits.
    explicit TForm6(std::string folder, QWidget* parent = nullptr);

    void FormCreate();
    void Label4Click();
    void Label4MouseMove();
    void FormMouseMove();
    void Button1Click();
    void Button2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void setLinkColour(const QColor& colour);

    std::string m_folder;
    QLabel* m_Label1 = nullptr;
    QLabel* m_LabeledEdit1Label = nullptr;
    QLineEdit* m_LabeledEdit1 = nullptr;
    QLabel* m_LabeledEdit2Label = nullptr;
    QLineEdit* m_LabeledEdit2 = nullptr;
    QLabel* m_Label2 = nullptr;
    QPlainTextEdit* m_Memo1 = nullptr;
    QLabel* m_Label3 = nullptr;
    QLabel* m_Label4 = nullptr;
    QFrame* m_Bevel1 = nullptr;
    QPushButton* m_Button2 = nullptr;
    QPushButton* m_Button1 = nullptr;
};

} // namespace tw::update
