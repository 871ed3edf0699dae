#include "i18n/Unit10.h"

#include "i18n/LanguageScan.h"
#include "i18n/StringTable.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <utility>

namespace tw::i18n {

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

// The designed client size: a small window, larger only when the names need the room.
constexpr QSize designedSize(240, 120);

} // namespace

TForm10::TForm10(std::string programFolder, QWidget* parent)
    // A small window with a title but no title-bar buttons. A dialog rather than a tool
    // window: it is the program's only window at that moment, and a parentless tool window
    // has no taskbar entry to find it by once another program covers it.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_programFolder(std::move(programFolder)) {
    setObjectName("Form10");
    setWindowTitle("Tunewagon");
    setModal(true);

    m_Panel2 = new QFrame(this);
    m_Panel2->setObjectName("Panel2");
    m_Panel2->setFrameShape(QFrame::Panel);
    m_Panel2->setFrameShadow(QFrame::Sunken);
    QPalette sky = m_Panel2->palette();
    sky.setColor(QPalette::Window, QColor(0xA6, 0xCA, 0xF0));
    m_Panel2->setPalette(sky);
    m_Panel2->setAutoFillBackground(true);

    m_Label1 = new QLabel("Change language", m_Panel2);
    m_Label1->setObjectName("Label1");
    m_ComboBox1 = new QComboBox(m_Panel2);
    m_ComboBox1->setObjectName("ComboBox1");
    m_ComboBox1->setEditable(false);
    m_ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // A language may call itself anything; the window stays small, the list shows it whole.
    m_ComboBox1->setMaximumWidth(360);
    m_ComboBox1->addItem(q(BuiltInDisplayName), q(BuiltInLanguage));
    m_ComboBox1->setCurrentIndex(0);
    auto* panelLayout = new QVBoxLayout(m_Panel2);
    panelLayout->setContentsMargins(10, 8, 10, 10);
    panelLayout->setSpacing(6);
    panelLayout->addWidget(m_Label1);
    panelLayout->addWidget(m_ComboBox1);

    // The Cyrillic "Ок" of the original window.
    m_Button3 = new QPushButton("Ок", this);
    m_Button3->setObjectName("Button3");
    m_Button3->setDefault(true);
    connect(m_Button3, &QPushButton::clicked, this, &TForm10::Button3Click);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    layout->addWidget(m_Panel2);
    layout->addWidget(m_Button3, 0, Qt::AlignHCenter);

    FormCreate();
}

void TForm10::FormCreate() {
    if (platform::fileExists(m_programFolder + "/Settings.ini"))
        return;
    m_firstStart = true;
    const std::vector<LanguageEntry> languages = scanLanguages(m_programFolder);
    for (const LanguageEntry& language : languages)
        m_ComboBox1->addItem(q(language.displayName()), q(language.name));
    // The language of the user's locale is offered first; the user still confirms it.
    const int preferred =
        m_ComboBox1->findData(q(preferredLanguage(platform::messagesLocale(), languages)));
    m_ComboBox1->setCurrentIndex(preferred < 0 ? 0 : preferred);

    setFixedSize(sizeHint().expandedTo(designedSize));
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm10::showIfFirstStart() {
    if (m_firstStart)
        exec();
}

void TForm10::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    FormPaint();
}

void TForm10::FormPaint() {
    // An installation that brings Source/Settings.ini never asks for the language.
    if (m_closing || !platform::fileExists(m_programFolder + "/Source/Settings.ini"))
        return;
    m_closing = true;
    // Closed once the paint is over, not in the middle of it.
    QTimer::singleShot(0, this, [this] { done(QDialog::Rejected); });
}

void TForm10::Button3Click() {
    strings().CurrentLanguage = m_ComboBox1->currentData().toString().toStdString();
    m_closing = true;
    done(QDialog::Accepted);
}

void TForm10::done(int result) {
    // Only the button and the paint check close the window.
    if (!m_closing)
        return;
    QDialog::done(result);
}

void TForm10::reject() {
    // Escape does not close the window: the language has to be chosen.
    if (m_closing)
        QDialog::reject();
}

void TForm10::closeEvent(QCloseEvent* event) {
    // The window manager's close request is refused in the same way.
    if (m_closing)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

} // namespace tw::i18n
