#pragma once

#include "platform/NameRules.h"
#include "platform/Path.h"

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tw::i18n {
struct StringTable;
}

namespace tw::copy {

// The rename dialog: asks for a new name for a file whose name is taken in its folder. Ок
// takes only a plain file name that the device takes and under which no file exists there
// yet; anything else is refused with a message that names the rule broken, and the dialog
// stays open.
class RenameDialog : public QDialog {
    Q_OBJECT

public:
    // names: what the target's device refuses, so that a typed name it would refuse is refused.
    RenameDialog(const i18n::StringTable& strings, const std::string& currentName,
                 platform::Path targetFolder, QWidget* parent, platform::NameRules names = {});

    // The name entered; valid when the dialog was accepted.
    std::string typedName() const;

    // Handlers.
    void applyTexts();
    void acceptName();
    void cancelRename();
    void cleanUpOnClose();

protected:
    void done(int result) override;

private:
    const i18n::StringTable& m_strings;
    platform::Path m_targetFolder;
    platform::NameRules m_names;
    bool m_closed = false;

    QLabel* m_promptLabel = nullptr;
    QLabel* m_currentNameLabel = nullptr;
    QLineEdit* m_nameField = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};

} // namespace tw::copy
