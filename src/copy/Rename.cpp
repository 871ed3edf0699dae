#include "copy/Rename.h"

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

TForm4::TForm4(const std::string& currentName, platform::Path targetFolder, QWidget* parent,
               platform::NameRules names)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_targetFolder(std::move(targetFolder))
    , m_names(names) {
    setObjectName("Form4");
    setModal(true);
    m_Label1 = ui::label("Label1", this);
    m_Label2 = ui::label("Label2", this);
    m_Label2->setTextFormat(Qt::PlainText);
    m_Edit1 = ui::named<QLineEdit>("Edit1", this);
    m_Button1 = ui::button("Button1", this);
    m_Button1->setText("Ок");
    m_Button1->setDefault(true);
    m_Button2 = ui::button("Button2", this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_Button1);
    buttons->addWidget(m_Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Label1);
    layout->addWidget(m_Label2);
    layout->addWidget(m_Edit1);
    layout->addLayout(buttons);

    connect(m_Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    connect(m_Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
    connect(m_Edit1, &QLineEdit::returnPressed, this, &TForm4::Button1Click);

    // A name longer than the dialog is shortened in its middle; the edit box holds it whole.
    m_Label2->setText(m_Label2->fontMetrics().elidedText(q(currentName), Qt::ElideMiddle,
                                                         designedSize.width() - 24));
    m_Edit1->setText(q(currentName));
    FormCreate();
    setFixedSize(sizeHint().expandedTo(designedSize));
}

std::string TForm4::typedName() const {
    return m_Edit1->text().toStdString();
}

void TForm4::FormCreate() {
    const auto& t = i18n::strings();
    setWindowTitle(q(t.StrRenameCaption));
    m_Label1->setText(q(t.StrEnterNewName));
    m_Button2->setText(q(t.StrCancel));
}

void TForm4::Button1Click() {
    guarded(codes::RenameButton1Click, [this] {
        const std::string name = typedName();
        if (typedNameAcceptable(m_targetFolder, name, m_names)) {
            accept();
            return;
        }
        const auto& t = i18n::strings();
        // A taken name says so; a name that is no file name (empty, ".", "..", a path)
        // only asks for another.
        const bool taken = isPlainFileName(name) && platform::fileExists(m_targetFolder / name);
        const std::string text =
            taken ? t.StrNameTaken + "\n" + t.StrEnterOtherName : t.StrEnterOtherName;
        ui::showMessage(ui::MessageKind::Refusal, text, t.StrWarningCaption, this);
    });
}

void TForm4::Button2Click() {
    guarded(codes::RenameButton2Click, [this] { reject(); });
}

void TForm4::done(int result) {
    if (!m_closed) {
        m_closed = true;
        FormClose();
    }
    QDialog::done(result);
}

void TForm4::FormClose() {
    guarded(codes::RenameFormClose, [] {});
}

} // namespace tw::copy
