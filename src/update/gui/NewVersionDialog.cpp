#include "update/gui/NewVersionDialog.h"

#include "i18n/StringTable.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "ui/WindowParts.h"
#include "update/Announcement.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace tw::update {

using ui::named;
using ui::q;

namespace {

// Texts from the announcement and the language file are shown as written, never as markup.
QLabel* plainLabel(const char* name, QWidget* parent) {
    return ui::label(name, parent);
}

// The product page, shown when no announcement could be read.
constexpr const char* DesignPage = "https://tunewagon.net/";
constexpr QSize designedSize(448, 310);
// The width the link may take: the window's designed width less its margins.
constexpr int LinkWidth = 448 - 20;

} // namespace

NewVersionDialog::NewVersionDialog(const i18n::StringTable& strings, std::string folder,
                                   QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
    , m_strings(strings)
    , m_folder(std::move(folder)) {
    setObjectName("newVersionDialog");
    setWindowTitle("Tunewagon");
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);

    m_titleLabel = plainLabel("titleLabel", this);
    m_titleLabel->setAlignment(Qt::AlignCenter);
    QFont headline = m_titleLabel->font();
    headline.setPixelSize(13);
    headline.setBold(true);
    m_titleLabel->setFont(headline);

    m_versionLabel = plainLabel("playlistLabel", this);
    m_versionField = named<QLineEdit>("versionField", this);
    m_dateLabel = plainLabel("destinationLabel", this);
    m_dateField = named<QLineEdit>("dateField", this);
    for (QLineEdit* edit : {m_versionField, m_dateField}) {
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
    }
    m_versionLabel->setBuddy(m_versionField);
    m_dateLabel->setBuddy(m_dateField);

    m_changesLabel = plainLabel("changesLabel", this);
    m_changesText = named<QPlainTextEdit>("changesText", this);
    m_changesText->setReadOnly(true);
    m_changesText->setFocusPolicy(Qt::NoFocus);
    m_changesText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    m_siteLabel = plainLabel("siteLabel", this);
    // Long texts from a language file wrap, and never widen the window past its design.
    for (QLabel* text : {m_titleLabel, m_changesLabel, m_siteLabel}) {
        text->setWordWrap(true);
        text->setMaximumWidth(LinkWidth);
    }
    for (QLabel* caption : {m_versionLabel, m_dateLabel})
        caption->setMaximumWidth(LinkWidth / 4);
    m_siteLink = plainLabel("siteLink", this);
    m_page = DesignPage;
    m_siteLink->setText(DesignPage);
    m_siteLink->setCursor(Qt::PointingHandCursor);
    m_siteLink->setMouseTracking(true);
    m_siteLink->installEventFilter(this);
    QFont link = m_siteLink->font();
    link.setUnderline(true);
    m_siteLink->setFont(link);
    ui::setLinkColour(m_siteLink, Qt::blue);

    m_separator = named<QFrame>("separator", this);
    m_separator->setFrameShape(QFrame::HLine);
    m_separator->setFrameShadow(QFrame::Sunken);
    m_remindLaterButton = named<QPushButton>("remindLaterButton", this);
    m_okButton = named<QPushButton>("okButton", this);
    m_okButton->setText("Ok");
    m_okButton->setDefault(true);
    m_remindLaterButton->setAutoDefault(false);

    auto* fields = new QGridLayout;
    fields->addWidget(m_versionLabel, 0, 0, Qt::AlignRight);
    fields->addWidget(m_versionField, 0, 1);
    fields->addWidget(m_dateLabel, 0, 2, Qt::AlignRight);
    fields->addWidget(m_dateField, 0, 3);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_remindLaterButton);
    buttons->addWidget(m_okButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);
    layout->addWidget(m_titleLabel);
    layout->addLayout(fields);
    layout->addWidget(m_changesLabel);
    layout->addWidget(m_changesText, 1);
    layout->addWidget(m_siteLabel);
    layout->addWidget(m_siteLink, 0, Qt::AlignLeft);
    layout->addWidget(m_separator);
    layout->addLayout(buttons);

    connect(m_okButton, &QPushButton::clicked, this, &NewVersionDialog::acknowledge);
    connect(m_remindLaterButton, &QPushButton::clicked, this, &NewVersionDialog::remindLater);

    applyTexts();
    resize(minimumSizeHint().expandedTo(designedSize));
    // Centred on the main window.
    if (parent != nullptr)
        move(parent->window()->geometry().center() - QPoint(width() / 2, height() / 2));
    ui::keepOnScreen(this);
}

void NewVersionDialog::applyTexts() {
    const auto& table = m_strings;
    const std::string path = Announcement::availableFileFor(m_folder, table.CurrentLanguage);
    const Announcement announcement = Announcement::read(path);
    m_versionField->setText(q(announcement.version));
    m_dateField->setText(q(announcement.date));
    if (!announcement.page.empty()) {
        // A long address is shown shortened in the middle; the whole one is opened.
        m_page = q(announcement.page);
        m_siteLink->setText(
            m_siteLink->fontMetrics().elidedText(m_page, Qt::ElideMiddle, LinkWidth));
    }
    QStringList notes;
    for (const auto& note : announcement.notes)
        notes << q(note);
    m_changesText->setPlainText(notes.join('\n'));
    m_changesText->moveCursor(QTextCursor::Start);

    m_titleLabel->setText(q(table.StrNewVersion + " Tunewagon"));
    m_versionLabel->setText(q(table.StrVersion + ":"));
    m_dateLabel->setText(q(" " + table.StrUpdateDate + ":"));
    m_changesLabel->setText(q(table.StrChanges + ":"));
    m_siteLabel->setText(q(table.StrOpenSite + ":"));
    m_remindLaterButton->setText(q(table.StrRemindLater));
}

void NewVersionDialog::openSite() {
    // The address comes from the web: only a web page is opened, never a local file or
    // another program's scheme.
    const QUrl page = QUrl::fromUserInput(m_page);
    if (page.isValid() && (page.scheme() == "http" || page.scheme() == "https"))
        QDesktopServices::openUrl(page);
}

void NewVersionDialog::hoverLink() {
    ui::setLinkColour(m_siteLink, Qt::red);
}

void NewVersionDialog::leaveLink() {
    ui::setLinkColour(m_siteLink, Qt::blue);
}

void NewVersionDialog::acknowledge() {
    // Made anew: a pipe or other odd entry under the name would block the window.
    const std::string path = m_folder + "/CheckTrue";
    platform::deleteFile(path);
    platform::OutputFile acknowledged(path, platform::OutputFile::Mode::Truncate);
    acknowledged.close();
    close();
}

void NewVersionDialog::remindLater() {
    close();
}

bool NewVersionDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_siteLink) {
        switch (event->type()) {
        case QEvent::Enter:
            hoverLink();
            break;
        case QEvent::MouseMove:
            // Kept from the window behind, which would turn the link blue again.
            hoverLink();
            return true;
        case QEvent::Leave:
            leaveLink();
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                m_siteLink->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
                openSite();
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void NewVersionDialog::mouseMoveEvent(QMouseEvent* event) {
    leaveLink();
    QDialog::mouseMoveEvent(event);
}

} // namespace tw::update
