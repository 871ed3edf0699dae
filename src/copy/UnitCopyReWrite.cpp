#include "copy/UnitCopyReWrite.h"

#include "copy/Rename.h"
#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "i18n/StringTable.h"
#include "ui/MessageBoxes.h"
#include "ui/WindowParts.h"

#include <QAction>
#include <QCheckBox>
#include <QCursor>
#include <QDateTime>
#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace tw::copy {

namespace codes = errors::codes;
using errors::guarded;
using ui::q;

namespace {

const QSize designedSize(488, 192);

QLabel* rowLabel(const char* name, QWidget* parent) {
    QLabel* label = ui::label(name, parent);
    QFont font = label->font();
    font.setPointSize(10);
    label->setFont(font);
    return label;
}

void openWithDesktop(const std::string& folder) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(q(folder)));
}

} // namespace

std::string TForm3::sizeText(std::int64_t bytes, const std::string& kb) {
    return std::to_string(bytes / 1024) + " " + kb;
}

std::string TForm3::dateText(const std::optional<std::int64_t>& lastWrite,
                             const std::string& created) {
    if (!lastWrite)
        return created;
    const QDateTime local = QDateTime::fromSecsSinceEpoch(*lastWrite);
    return created + local.toString(" dd.MM.yy hh:mm:ss").toStdString();
}

TForm3::TForm3(const CollisionQuestion& question, QWidget* parent, OpenFolder openFolder)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
    , m_question(question)
    , m_openFolder(openFolder ? std::move(openFolder) : OpenFolder(openWithDesktop)) {
    setObjectName("Form3");
    setModal(true);

    m_Label4 = ui::label("Label4", this);
    m_Label4->setWordWrap(true);
    m_Label4->setTextFormat(Qt::PlainText);
    auto* panel = ui::skyBluePanel("Panel2", this);
    m_Label2 = ui::label("Label2", panel);
    m_Label5 = rowLabel("Label5", panel);
    m_Label1 = rowLabel("Label1", panel);
    m_Button2 = ui::button("Button2", panel);
    m_Label3 = ui::label("Label3", panel);
    m_Label7 = rowLabel("Label7", panel);
    m_Label6 = rowLabel("Label6", panel);
    m_Button6 = ui::button("Button6", panel);
    m_Button1 = ui::button("Button1", this);
    m_Button3 = ui::button("Button3", this);
    m_Button4 = ui::button("Button4", this);
    m_Button5 = ui::button("Button5", this);
    m_CheckBox1 = ui::named<QCheckBox>("CheckBox1", this);
    m_PopupMenu1 = ui::named<QMenu>("PopupMenu1", this);
    m_N1 = m_PopupMenu1->addAction(QString());
    m_N1->setObjectName("N1");
    m_N2 = m_PopupMenu1->addAction(QString());
    m_N2->setObjectName("N2");

    auto* rows = new QGridLayout(panel);
    rows->setContentsMargins(8, 4, 8, 4);
    rows->setHorizontalSpacing(16);
    rows->addWidget(m_Label2, 0, 0, 1, 3);
    rows->addWidget(m_Label5, 1, 0);
    rows->addWidget(m_Label1, 1, 1);
    rows->addWidget(m_Button2, 1, 2);
    rows->addWidget(m_Label3, 2, 0, 1, 3);
    rows->addWidget(m_Label7, 3, 0);
    rows->addWidget(m_Label6, 3, 1);
    rows->addWidget(m_Button6, 3, 2);
    rows->setColumnStretch(1, 1);

    auto* actions = new QHBoxLayout;
    actions->addWidget(m_Button1);
    actions->addWidget(m_Button3);
    actions->addWidget(m_Button4);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_CheckBox1, 1);
    bottom->addWidget(m_Button5);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_Label4);
    layout->addWidget(panel);
    layout->addLayout(actions);
    layout->addLayout(bottom);

    connect(m_Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(m_Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    connect(m_Button3, &QPushButton::clicked, this, &TForm3::Button3Click);
    connect(m_Button4, &QPushButton::clicked, this, &TForm3::Button4Click);
    connect(m_Button5, &QPushButton::clicked, this, &TForm3::Button5Click);
    connect(m_Button6, &QPushButton::clicked, this, &TForm3::Button6Click);
    connect(m_N1, &QAction::triggered, this, &TForm3::N1Click);
    connect(m_N2, &QAction::triggered, this, &TForm3::N2Click);

    FormCreate();
    setFixedSize(sizeHint().expandedTo(designedSize));
}

void TForm3::FormCreate() {
    guarded(codes::ReWriteFormCreate, [this] {
        const auto& t = i18n::strings();
        setWindowTitle(q(t.StrChooseAction));
        // A name longer than the dialog is shortened in its middle, not let widen it.
        const QString name = m_Label4->fontMetrics().elidedText(
            q(m_question.target.path.fileName()), Qt::ElideMiddle, designedSize.width() - 24);
        m_Label4->setText(q(t.StrFileExists) + "\n" + name);
        m_Label4->setToolTip(q(m_question.target.path.str()));
        m_Label2->setText(q(t.StrReplaceExisting));
        m_Label5->setText(q(sizeText(m_question.target.size, t.StrKB)));
        m_Label1->setText(q(dateText(m_question.target.lastWrite, t.StrCreated)));
        m_Label3->setText(q(t.StrWithFile));
        m_Label7->setText(q(sizeText(m_question.source.size, t.StrKB)));
        m_Label6->setText(q(dateText(m_question.source.lastWrite, t.StrCreated)));
        m_Button2->setText(q(t.StrOpenFolder));
        m_Button6->setText(q(t.StrOpenFolder));
        // The full paths, as the buttons will open them.
        m_Button2->setToolTip(q(m_question.target.path.str()));
        m_Button6->setToolTip(q(m_question.source.path.str()));
        m_Button1->setText(q(t.StrReplace));
        m_Button3->setText(q(t.StrSkip));
        m_Button4->setText(q(t.StrRename));
        m_Button5->setText(q(t.StrCancel));
        m_N1->setText(q(t.StrRenameManual));
        m_N2->setText(q(t.StrRenameAuto));
        m_CheckBox1->setText(q(t.StrSameAction));
        m_CheckBox1->setToolTip(q(t.StrSameActionHint));
        m_CheckBox1->setChecked(false);
        m_CheckBox1->setEnabled(!m_question.sameSize);
        m_answer = CollisionAnswer{};
    });
}

void TForm3::reject() {
    // Escape and the window manager's close give no answer; only the buttons close it.
}

void TForm3::done(int result) {
    if (!m_closed) {
        m_closed = true;
        FormClose();
    }
    QDialog::done(result);
}

void TForm3::FormClose() {
    guarded(codes::ReWriteFormClose, [this] {
        m_answer.sameForRest = m_CheckBox1->isEnabled() && m_CheckBox1->isChecked();
    });
}

void TForm3::answerWith(CollisionAction action) {
    m_answer.action = action;
    accept();
}

void TForm3::Button1Click() {
    guarded(codes::ReWriteButton1Click, [this] { answerWith(CollisionAction::Replace); });
}

void TForm3::Button3Click() {
    guarded(codes::ReWriteButton3Click, [this] { answerWith(CollisionAction::Skip); });
}

void TForm3::Button4Click() {
    guarded(codes::ReWriteButton4Click, [this] { m_PopupMenu1->popup(QCursor::pos()); });
}

void TForm3::N1Click() {
    guarded(codes::ReWriteN1Click, [this] {
        const platform::Path& target = m_question.target.path;
        TForm4 rename(target.fileName(), target.folder(), this, m_question.targetNames);
        if (rename.exec() != QDialog::Accepted)
            return;
        m_answer.typedName = rename.typedName();
        answerWith(CollisionAction::Rename);
    });
}

void TForm3::N2Click() {
    guarded(codes::ReWriteN2Click, [this] { answerWith(CollisionAction::AutoRename); });
}

void TForm3::Button5Click() {
    guarded(codes::ReWriteButton5Click, [this] {
        const auto& t = i18n::strings();
        if (!ui::ask(t.StrAskStopCopy, t.StrConfirmCaption, this))
            return;
        m_answer.action = CollisionAction::None;
        m_answer.stopConfirmed = true;
        accept();
    });
}

void TForm3::Button2Click() {
    guarded(codes::ReWriteButton2Click,
            [this] { m_openFolder(m_question.target.path.folder().str()); });
}

void TForm3::Button6Click() {
    guarded(codes::ReWriteButton6Click,
            [this] { m_openFolder(m_question.source.path.folder().str()); });
}

} // namespace tw::copy
