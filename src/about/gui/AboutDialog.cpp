#include "about/gui/AboutDialog.h"

#include "about/gui/BannerBrowser.h"
#include "errors/ProgramIdentity.h"
#include "i18n/StringTable.h"
#include "platform/FileSystem.h"
#include "ui/WindowParts.h"

#include <QDesktopServices>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace tw::about {

namespace {

const QColor LinkBlue(0x00, 0x00, 0xFF);
const QColor LinkRed(0xFF, 0x00, 0x00);
const QColor LightGrey(0xE6, 0xE6, 0xE6);
const QColor StripGrey(0xD2, 0xD2, 0xD2);
const QColor SkyBlue(0xA6, 0xCA, 0xF0);

QString q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void paintBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QFrame* panel(const char* name, QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::NoFrame);
    return frame;
}

QLabel* label(const char* name, const QString& text, QWidget* parent) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    l->setText(text);
    return l;
}

// A read-only, centred, sky-blue box of text lines, tall enough for the given lines.
QTextEdit* memo(const char* name, int lines, QWidget* parent) {
    auto* m = new QTextEdit(parent);
    m->setObjectName(name);
    m->setReadOnly(true);
    m->setAcceptRichText(false);
    m->setFocusPolicy(Qt::NoFocus);
    m->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m->setFrameShape(QFrame::Panel);
    m->setFrameShadow(QFrame::Sunken);
    // The panel holding the boxes is disabled; the text still reads black on sky blue.
    QPalette palette = m->palette();
    palette.setColor(QPalette::Base, SkyBlue);
    palette.setColor(QPalette::Text, Qt::black);
    m->setPalette(palette);
    m->document()->setDocumentMargin(2);
    const int frame = 2 * m->frameWidth() + 4;
    m->setFixedHeight(lines * m->fontMetrics().lineSpacing() + frame + 2);
    return m;
}

// Adds a centred line at the end of the box.
void appendLine(QTextEdit* memo, const QString& line) {
    QTextCursor cursor(memo->document());
    cursor.movePosition(QTextCursor::End);
    if (!memo->document()->isEmpty())
        cursor.insertBlock();
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.setBlockFormat(centred);
    cursor.insertText(line);
}

} // namespace

AboutDialog::AboutDialog(const i18n::StringTable& strings, QWidget* parent,
                         std::string programFolder)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
    , m_strings(strings)
    , m_programFolder(programFolder.empty() ? platform::programFolder()
                                            : std::move(programFolder)) {
    setObjectName("aboutDialog");

    // The banner across the top.
    m_bannerPanel = panel("bannerPanel", this);
    m_bannerPanel->setFixedHeight(99);
    m_banner = new BannerBrowser(m_bannerPanel);
    m_banner->setObjectName("banner");
    auto* bannerLayout = new QVBoxLayout(m_bannerPanel);
    bannerLayout->setContentsMargins(0, 0, 0, 0);
    bannerLayout->addWidget(m_banner);

    // The three text boxes, on a panel that takes no input.
    m_textPanel = panel("textPanel", this);
    paintBackground(m_textPanel, LightGrey);
    m_aboutText = memo("aboutText", 2, m_textPanel);
    QFont larger = m_aboutText->font();
    larger.setPointSizeF(larger.pointSizeF() + 1);
    m_aboutText->setFont(larger);
    m_aboutText->setFixedHeight(2 * QFontMetrics(larger).lineSpacing() +
                                2 * m_aboutText->frameWidth() + 6);
    m_freewareText = memo("freewareText", 1, m_textPanel);
    m_osNoteText = memo("osNoteText", 2, m_textPanel);
    auto* textLayout = new QVBoxLayout(m_textPanel);
    textLayout->setContentsMargins(6, 5, 6, 5);
    textLayout->setSpacing(3);
    textLayout->addWidget(m_aboutText);
    textLayout->addWidget(m_freewareText);
    textLayout->addWidget(m_osNoteText);
    m_textPanel->setEnabled(false);

    // The links, the button and the credit strip along the bottom.
    m_linkPanel = panel("linkPanel", this);
    paintBackground(m_linkPanel, LightGrey);
    m_siteCaption = label("siteCaption", QStringLiteral("https://"), m_linkPanel);
    m_siteLink = label("siteLink", q(ProgramSite), m_linkPanel);
    m_siteLink->setToolTip(QStringLiteral("Посетите сайт программы для обновлений"));
    m_mailCaption = label("mailCaption", QStringLiteral("E-mail:"), m_linkPanel);
    m_mailLink = label("mailLink", q(AuthorAddress), m_linkPanel);
    m_mailLink->setToolTip(QStringLiteral("Напишите автору пожелания и замечания"));
    for (QLabel* link : {m_siteLink, m_mailLink}) {
        QFont underlined = link->font();
        underlined.setUnderline(true);
        link->setFont(underlined);
        link->setCursor(Qt::PointingHandCursor);
        ui::setLinkColour(link, LinkBlue);
        link->installEventFilter(this);
    }
    m_okButton = new QPushButton(QStringLiteral("Ok"), m_linkPanel);
    m_okButton->setObjectName("okButton");
    m_okButton->setFocusPolicy(Qt::NoFocus);
    m_okButton->setAutoDefault(false);
    m_okButton->setDefault(true);
    m_creditPanel = new QFrame(m_linkPanel);
    m_creditPanel->setObjectName("creditPanel");
    m_creditPanel->setFrameShape(QFrame::Panel);
    m_creditPanel->setFrameShadow(QFrame::Sunken);
    paintBackground(m_creditPanel, StripGrey);
    m_credit = label("credit", QString(), m_creditPanel);
    m_credit->setAlignment(Qt::AlignCenter);
    auto* creditLayout = new QVBoxLayout(m_creditPanel);
    creditLayout->setContentsMargins(4, 1, 4, 1);
    creditLayout->addWidget(m_credit);

    auto* links = new QGridLayout;
    links->setContentsMargins(8, 4, 8, 2);
    links->setHorizontalSpacing(4);
    links->setVerticalSpacing(2);
    links->addWidget(m_siteCaption, 0, 0);
    links->addWidget(m_siteLink, 0, 1);
    links->addWidget(m_mailCaption, 1, 0);
    links->addWidget(m_mailLink, 1, 1);
    links->setColumnStretch(2, 1);
    links->addWidget(m_okButton, 0, 3, 2, 1, Qt::AlignVCenter);
    auto* bottom = new QVBoxLayout(m_linkPanel);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(2);
    bottom->addLayout(links);
    bottom->addWidget(m_creditPanel);
    m_linkPanel->setMinimumHeight(62);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_bannerPanel);
    layout->addWidget(m_textPanel, 1);
    layout->addWidget(m_linkPanel);

    // Link highlighting follows the pointer: the links themselves turn red; the free area
    // (also over the text boxes, which take no input) and the bottom panel turn them blue.
    // The banner, the button and the credit strip leave them as they are.
    setMouseTracking(true);
    for (QWidget* child : findChildren<QWidget*>())
        child->setMouseTracking(true);
    for (QWidget* keeper :
         std::initializer_list<QWidget*>{m_bannerPanel, m_banner, m_okButton, m_creditPanel})
        keeper->setAttribute(Qt::WA_NoMousePropagation);
    m_banner->viewport()->setAttribute(Qt::WA_NoMousePropagation);
    m_linkPanel->installEventFilter(this);

    connect(m_okButton, &QPushButton::clicked, this, &AboutDialog::closeAbout);

    applyTexts();

    // A fixed frame: the designed client size unless the texts need more.
    setFixedSize(sizeHint().expandedTo(QSize(328, 270)));
}

void AboutDialog::showAbout(const i18n::StringTable& strings, QWidget* parent,
                            const std::string& programFolder) {
    auto* window = new AboutDialog(strings, parent, programFolder);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->exec();
}

void AboutDialog::applyTexts() {
    // Drawing is always double-buffered here; nothing to switch on.
    const auto& t = m_strings;
    setWindowTitle(QString::fromStdString(t.StrAboutCaption));
    appendLine(m_aboutText, QString::fromStdString(t.StrAboutText));
    appendLine(m_freewareText, QString::fromStdString(t.StrFreeware));
    appendLine(m_osNoteText, QString::fromStdString(t.StrOsNote));
    m_credit->setText(QString::fromStdString(t.StrCredit));
    appendLine(m_osNoteText, q(ProgramName) + ' ' + q(ProgramVersion) + '.' + q(ProgramEdition));
    m_banner->showFile(m_programFolder + "/Source/Temp.mht");
}

void AboutDialog::closeAbout() {
    close();
}

void AboutDialog::openSite() {
    QDesktopServices::openUrl(QUrl(QStringLiteral("https://") + q(ProgramSite)));
}

void AboutDialog::writeMail() {
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + q(AuthorAddress)));
}

void AboutDialog::hoverSiteLink() {
    ui::setLinkColour(m_siteLink, LinkRed);
}

void AboutDialog::hoverMailLink() {
    ui::setLinkColour(m_mailLink, LinkRed);
}

void AboutDialog::leaveLinks() {
    ui::setLinkColour(m_siteLink, LinkBlue);
    ui::setLinkColour(m_mailLink, LinkBlue);
}

void AboutDialog::leaveLinksOverPanel() {
    leaveLinks();
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
    const bool link = watched == m_siteLink || watched == m_mailLink;
    if (event->type() == QEvent::MouseMove) {
        if (watched == m_siteLink)
            hoverSiteLink();
        else if (watched == m_mailLink)
            hoverMailLink();
        else if (watched == m_linkPanel)
            leaveLinksOverPanel();
        else
            return QDialog::eventFilter(watched, event);
        event->accept();
        return true;
    }
    if (link && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        auto* widget = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton &&
            widget->rect().contains(mouse->position().toPoint())) {
            if (watched == m_siteLink)
                openSite();
            else
                writeMail();
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void AboutDialog::mouseMoveEvent(QMouseEvent* event) {
    leaveLinks();
    event->accept();
}

} // namespace tw::about
