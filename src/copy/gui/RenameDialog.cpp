#include "copy/gui/RenameDialog.h"

#include "copy/Renaming.h"
#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "i18n/StringTable.h"
#include "ui/FittedCaption.h"
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

    // Enter in the name field presses Ок as the default button; the field's own
    // returnPressed is not connected as well, or one Enter would answer twice.
    connect(m_okButton, &QPushButton::clicked, this, &RenameDialog::acceptName);
    connect(m_cancelButton, &QPushButton::clicked, this, &RenameDialog::cancelRename);

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
    // Texts from a language file are shortened rather than let the dialog pass the screen.
    ui::setFittedText(m_promptLabel, q(t.StrEnterNewName), ui::captionWidth(this, 0.8));
    ui::setFittedText(m_cancelButton, q(t.StrCancel), ui::captionWidth(this, 0.25));
}

void RenameDialog::acceptName() {
    guarded(codes::RenameAcceptName, [this] {
        const NameCheck check = checkTypedName(m_targetFolder, typedName(), m_names);
        if (check.refusal == NameRefusal::None) {
            accept();
            return;
        }
        const auto& t = m_strings;
        ui::showMessage(ui::MessageKind::Refusal, nameRefusalText(check, t), t.StrWarningCaption,
                        this);
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
