#include "errors/ErrorForm.h"

#include "errors/ErrorReporter.h"
#include "errors/MailReport.h"
#include "i18n/StringTable.h"
#include "platform/DesktopMail.h"
#include "ui/DrawnIcons.h"
#include "ui/MessageBoxes.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QEventLoop>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tw::errors {

using ui::button;
using ui::label;
using ui::paintBackground;
using ui::q;
using ui::sunkenPanel;

namespace {

platform::MailHandOver* mailSeam = nullptr;

} // namespace

TForm5::TForm5(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint) {
    setObjectName("Form5");

    // The white top panel: picture, headline, code and the report button.
    m_Panel3 = new QFrame(this);
    m_Panel3->setObjectName("Panel3");
    m_Panel3->setFixedHeight(70);
    paintBackground(m_Panel3, Qt::white);
    m_Image1 = label("Image1", m_Panel3);
    m_Image1->setFixedSize(41, 41);
    m_Image1->setPixmap(ui::errorPicture());
    m_Label1 = label("Label1", m_Panel3);
    QFont headline = m_Label1->font();
    headline.setPixelSize(16);
    headline.setUnderline(true);
    m_Label1->setFont(headline);
    QPalette red = m_Label1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_Label1->setPalette(red);
    m_Panel2 = sunkenPanel("Panel2", m_Panel3);
    m_Label2 = label("Label2", m_Panel2);
    m_Label2->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* codeLayout = new QHBoxLayout(m_Panel2);
    codeLayout->setContentsMargins(6, 2, 6, 2);
    codeLayout->addWidget(m_Label2);
    m_Button4 = button("Button4", m_Panel3);

    auto* codeRow = new QHBoxLayout;
    codeRow->addWidget(m_Panel2, 1);
    codeRow->addWidget(m_Button4);
    auto* textColumn = new QVBoxLayout;
    textColumn->setSpacing(4);
    textColumn->addWidget(m_Label1);
    textColumn->addLayout(codeRow);
    auto* topLayout = new QHBoxLayout(m_Panel3);
    topLayout->setContentsMargins(12, 6, 10, 6);
    topLayout->setSpacing(12);
    topLayout->addWidget(m_Image1, 0, Qt::AlignVCenter);
    topLayout->addLayout(textColumn, 1);

    // The sky-blue apology panel.
    m_Panel1 = ui::skyBluePanel("Panel1", this);
    m_Label6 = label("Label6", m_Panel1);
    m_Label3 = label("Label3", m_Panel1);
    m_Label6->setAlignment(Qt::AlignCenter);
    m_Label3->setAlignment(Qt::AlignCenter);
    auto* apologyLayout = new QVBoxLayout(m_Panel1);
    apologyLayout->setContentsMargins(6, 3, 6, 3);
    apologyLayout->setSpacing(1);
    apologyLayout->addWidget(m_Label6);
    apologyLayout->addWidget(m_Label3);

    m_Label5 = label("Label5", this);
    QFont choose = m_Label5->font();
    choose.setPixelSize(16);
    m_Label5->setFont(choose);

    m_Bevel1 = new QFrame(this);
    m_Bevel1->setObjectName("Bevel1");
    m_Bevel1->setFrameShape(QFrame::HLine);
    m_Bevel1->setFrameShadow(QFrame::Sunken);

    m_Button3 = button("Button3", this);
    m_Button2 = button("Button2", this);
    m_Button3->setDefault(true);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_Button3);
    buttonRow->addWidget(m_Button2);

    auto* lower = new QVBoxLayout;
    lower->setContentsMargins(8, 6, 8, 8);
    lower->setSpacing(5);
    lower->addWidget(m_Panel1);
    lower->addWidget(m_Label5);
    lower->addWidget(m_Bevel1);
    lower->addLayout(buttonRow);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_Panel3);
    layout->addLayout(lower);

    connect(m_Button3, &QPushButton::clicked, this, &TForm5::Button3Click);
    connect(m_Button2, &QPushButton::clicked, this, &TForm5::Button2Click);
    connect(m_Button4, &QPushButton::clicked, this, &TForm5::Button4Click);

    FormCreate();

    // Single border: the designed client size unless the texts need more.
    setFixedSize(sizeHint().expandedTo(QSize(528, 171)));
}

TForm5::~TForm5() {
    FormClose();
}

void TForm5::FormCreate() {
    m_open = true;
    ErrorReporter::instance().setWindowOpen(true);
    const auto& t = i18n::strings();
    setWindowTitle(q(t.StrErrorCaption));
    m_Label1->setText(q(t.StrErrorHeadline));
    m_Label2->setText(q(t.StrInternalCode));
    m_Button4->setText(q(t.StrTellAuthor));
    m_Label6->setText(q(t.StrApology));
    m_Label3->setText(q(t.StrReinstall));
    m_Label5->setText(q(t.StrErrorChoose));
    m_Button3->setText(q(t.StrIgnore));
    m_Button2->setText(q(t.StrCloseProgram));
}

void TForm5::FormClose() {
    if (!m_open)
        return;
    m_open = false;
    ErrorReporter::instance().setWindowOpen(false);
}

void TForm5::setErrorCode(const std::string& code) {
    m_Label2->setText(q(i18n::strings().StrInternalCode + " " + code));
}

void TForm5::Button3Click() {
    setEnabled(false);
    close();
}

void TForm5::Button2Click() {
    setEnabled(false);
    // The program ends without the exit question and without saving its settings: the main
    // window sees the request when it closes, and start-up sees it before the loop runs.
    ErrorReporter::instance().setTerminateRequested(true);
    close();
    QCoreApplication::exit(0);
}

void TForm5::setMailHandOver(platform::MailHandOver* mail) {
    mailSeam = mail;
}

void TForm5::Button4Click() {
    const auto& t = i18n::strings();
    ui::showMessage(ui::MessageKind::Warning, t.StrMailNote, t.StrWarningCaption, this);

    hide();
    // The log is moved aside before the mail client sees it: a client reads its attachment
    // when the mail is sent, long after the hand-over returns, and must find it in place.
    const std::string attachment = moveLogAside(ErrorReporter::instance().programFolder());
    try {
        platform::MailHandOver& mail = mailSeam != nullptr ? *mailSeam : platform::desktopMail();
        mail.handOver(reportMessage(attachment));
    } catch (...) {
        // Nothing was sent; the log stays aside all the same.
    }
    show();
    m_Button4->setEnabled(false);
}

int TForm5::exec() {
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    const auto finished = connect(this, &QDialog::finished, &loop, &QEventLoop::exit);
    show();
    const int code = isVisible() ? loop.exec(QEventLoop::DialogExec) : result();
    disconnect(finished);
    return code;
}

void TForm5::done(int result) {
    FormClose();
    QDialog::done(result);
}

} // namespace tw::errors
