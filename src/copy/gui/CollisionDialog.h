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

namespace tw::i18n {
struct StringTable;
}

namespace tw::copy {

// The collision dialog: a file with the target's name exists already. Shows both files
// (size, date, a button that opens the folder) and takes the answer: replace, skip, rename
// by hand or automatically, or stop the run. Only an answer or a confirmed stop closes it.
class CollisionDialog : public QDialog {
    Q_OBJECT

public:
    using OpenFolder = std::function<void(const std::string& folder)>;

    // openFolder: how a folder is opened (the desktop's file manager when empty).
    CollisionDialog(const i18n::StringTable& strings, const CollisionQuestion& question,
                    QWidget* parent, OpenFolder openFolder = {});

    // The answer once the dialog has closed.
    const CollisionAnswer& answer() const { return m_answer; }

    // Handlers.
    void applyTexts();
    void cleanUpOnClose();
    void replace();
    void openTargetFolder();
    void skip();
    void openRenameMenu();
    void cancelRun();
    void openSourceFolder();
    void renameByHand();
    void renameAutomatically();

    // "12 345 КБ"-style size text of a byte size: kilobytes (truncated) and StrKB.
    static std::string sizeText(std::int64_t bytes, const std::string& kb);
    // StrCreated and the last-write time in local time, " dd.mm.yy hh:nn:ss".
    static std::string dateText(const std::optional<std::int64_t>& lastWrite,
                                const std::string& created);

protected:
    void reject() override;
    void done(int result) override;

private:
    const i18n::StringTable& m_strings;
    void answerWith(CollisionAction action);

    CollisionQuestion m_question;
    OpenFolder m_openFolder;
    CollisionAnswer m_answer;
    bool m_closed = false;

    QLabel* m_existsLabel = nullptr;
    QLabel* m_replaceExistingLabel = nullptr;
    QLabel* m_targetSizeLabel = nullptr;
    QLabel* m_targetDateLabel = nullptr;
    QPushButton* m_openTargetFolderButton = nullptr;
    QLabel* m_withFileLabel = nullptr;
    QLabel* m_sourceSizeLabel = nullptr;
    QLabel* m_sourceDateLabel = nullptr;
    QPushButton* m_openSourceFolderButton = nullptr;
    QPushButton* m_replaceButton = nullptr;
    QPushButton* m_skipButton = nullptr;
    QPushButton* m_renameButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QCheckBox* m_sameActionBox = nullptr;
    QMenu* m_renameMenu = nullptr;
    QAction* m_renameByHandItem = nullptr;
    QAction* m_renameAutomaticallyItem = nullptr;
};

} // namespace tw::copy
