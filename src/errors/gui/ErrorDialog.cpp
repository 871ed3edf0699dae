#include "errors/gui/ErrorDialog.h"

#include "errors/ErrorReporter.h"
#include "errors/MailReport.h"
#include "i18n/StringTable.h"
#include "platform/desktop/DesktopMail.h"
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
#include <exception>

namespace tw::errors {

using ui::button;
using ui::label;
using ui::paintBackground;
using ui::q;
using ui::sunkenPanel;

namespace {

platform::MailHandOver* mailSeam = nullptr;

// The widest a text line of the window gets before it wraps.
constexpr int MaxTextWidth = 640;

} // namespace

ErrorDialog::ErrorDialog(const i18n::StringTable& strings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::WindowStaysOnTopHint)
    , m_strings(strings) {
    setObjectName("errorDialog");

    // The white top panel: picture, headline, code and the report button.
    m_headerPanel = new QFrame(this);
    m_headerPanel->setObjectName("headerPanel");
    m_headerPanel->setFixedHeight(70);
    paintBackground(m_headerPanel, Qt::white);
    m_icon = label("icon", m_headerPanel);
    m_icon->setFixedSize(41, 41);
    m_icon->setPixmap(ui::errorPicture());
    m_headlineLabel = label("headlineLabel", m_headerPanel);
    QFont headline = m_headlineLabel->font();
    headline.setPixelSize(16);
    headline.setUnderline(true);
    m_headlineLabel->setFont(headline);
    QPalette red = m_headlineLabel->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    m_headlineLabel->setPalette(red);
    m_codePanel = sunkenPanel("codePanel", m_headerPanel);
    m_codeLabel = label("codeLabel", m_codePanel);
    m_codeLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* codeLayout = new QHBoxLayout(m_codePanel);
    codeLayout->setContentsMargins(6, 2, 6, 2);
    codeLayout->addWidget(m_codeLabel);
    m_mailButton = button("mailButton", m_headerPanel);

    auto* codeRow = new QHBoxLayout;
    codeRow->addWidget(m_codePanel, 1);
    codeRow->addWidget(m_mailButton);
    auto* textColumn = new QVBoxLayout;
    textColumn->setSpacing(4);
    textColumn->addWidget(m_headlineLabel);
    textColumn->addLayout(codeRow);
    auto* topLayout = new QHBoxLayout(m_headerPanel);
    topLayout->setContentsMargins(12, 6, 10, 6);
    topLayout->setSpacing(12);
    topLayout->addWidget(m_icon, 0, Qt::AlignVCenter);
    topLayout->addLayout(textColumn, 1);

    // The sky-blue apology panel.
    m_messagePanel = ui::skyBluePanel("messagePanel", this);
    m_apologyLabel = label("apologyLabel", m_messagePanel);
    m_reinstallLabel = label("reinstallLabel", m_messagePanel);
    m_apologyLabel->setAlignment(Qt::AlignCenter);
    m_reinstallLabel->setAlignment(Qt::AlignCenter);
    auto* apologyLayout = new QVBoxLayout(m_messagePanel);
    apologyLayout->setContentsMargins(6, 3, 6, 3);
    apologyLayout->setSpacing(1);
    apologyLayout->addWidget(m_apologyLabel);
    apologyLayout->addWidget(m_reinstallLabel);

    m_chooseLabel = label("chooseLabel", this);
    QFont choose = m_chooseLabel->font();
    choose.setPixelSize(16);
    m_chooseLabel->setFont(choose);

    m_separator = new QFrame(this);
    m_separator->setObjectName("separator");
    m_separator->setFrameShape(QFrame::HLine);
    m_separator->setFrameShadow(QFrame::Sunken);

    m_ignoreButton = button("ignoreButton", this);
    m_closeProgramButton = button("closeProgramButton", this);
    m_ignoreButton->setDefault(true);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_ignoreButton);
    buttonRow->addWidget(m_closeProgramButton);

    auto* lower = new QVBoxLayout;
    lower->setContentsMargins(8, 6, 8, 8);
    lower->setSpacing(5);
    lower->addWidget(m_messagePanel);
    lower->addWidget(m_chooseLabel);
    lower->addWidget(m_separator);
    lower->addLayout(buttonRow);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_headerPanel);
    layout->addLayout(lower);

    connect(m_ignoreButton, &QPushButton::clicked, this, &ErrorDialog::ignore);
    connect(m_closeProgramButton, &QPushButton::clicked, this, &ErrorDialog::closeProgram);
    connect(m_mailButton, &QPushButton::clicked, this, &ErrorDialog::mailLog);

    // Long texts from a language file wrap rather than widen the window.
    for (QLabel* text : {m_headlineLabel, m_apologyLabel, m_reinstallLabel, m_chooseLabel}) {
        text->setWordWrap(true);
        text->setMaximumWidth(MaxTextWidth);
    }

    applyTexts();

    // Single border: the designed client size unless the texts need more, and never more
    // than the screen holds.
    setFixedSize(sizeHint().expandedTo(QSize(528, 171)));
    ui::keepOnScreen(this);
}

ErrorDialog::~ErrorDialog() {
    cleanUpOnClose();
}

void ErrorDialog::applyTexts() {
    m_open = true;
    ErrorReporter::instance().setWindowOpen(true);
    const auto& t = m_strings;
    setWindowTitle(q(t.StrErrorCaption));
    m_headlineLabel->setText(q(t.StrErrorHeadline));
    m_codeLabel->setText(q(t.StrInternalCode));
    m_mailButton->setText(q(t.StrTellAuthor));
    m_apologyLabel->setText(q(t.StrApology));
    m_reinstallLabel->setText(q(t.StrReinstall));
    m_chooseLabel->setText(q(t.StrErrorChoose));
    m_ignoreButton->setText(q(t.StrIgnore));
    m_closeProgramButton->setText(q(t.StrCloseProgram));
}

void ErrorDialog::cleanUpOnClose() {
    if (!m_open)
        return;
    m_open = false;
    ErrorReporter::instance().setWindowOpen(false);
}

void ErrorDialog::setErrorCode(const std::string& code) {
    m_codeLabel->setText(q(m_strings.StrInternalCode + " " + code));
}

void ErrorDialog::ignore() {
    setEnabled(false);
    close();
}

void ErrorDialog::closeProgram() {
    setEnabled(false);
    // The program ends without the exit question and without saving its settings: the main
    // window sees the request when it closes, and start-up sees it before the loop runs.
    ErrorReporter::instance().setTerminateRequested(true);
    close();
    QCoreApplication::exit(0);
}

void ErrorDialog::setMailHandOver(platform::MailHandOver* mail) {
    mailSeam = mail;
}

void ErrorDialog::mailLog() {
    const auto& t = m_strings;
    ui::showMessage(ui::MessageKind::Warning, t.StrMailNote, t.StrWarningCaption, this);

    hide();
    // The log is moved aside before the mail client sees it: a client reads its attachment
    // when the mail is sent, long after the hand-over returns, and must find it in place.
    const std::string folder = ErrorReporter::instance().programFolder();
    const std::string attachment = moveLogAside(folder);
    bool handed = false;
    try {
        platform::MailHandOver& mail = mailSeam != nullptr ? *mailSeam : platform::desktopMail();
        handed = mail.handOver(reportMessage(m_strings.StrMailSubject, attachment));
    } catch (...) {
        // No mail client took it.
    }
    show();
    m_mailButton->setEnabled(false);
    if (!handed) {
        // Nothing was sent: the records go back into the log, and the user learns where.
        std::string kept = DebugLog(folder).path();
        try {
            kept = keepUnsentLog(folder);
        } catch (const std::exception&) {
            kept = attachment.empty() ? kept : attachment;
        }
        ui::showMessage(ui::MessageKind::Warning, unsentReportText(m_strings.CurrentLanguage, kept),
                        t.StrWarningCaption, this);
    }
}

int ErrorDialog::exec() {
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    const auto finished = connect(this, &QDialog::finished, &loop, &QEventLoop::exit);
    show();
    const int code = isVisible() ? loop.exec(QEventLoop::DialogExec) : result();
    disconnect(finished);
    return code;
}

void ErrorDialog::done(int result) {
    cleanUpOnClose();
    QDialog::done(result);
}

} // namespace tw::errors
