#include "about/About.h"

#include "about/BannerBrowser.h"
#include "errors/ProgramIdentity.h"
#include "i18n/StringTable.h"
#include "platform/FileSystem.h"

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
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
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

TFormAbout::TFormAbout(QWidget* parent, std::string programFolder)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
    , m_programFolder(programFolder.empty() ? platform::programFolder()
                                            : std::move(programFolder)) {
    setObjectName("FormAbout");

    // The banner across the top.
    m_Panel2 = panel("Panel2", this);
    m_Panel2->setFixedHeight(99);
    m_banner = new BannerBrowser(m_Panel2);
    m_banner->setObjectName("WebBrowser1");
    auto* bannerLayout = new QVBoxLayout(m_Panel2);
    bannerLayout->setContentsMargins(0, 0, 0, 0);
    bannerLayout->addWidget(m_banner);

    // The three text boxes, on a panel that takes no input.
    m_Panel5 = panel("Panel5", this);
    paintBackground(m_Panel5, LightGrey);
    m_Memo4 = memo("Memo4", 2, m_Panel5);
    QFont larger = m_Memo4->font();
    larger.setPointSizeF(larger.pointSizeF() + 1);
    m_Memo4->setFont(larger);
    m_Memo4->setFixedHeight(2 * QFontMetrics(larger).lineSpacing() + 2 * m_Memo4->frameWidth() + 6);
    m_Memo5 = memo("Memo5", 1, m_Panel5);
    m_Memo6 = memo("Memo6", 2, m_Panel5);
    auto* textLayout = new QVBoxLayout(m_Panel5);
    textLayout->setContentsMargins(6, 5, 6, 5);
    textLayout->setSpacing(3);
    textLayout->addWidget(m_Memo4);
    textLayout->addWidget(m_Memo5);
    textLayout->addWidget(m_Memo6);
    m_Panel5->setEnabled(false);

    // The links, the button and the credit strip along the bottom.
    m_Panel4 = panel("Panel4", this);
    paintBackground(m_Panel4, LightGrey);
    m_Label4 = label("Label4", QStringLiteral("https://"), m_Panel4);
    m_Label2 = label("Label2", q(ProgramSite), m_Panel4);
    m_Label2->setToolTip(QStringLiteral("Посетите сайт программы для обновлений"));
    m_Label5 = label("Label5", QStringLiteral("E-mail:"), m_Panel4);
    m_Label6 = label("Label6", q(AuthorAddress), m_Panel4);
    m_Label6->setToolTip(QStringLiteral("Напишите автору пожелания и замечания"));
    for (QLabel* link : {m_Label2, m_Label6}) {
        QFont underlined = link->font();
        underlined.setUnderline(true);
        link->setFont(underlined);
        link->setCursor(Qt::PointingHandCursor);
        setLinkColour(link, LinkBlue);
        link->installEventFilter(this);
    }
    m_Button1 = new QPushButton(QStringLiteral("Ok"), m_Panel4);
    m_Button1->setObjectName("Button1");
    m_Button1->setFocusPolicy(Qt::NoFocus);
    m_Button1->setAutoDefault(false);
    m_Button1->setDefault(true);
    m_Panel3 = new QFrame(m_Panel4);
    m_Panel3->setObjectName("Panel3");
    m_Panel3->setFrameShape(QFrame::Panel);
    m_Panel3->setFrameShadow(QFrame::Sunken);
    paintBackground(m_Panel3, StripGrey);
    m_credit = label("Panel3Caption",
                     QStringLiteral("© Tunewagon authors.  The date of issue: 24.10.07"), m_Panel3);
    m_credit->setAlignment(Qt::AlignCenter);
    auto* creditLayout = new QVBoxLayout(m_Panel3);
    creditLayout->setContentsMargins(4, 1, 4, 1);
    creditLayout->addWidget(m_credit);

    auto* links = new QGridLayout;
    links->setContentsMargins(8, 4, 8, 2);
    links->setHorizontalSpacing(4);
    links->setVerticalSpacing(2);
    links->addWidget(m_Label4, 0, 0);
    links->addWidget(m_Label2, 0, 1);
    links->addWidget(m_Label5, 1, 0);
    links->addWidget(m_Label6, 1, 1);
    links->setColumnStretch(2, 1);
    links->addWidget(m_Button1, 0, 3, 2, 1, Qt::AlignVCenter);
    auto* bottom = new QVBoxLayout(m_Panel4);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(2);
    bottom->addLayout(links);
    bottom->addWidget(m_Panel3);
    m_Panel4->setMinimumHeight(62);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_Panel2);
    layout->addWidget(m_Panel5, 1);
    layout->addWidget(m_Panel4);

    // Link highlighting follows the pointer: the links themselves turn red; the free area
    // (also over the text boxes, which take no input) and the bottom panel turn them blue.
    // The banner, the button and the credit strip leave them as they are.
    setMouseTracking(true);
    for (QWidget* child : findChildren<QWidget*>())
        child->setMouseTracking(true);
    for (QWidget* keeper : std::initializer_list<QWidget*>{m_Panel2, m_banner, m_Button1, m_Panel3})
        keeper->setAttribute(Qt::WA_NoMousePropagation);
    m_banner->viewport()->setAttribute(Qt::WA_NoMousePropagation);
    m_Panel4->installEventFilter(this);

    connect(m_Button1, &QPushButton::clicked, this, &TFormAbout::ButtonOkClick);

    FormCreate();

    // A fixed frame: the designed client size unless the texts need more.
    setFixedSize(sizeHint().expandedTo(QSize(328, 270)));
}

void TFormAbout::showAbout(QWidget* parent, const std::string& programFolder) {
    auto* window = new TFormAbout(parent, programFolder);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->exec();
}

void TFormAbout::FormCreate() {
    // Drawing is always double-buffered here; nothing to switch on.
    const auto& t = i18n::strings();
    setWindowTitle(QString::fromStdString(t.StrAboutCaption));
    appendLine(m_Memo4, QString::fromStdString(t.StrAboutText));
    appendLine(m_Memo5, QString::fromStdString(t.StrFreeware));
    appendLine(m_Memo6, QString::fromStdString(t.StrOsNote));
    appendLine(m_Memo6, q(ProgramName) + ' ' + q(ProgramVersion) + '.' + q(ProgramEdition));
    m_banner->showFile(m_programFolder + "/Source/Temp.mht");
}

void TFormAbout::ButtonOkClick() {
    close();
}

void TFormAbout::LabelHTTPClick() {
    QDesktopServices::openUrl(QUrl(QStringLiteral("https://") + q(ProgramSite)));
}

void TFormAbout::LabelEMailClick() {
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + q(AuthorAddress)));
}

void TFormAbout::LabelHTTPMouseMove() {
    setLinkColour(m_Label2, LinkRed);
}

void TFormAbout::LabelEMailMouseMove() {
    setLinkColour(m_Label6, LinkRed);
}

void TFormAbout::FormMouseMove() {
    setLinkColour(m_Label2, LinkBlue);
    setLinkColour(m_Label6, LinkBlue);
}

void TFormAbout::Panel4MouseMove() {
    FormMouseMove();
}

void TFormAbout::setLinkColour(QLabel* link, const QColor& colour) {
    QPalette palette = link->palette();
    if (palette.color(QPalette::WindowText) == colour)
        return;
    palette.setColor(QPalette::WindowText, colour);
    link->setPalette(palette);
}

bool TFormAbout::eventFilter(QObject* watched, QEvent* event) {
    const bool link = watched == m_Label2 || watched == m_Label6;
    if (event->type() == QEvent::MouseMove) {
        if (watched == m_Label2)
            LabelHTTPMouseMove();
        else if (watched == m_Label6)
            LabelEMailMouseMove();
        else if (watched == m_Panel4)
            Panel4MouseMove();
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
            if (watched == m_Label2)
                LabelHTTPClick();
            else
                LabelEMailClick();
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormAbout::mouseMoveEvent(QMouseEvent* event) {
    FormMouseMove();
    event->accept();
}

} // namespace tw::about
