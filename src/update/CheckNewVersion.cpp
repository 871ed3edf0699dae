#include "update/CheckNewVersion.h"

#include "i18n/StringTable.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
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

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

template <class Widget>
Widget* named(const char* name, QWidget* parent) {
    auto* w = new Widget(parent);
    w->setObjectName(name);
    return w;
}

// The product page, shown when no announcement could be read.
constexpr const char* DesignPage = "https://tunewagon.net/";
constexpr QSize designedSize(448, 310);

} // namespace

TForm6::TForm6(std::string folder, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
    , m_folder(std::move(folder)) {
    setObjectName("Form6");
    setWindowTitle("Tunewagon");
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);

    m_Label1 = named<QLabel>("Label1", this);
    m_Label1->setAlignment(Qt::AlignCenter);
    QFont headline = m_Label1->font();
    headline.setPixelSize(13);
    headline.setBold(true);
    m_Label1->setFont(headline);

    m_LabeledEdit1Label = named<QLabel>("LabeledEdit1Label", this);
    m_LabeledEdit1 = named<QLineEdit>("LabeledEdit1", this);
    m_LabeledEdit2Label = named<QLabel>("LabeledEdit2Label", this);
    m_LabeledEdit2 = named<QLineEdit>("LabeledEdit2", this);
    for (QLineEdit* edit : {m_LabeledEdit1, m_LabeledEdit2}) {
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::NoFocus);
    }
    m_LabeledEdit1Label->setBuddy(m_LabeledEdit1);
    m_LabeledEdit2Label->setBuddy(m_LabeledEdit2);

    m_Label2 = named<QLabel>("Label2", this);
    m_Memo1 = named<QPlainTextEdit>("Memo1", this);
    m_Memo1->setReadOnly(true);
    m_Memo1->setFocusPolicy(Qt::NoFocus);
    m_Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    m_Label3 = named<QLabel>("Label3", this);
    m_Label4 = named<QLabel>("Label4", this);
    m_Label4->setText(DesignPage);
    m_Label4->setCursor(Qt::PointingHandCursor);
    m_Label4->setMouseTracking(true);
    m_Label4->installEventFilter(this);
    QFont link = m_Label4->font();
    link.setUnderline(true);
    m_Label4->setFont(link);
    setLinkColour(Qt::blue);

    m_Bevel1 = named<QFrame>("Bevel1", this);
    m_Bevel1->setFrameShape(QFrame::HLine);
    m_Bevel1->setFrameShadow(QFrame::Sunken);
    m_Button2 = named<QPushButton>("Button2", this);
    m_Button1 = named<QPushButton>("Button1", this);
    m_Button1->setText("Ok");
    m_Button1->setDefault(true);
    m_Button2->setAutoDefault(false);

    auto* fields = new QGridLayout;
    fields->addWidget(m_LabeledEdit1Label, 0, 0, Qt::AlignRight);
    fields->addWidget(m_LabeledEdit1, 0, 1);
    fields->addWidget(m_LabeledEdit2Label, 0, 2, Qt::AlignRight);
    fields->addWidget(m_LabeledEdit2, 0, 3);
    fields->setColumnStretch(1, 1);
    fields->setColumnStretch(3, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_Button2);
    buttons->addWidget(m_Button1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);
    layout->addWidget(m_Label1);
    layout->addLayout(fields);
    layout->addWidget(m_Label2);
    layout->addWidget(m_Memo1, 1);
    layout->addWidget(m_Label3);
    layout->addWidget(m_Label4, 0, Qt::AlignLeft);
    layout->addWidget(m_Bevel1);
    layout->addLayout(buttons);

    connect(m_Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    connect(m_Button2, &QPushButton::clicked, this, &TForm6::Button2Click);

    FormCreate();
    resize(minimumSizeHint().expandedTo(designedSize));
    // Centred on the main window.
    if (parent != nullptr)
        move(parent->window()->geometry().center() - QPoint(width() / 2, height() / 2));
}

void TForm6::FormCreate() {
    const auto& table = i18n::strings();
    const std::string path = Announcement::fileFor(m_folder, table.CurrentLanguage);
    const Announcement announcement = Announcement::read(path);
    m_LabeledEdit1->setText(q(announcement.version));
    m_LabeledEdit2->setText(q(announcement.date));
    if (!announcement.page.empty())
        m_Label4->setText(q(announcement.page));
    QStringList notes;
    for (const auto& note : announcement.notes)
        notes << q(note);
    m_Memo1->setPlainText(notes.join('\n'));
    m_Memo1->moveCursor(QTextCursor::Start);

    m_Label1->setText(q(table.StrNewVersion + " Tunewagon"));
    m_LabeledEdit1Label->setText(q(table.StrVersion + ":"));
    m_LabeledEdit2Label->setText(q(" " + table.StrUpdateDate + ":"));
    m_Label2->setText(q(table.StrChanges + ":"));
    m_Label3->setText(q(table.StrOpenSite + ":"));
    m_Button2->setText(q(table.StrRemindLater));
}

void TForm6::Label4Click() {
    // The address comes from the web: only a web page is opened, never a local file or
    // another program's scheme.
    const QUrl page = QUrl::fromUserInput(m_Label4->text());
    if (page.isValid() && (page.scheme() == "http" || page.scheme() == "https"))
        QDesktopServices::openUrl(page);
}

void TForm6::Label4MouseMove() {
    setLinkColour(Qt::red);
}

void TForm6::FormMouseMove() {
    setLinkColour(Qt::blue);
}

void TForm6::Button1Click() {
    // Made anew: a pipe or other odd entry under the name would block the window.
    const std::string path = m_folder + "/CheckTrue";
    platform::deleteFile(path);
    platform::OutputFile acknowledged(path, platform::OutputFile::Mode::Truncate);
    acknowledged.close();
    close();
}

void TForm6::Button2Click() {
    close();
}

void TForm6::setLinkColour(const QColor& colour) {
    QPalette palette = m_Label4->palette();
    palette.setColor(QPalette::WindowText, colour);
    m_Label4->setPalette(palette);
}

bool TForm6::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_Label4) {
        switch (event->type()) {
        case QEvent::Enter:
            Label4MouseMove();
            break;
        case QEvent::MouseMove:
            // Kept from the window behind, which would turn the link blue again.
            Label4MouseMove();
            return true;
        case QEvent::Leave:
            FormMouseMove();
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                m_Label4->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
                Label4Click();
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm6::mouseMoveEvent(QMouseEvent* event) {
    FormMouseMove();
    QDialog::mouseMoveEvent(event);
}

} // namespace tw::update
