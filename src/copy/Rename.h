#pragma once

#include "platform/NameRules.h"
#include "platform/Path.h"

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tw::copy {

// The rename dialog: asks for a new name for a file whose name is taken in its folder. Ок
// takes only a plain file name under which no file exists there yet; anything else is
// refused with a message and the dialog stays open.
class TForm4 : public QDialog {
    Q_OBJECT

public:
    // names: what the target's device refuses, so that a typed name it would refuse is refused.
    TForm4(const std::string& currentName, platform::Path targetFolder, QWidget* parent,
           platform::NameRules names = {});

    // The name entered; valid when the dialog was accepted.
    std::string typedName() const;

    // Handlers.
    void FormCreate();
    void Button1Click();
    void Button2Click();
    void FormClose();

protected:
    void done(int result) override;

private:
    platform::Path m_targetFolder;
    platform::NameRules m_names;
    bool m_closed = false;

    QLabel* m_Label1 = nullptr;
    QLabel* m_Label2 = nullptr;
    QLineEdit* m_Edit1 = nullptr;
    QPushButton* m_Button1 = nullptr;
    QPushButton* m_Button2 = nullptr;
};

} // namespace tw::copy
