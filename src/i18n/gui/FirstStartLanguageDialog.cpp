#include "i18n/gui/FirstStartLanguageDialog.h"

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

FirstStartLanguageDialog::FirstStartLanguageDialog(StringTable& strings, std::string programFolder,
                                                   QWidget* parent)
    : FirstStartLanguageDialog(strings, programFolder, programFolder + "/Settings.ini", parent) {}

FirstStartLanguageDialog::FirstStartLanguageDialog(StringTable& strings, std::string programFolder,
                                                   std::string settingsFile, QWidget* parent)
    // A small window with a title but no title-bar buttons. A dialog rather than a tool
    // window: it is the program's only window at that moment, and a parentless tool window
    // has no taskbar entry to find it by once another program covers it.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_strings(strings)
    , m_programFolder(std::move(programFolder))
    , m_settingsFile(std::move(settingsFile)) {
    setObjectName("firstStartLanguageDialog");
    setWindowTitle("Tunewagon");
    setModal(true);

    m_panel = new QFrame(this);
    m_panel->setObjectName("panel");
    m_panel->setFrameShape(QFrame::Panel);
    m_panel->setFrameShadow(QFrame::Sunken);
    QPalette sky = m_panel->palette();
    sky.setColor(QPalette::Window, QColor(0xA6, 0xCA, 0xF0));
    m_panel->setPalette(sky);
    m_panel->setAutoFillBackground(true);

    m_promptLabel = new QLabel(m_panel);
    m_promptLabel->setTextFormat(Qt::PlainText);
    m_promptLabel->setText("Change language");
    m_promptLabel->setObjectName("promptLabel");
    m_languageList = new QComboBox(m_panel);
    m_languageList->setObjectName("languageList");
    m_languageList->setEditable(false);
    m_languageList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // A language may call itself anything; the window stays small, the list shows it whole.
    m_languageList->setMaximumWidth(360);
    m_languageList->addItem(q(BuiltInDisplayName), q(BuiltInLanguage));
    m_languageList->setCurrentIndex(0);
    auto* panelLayout = new QVBoxLayout(m_panel);
    panelLayout->setContentsMargins(10, 8, 10, 10);
    panelLayout->setSpacing(6);
    panelLayout->addWidget(m_promptLabel);
    panelLayout->addWidget(m_languageList);

    // The button reads "Ок" in Cyrillic letters, whatever the language.
    m_okButton = new QPushButton("Ок", this);
    m_okButton->setObjectName("okButton");
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &FirstStartLanguageDialog::acceptLanguage);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    layout->addWidget(m_panel);
    layout->addWidget(m_okButton, 0, Qt::AlignHCenter);

    prepareLanguages();
}

void FirstStartLanguageDialog::prepareLanguages() {
    if (platform::fileExists(m_settingsFile))
        return;
    m_firstStart = true;
    const std::vector<LanguageEntry> languages = scanLanguages(m_programFolder);
    for (const LanguageEntry& language : languages)
        m_languageList->addItem(q(language.displayName()), q(language.name));
    // The language of the user's locale is offered first; the user still confirms it.
    const int preferred =
        m_languageList->findData(q(preferredLanguage(platform::messagesLocale(), languages)));
    m_languageList->setCurrentIndex(preferred < 0 ? 0 : preferred);

    setFixedSize(sizeHint().expandedTo(designedSize));
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void FirstStartLanguageDialog::showIfFirstStart() {
    if (m_firstStart)
        exec();
}

void FirstStartLanguageDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    closeIfInstalled();
}

void FirstStartLanguageDialog::closeIfInstalled() {
    // An installation that brings Source/Settings.ini never asks for the language.
    if (m_closing || !platform::fileExists(m_programFolder + "/Source/Settings.ini"))
        return;
    m_closing = true;
    // Closed once the paint is over, not in the middle of it.
    QTimer::singleShot(0, this, [this] { done(QDialog::Rejected); });
}

void FirstStartLanguageDialog::acceptLanguage() {
    m_strings.CurrentLanguage = m_languageList->currentData().toString().toStdString();
    m_closing = true;
    done(QDialog::Accepted);
}

void FirstStartLanguageDialog::done(int result) {
    // Only the button and the paint check close the window.
    if (!m_closing)
        return;
    QDialog::done(result);
}

void FirstStartLanguageDialog::reject() {
    // Escape does not close the window: the language has to be chosen.
    if (m_closing)
        QDialog::reject();
}

void FirstStartLanguageDialog::closeEvent(QCloseEvent* event) {
    // The window manager's close request is refused in the same way.
    if (m_closing)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

} // namespace tw::i18n
