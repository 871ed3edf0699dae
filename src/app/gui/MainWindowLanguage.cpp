// The language side of the main window: the language menu, the language steps of its first
// show, and the re-captioning while a language loads.
#include "app/DialogFilter.h"
#include "app/gui/MainWindow.h"
#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "i18n/LanguageScan.h"
#include "i18n/StringTable.h"
#include "job/SizeText.h"
#include "ui/FittedCaption.h"
#include "ui/QtTranslation.h"
#include "ui/WindowParts.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace tw::app {

namespace codes = errors::codes;
using errors::guarded;
using ui::q;

void MainWindow::createLanguageMenu() {
    m_languageMenu = new QMenu(this);
    m_languageMenu->setObjectName("languageMenu");
    m_languageItems = new QActionGroup(m_languageMenu);
    m_languageItems->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    // The design-time item: the built-in language, ticked.
    auto* russian = new QAction(q(i18n::BuiltInDisplayName), m_languageItems);
    russian->setObjectName(i18n::BuiltInLanguage);
    russian->setCheckable(true);
    russian->setChecked(true);
    m_languageMenu->addAction(russian);
    connect(m_languageItems, &QActionGroup::triggered, this, &MainWindow::changeLanguage);
    // A language file's words are shown as written, never read as markup.
    for (QLabel* label :
         {m_playlistLabel, m_destinationLabel, m_listCountLabel, m_listSizeLabel, m_freeSpaceLabel})
        label->setTextFormat(Qt::PlainText);
    connect(m_languageButton, &QPushButton::clicked, this, &MainWindow::openLanguageMenu);
}

void MainWindow::languageFirstShow() {
    for (const i18n::LanguageEntry& language : i18n::scanLanguages(m_paths.folder())) {
        m_languageButton->setEnabled(true);
        auto* item = new QAction(m_languageItems);
        // A language's own name comes from its file: shortened where it would make the
        // menu wider than half the screen.
        ui::setFittedText(m_languageMenu, item, q(language.displayName()),
                          ui::captionWidth(this, 0.5));
        item->setObjectName(q(language.name));
        item->setCheckable(true);
        m_languageMenu->addAction(item);
    }
    loadLanguage(m_strings.CurrentLanguage);
    tickCurrentLanguage();
}

void MainWindow::tickCurrentLanguage() {
    const QString current = q(m_strings.CurrentLanguage);
    for (QAction* item : m_languageItems->actions()) {
        if (item->objectName() == current)
            item->setChecked(true);
    }
}

void MainWindow::openLanguageMenu() {
    guarded(codes::MainOpenLanguageMenu,
            [this] { m_languageMenu->popup(ui::menuPlace(m_languageButton)); });
}

void MainWindow::changeLanguage(QAction* item) {
    guarded(codes::MainChangeLanguage, [this, item] {
        // Clicking the ticked item may untick it: the current language is ticked again.
        if (m_languageItems->checkedAction() == nullptr) {
            tickCurrentLanguage();
            return;
        }
        const std::string name = item->objectName().toStdString();
        if (!item->isChecked() || name == m_strings.CurrentLanguage)
            return;
        loadLanguage(name);
        // Transliteration is a matter of the Russian interface; its tick stays as it is.
        m_transliterate->setEnabled(m_strings.CurrentLanguage == i18n::BuiltInLanguage);
    });
}

void MainWindow::loadLanguage(const std::string& name) {
    guarded(codes::MainLoadLanguage,
            [this, &name] { i18n::loadLanguage(m_strings, m_paths.folder(), name, *this); });
    // Qt's own buttons and dialogs follow; without a catalogue for it they stay English.
    m_qtTranslation->use(m_strings.CurrentLanguage);
    guarded(codes::MainLoadLanguage, [this] { refreshDriveList(); });
    // Whatever was applied, the window makes room for it.
    fitToContents();
}

std::string MainWindow::informationValue(i18n::MainCaption label, const i18n::StringTable& table) {
    const job::CopySetup& setup = m_state.setup();
    switch (label) {
    case i18n::MainCaption::ListCount:
        return m_state.countText();
    case i18n::MainCaption::ListSize:
        return job::sizeText(true, setup.listSizeKB, table);
    case i18n::MainCaption::FreeSpace:
        return job::sizeText(true, setup.freeKB, table);
    default:
        return {};
    }
}

void MainWindow::setCaption(i18n::MainCaption control, const std::string& text) {
    using i18n::MainCaption;
    switch (control) {
    case MainCaption::PlaylistLabel:
        fitCaption(m_playlistLabel, text);
        return;
    case MainCaption::DestinationLabel:
        fitCaption(m_destinationLabel, text);
        return;
    case MainCaption::ChoosePlaylist:
        fitCaption(m_choosePlaylistButton, text);
        return;
    case MainCaption::ChooseDestination:
        fitCaption(m_chooseDestinationButton, text);
        return;
    case MainCaption::About:
        fitCaption(m_aboutButton, text);
        return;
    case MainCaption::StartCopy:
        fitCaption(m_startCopyButton, text);
        return;
    case MainCaption::Exit:
        fitCaption(m_exitButton, text);
        return;
    case MainCaption::KeepStructure:
        fitCaption(m_keepStructure, text);
        return;
    case MainCaption::Transliterate:
        fitCaption(m_transliterate, text);
        return;
    case MainCaption::OnlyMp3:
        fitCaption(m_onlyMp3, text);
        return;
    case MainCaption::AsManyAsFit:
        fitCaption(m_asManyAsFit, text);
        return;
    case MainCaption::CheckNewVersion:
        fitCaption(m_checkNewVersion, text);
        return;
    case MainCaption::WritePlaylist:
        fitCaption(m_writePlaylist, text);
        return;
    case MainCaption::SkipSame:
        fitCaption(m_skipSame, text);
        return;
    case MainCaption::Number:
        fitCaption(m_numberFiles, text);
        return;
    // The window's state composes the label texts from the same table, so what it keeps
    // for later showings is what shows now.
    case MainCaption::ListCount:
        m_state.relabel();
        fitCaption(m_listCountLabel, text);
        return;
    case MainCaption::ListSize:
        m_state.relabel();
        fitCaption(m_listSizeLabel, text);
        return;
    case MainCaption::FreeSpace:
        m_state.relabel();
        fitCaption(m_freeSpaceLabel, text);
        return;
    case MainCaption::PlaylistFilter:
        setOpenDialogFilter(text);
        return;
    case MainCaption::PlaylistDialogTitle:
        m_playlistDialog->setWindowTitle(q(text));
        return;
    }
}

void MainWindow::setHelpHint(const std::string& hint) {
    m_helpButton->setToolTip(ui::plainToolTip(q(hint)));
}

} // namespace tw::app
