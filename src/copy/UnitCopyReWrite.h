#pragma once

#include "copy/CopyTypes.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;

namespace tw::copy {

// The collision dialog: a file with the target's name exists already. Shows both files
// (size, date, a button that opens the folder) and takes the answer: replace, skip, rename
// by hand or automatically, or stop the run. Only an answer or a confirmed stop closes it.
class TForm3 : public QDialog {
    Q_OBJECT

public:
    using OpenFolder = std::function<void(const std::string& folder)>;

    // openFolder: how a folder is opened (the desktop's file manager when empty).
    TForm3(const CollisionQuestion& question, QWidget* parent, OpenFolder openFolder = {});

    // The answer once the dialog has closed.
    const CollisionAnswer& answer() const { return m_answer; }

    // Handlers.
    void FormCreate();
    void FormClose();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void N1Click();
    void N2Click();

    // "12 345 КБ"-style size text of a byte size: kilobytes (truncated) and StrKB.
    static std::string sizeText(std::int64_t bytes, const std::string& kb);
    // StrCreated and the last-write time in local time, " dd.mm.yy hh:nn:ss".
    static std::string dateText(const std::optional<std::int64_t>& lastWrite,
                                const std::string& created);

protected:
    void reject() override;
    void done(int result) override;

private:
    void answerWith(CollisionAction action);

    CollisionQuestion m_question;
    OpenFolder m_openFolder;
    CollisionAnswer m_answer;
    bool m_closed = false;

    QLabel* m_Label4 = nullptr;
    QLabel* m_Label2 = nullptr;
    QLabel* m_Label5 = nullptr;
    QLabel* m_Label1 = nullptr;
    QPushButton* m_Button2 = nullptr;
    QLabel* m_Label3 = nullptr;
    QLabel* m_Label7 = nullptr;
    QLabel* m_Label6 = nullptr;
    QPushButton* m_Button6 = nullptr;
    QPushButton* m_Button1 = nullptr;
    QPushButton* m_Button3 = nullptr;
    QPushButton* m_Button4 = nullptr;
    QPushButton* m_Button5 = nullptr;
    QCheckBox* m_CheckBox1 = nullptr;
    QMenu* m_PopupMenu1 = nullptr;
    QAction* m_N1 = nullptr;
    QAction* m_N2 = nullptr;
};

} // namespace tw::copy
