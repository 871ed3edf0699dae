#include "copy/gui/RenameDialog.h"

#include "copy/Renaming.h"
#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "i18n/StringTable.h"
#include "platform/FileSystem.h"
#include "ui/MessageBoxes.h"
#include "ui/WindowParts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace tw::copy {

namespace codes = errors::codes;
using errors::guarded;
using ui::q;

namespace {

const QSize designedSize(404, 92);

} // namespace

RenameDialog::RenameDialog(const i18n::StringTable& strings, const std::string& currentName,
                           platform::Path targetFolder, QWidget* parent, platform::NameRules names)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_strings(strings)
    , m_targetFolder(std::move(targetFolder))
    , m_names(names) {
    setObjectName("renameDialog");
    setModal(true);
    m_promptLabel = ui::label("promptLabel", this);
    m_currentNameLabel = ui::label("currentNameLabel", this);
    m_currentNameLabel->setTextFormat(Qt::PlainText);
    m_nameField = ui::named<QLineEdit>("nameField", this);
    m_okButton = ui::button("okButton", this);
    m_okButton->setText("Ок");
    m_okButton->setDefault(true);
    m_cancelButton = ui::button("cancelButton", this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_promptLabel);
    layout->addWidget(m_currentNameLabel);
    layout->addWidget(m_nameField);
    layout->addLayout(buttons);

    connect(m_okButton, &QPushButton::clicked, this, &RenameDialog::acceptName);
    connect(m_cancelButton, &QPushButton::clicked, this, &RenameDialog::cancelRename);
    connect(m_nameField, &QLineEdit::returnPressed, this, &RenameDialog::acceptName);

    // A name longer than the dialog is shortened in its middle; the edit box holds it whole.
    m_currentNameLabel->setText(m_currentNameLabel->fontMetrics().elidedText(
        q(currentName), Qt::ElideMiddle, designedSize.width() - 24));
    m_nameField->setText(q(currentName));
    applyTexts();
    setFixedSize(sizeHint().expandedTo(designedSize));
}

std::string RenameDialog::typedName() const {
    return m_nameField->text().toStdString();
}

void RenameDialog::applyTexts() {
    const auto& t = m_strings;
    setWindowTitle(q(t.StrRenameCaption));
    m_promptLabel->setText(q(t.StrEnterNewName));
    m_cancelButton->setText(q(t.StrCancel));
}

void RenameDialog::acceptName() {
    guarded(codes::RenameAcceptName, [this] {
        const std::string name = typedName();
        if (typedNameAcceptable(m_targetFolder, name, m_names)) {
            accept();
            return;
        }
        const auto& t = m_strings;
        // A taken name says so; a name that is no file name (empty, ".", "..", a path)
        // only asks for another.
        const bool taken = isPlainFileName(name) && platform::fileExists(m_targetFolder / name);
        const std::string text =
            taken ? t.StrNameTaken + "\n" + t.StrEnterOtherName : t.StrEnterOtherName;
        ui::showMessage(ui::MessageKind::Refusal, text, t.StrWarningCaption, this);
    });
}

void RenameDialog::cancelRename() {
    guarded(codes::RenameCancel, [this] { reject(); });
}

void RenameDialog::done(int result) {
    if (!m_closed) {
        m_closed = true;
        cleanUpOnClose();
    }
    QDialog::done(result);
}

void RenameDialog::cleanUpOnClose() {
    guarded(codes::RenameCleanUpOnClose, [] {});
}

} // namespace tw::copy
