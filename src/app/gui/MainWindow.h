#pragma once

#include "app/MainWindowState.h"
#include "app/gui/MainWindowServices.h"
#include "i18n/LoadLanguage.h"
#include "job/ProgramPaths.h"

#include <QWidget>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

class QAbstractButton;
class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;

namespace tw::i18n {
struct StringTable;
}

namespace tw::ui {
class QtTranslation;
}

namespace tw::platform {
class RemovableDriveWatch;
struct RemovableDrive;
} // namespace tw::platform

namespace tw::update {
class NewVersionCheck;
class MainWindowCheckHost;
} // namespace tw::update

namespace tw::app {

// The main window: shows the copy set-up (playlist, destination, options), the information
// panel and the buttons, and turns clicks into calls on the set-up. Its creation reads
// Settings.ini; its closing writes it.
class MainWindow : public QWidget, private i18n::MainWindowCaptions {
    Q_OBJECT

public:
    // paths: where the shipped files are read and the user's files kept.
    // strings: the texts it shows, which its language menu loads; they outlive the window.
    MainWindow(job::ProgramPaths paths, i18n::StringTable& strings, QWidget* parent = nullptr);
    // As above; checkerPoll: how often the window looks for the new-version checker's answer
    // (tests shorten it).
    MainWindow(job::ProgramPaths paths, i18n::StringTable& strings, QWidget* parent,
               std::chrono::milliseconds checkerPoll);
    ~MainWindow() override;

    const job::ProgramPaths& paths() const { return m_paths; }

    // Set while a handler has a modal window or box open.
    bool busy() const { return m_state.busy(); }

    // The copy job whose set-up this window shows.
    const job::CopyJob& job() const { return m_state.job(); }

    // The dialogs, drives and windows it reaches; tests replace parts of them.
    MainWindowServices& services() { return m_services; }

    // Program constants, set at start-up (shown by the About window).
    const std::string& programName() const { return m_programName; }
    const std::string& programVersion() const { return m_programVersion; }
    const std::string& programEdition() const { return m_programEdition; }

    // Handlers.
    void loadSettings();
    void prepareOnShow();
    void confirmClose(bool& canClose);
    void saveSettings();
    void choosePlaylist();
    void chooseDestination();
    // A removable drive of the list beside the destination's Choose... taken as the
    // destination (index 0 is the list's caption).
    void chooseRemovableDrive(int index);
    // Fills the list of removable drives afresh.
    void refreshDriveList();
    void showAbout();
    void startCopy();
    void exitProgram();
    void openHelp();
    void asManyAsFitClicked();
    void updateStartButton();
    void checkNewVersionToggled();
    void pollCheckerAnswer();
    void retryAnnouncement();

    // Opens a playlist as the open dialog would (the list scan runs, its window shows), and
    // takes a folder as the folder browser would; a bad one gets the same box as a bad
    // choice. The command line and a drop on the window come here.
    void openPlaylist(const std::string& path);
    void useDestination(const std::string& folder);

    // Loads a language into the string table and re-captions this window.
    void loadLanguage(const std::string& name);

    // The language menu: the language button opens it; a click on one of its items changes the
    // language.
    void openLanguageMenu();
    void changeLanguage(QAction* item);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A dropped playlist is opened, a dropped folder becomes the destination.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    void layOutControls();
    void connectControls();
    void scanChosenPlaylist(const std::string& path);
    void applyCaptions(const i18n::StringTable& table);
    // A caption from the string table, shortened where it would widen the window past
    // the screen (the whole text then in its tooltip).
    void fitCaption(QAbstractButton* control, const std::string& text);
    void fitCaption(QLabel* label, const std::string& text);
    // The open dialog's filter: the descriptions from the table, the patterns the
    // program's own.
    void setOpenDialogFilter(const std::string& filter);
    void fitToContents();
    void showSetup();
    // The destination step after the folder is known: its free space, the messages, the
    // launch rule.
    void takeDestination(const std::string& folder);
    void watchRemovableDrives();
    // After a copy onto a removable drive: takes it out, and tells how that went.
    void safelyRemove(const platform::RemovableDrive& drive);

    // The language side: the menu with its design-time item, and the steps of the first show
    // (menu built once, the language loaded, its item ticked).
    void createLanguageMenu();
    void languageFirstShow();
    void tickCurrentLanguage();
    std::string informationValue(i18n::MainCaption label, const i18n::StringTable& table) override;
    void setCaption(i18n::MainCaption control, const std::string& text) override;
    void setHelpHint(const std::string& hint) override;

    job::ProgramPaths m_paths;
    MainWindowServices m_services = MainWindowServices::system();
    i18n::StringTable& m_strings;
    MainWindowState m_state{m_strings};

    QLabel* m_playlistLabel = nullptr;
    QLineEdit* m_playlistField = nullptr;
    QPushButton* m_choosePlaylistButton = nullptr;
    QLabel* m_destinationLabel = nullptr;
    QLineEdit* m_destinationField = nullptr;
    QPushButton* m_chooseDestinationButton = nullptr;
    QComboBox* m_driveList = nullptr; // the mounted removable drives, quick destinations
    QFrame* m_infoPanel = nullptr;
    QLabel* m_listCountLabel = nullptr;
    QLabel* m_listSizeLabel = nullptr;
    QLabel* m_freeSpaceLabel = nullptr;
    QCheckBox* m_checkNewVersion = nullptr;
    QCheckBox* m_keepStructure = nullptr;
    QCheckBox* m_transliterate = nullptr;
    QCheckBox* m_onlyMp3 = nullptr;
    QCheckBox* m_asManyAsFit = nullptr;
    QCheckBox* m_writePlaylist = nullptr; // a playlist of the copied files on the destination
    QCheckBox* m_skipSame = nullptr;      // leave files already there as they are
    QCheckBox* m_numberFiles = nullptr;   // names start with their place in playlist order
    QPushButton* m_startCopyButton = nullptr;
    QPushButton* m_helpButton = nullptr;
    QPushButton* m_languageButton = nullptr;
    QPushButton* m_aboutButton = nullptr;
    QPushButton* m_exitButton = nullptr;
    QFileDialog* m_playlistDialog = nullptr;
    QMenu* m_languageMenu = nullptr;
    QActionGroup* m_languageItems = nullptr; // radio group of the menu's items
    QTimer* m_checkerAnswerTimer = nullptr;  // polls for the checker's answer
    QTimer* m_announcementRetryTimer =
        nullptr; // retries the announcement while a modal window is open

    std::unique_ptr<platform::RemovableDriveWatch> m_driveWatch;

    // Qt's own texts in the language of the string table.
    std::unique_ptr<ui::QtTranslation> m_qtTranslation;

    // The new-version check.
    std::unique_ptr<update::MainWindowCheckHost> m_checkHost;
    std::unique_ptr<update::NewVersionCheck> m_newVersionCheck;
    void startNewVersionCheck();

    // Start-up state.
    bool m_firstShow = false;
    std::string m_programName;
    std::string m_programVersion;
    std::string m_programEdition;
};

} // namespace tw::app
