#pragma once

#include "app/MainWindowServices.h"
#include "app/MainWindowState.h"
#include "app/ProgramPaths.h"
#include "i18n/LoadLanguage.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

class QAction;
class QActionGroup;
class QCheckBox;
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

namespace tw::update {
class NewVersionCheck;
class MainWindowCheckHost;
} // namespace tw::update

namespace tw::app {

// The main window: shows the copy set-up (playlist, destination, options), the information
// panel and the buttons, and turns clicks into calls on the set-up. Its creation reads
// Settings.ini; its closing writes it.
class TForm1 : public QWidget, private i18n::MainWindowCaptions {
    Q_OBJECT

public:
    // paths: the program folder that every data file lives below.
    explicit TForm1(ProgramPaths paths, QWidget* parent = nullptr);
    ~TForm1() override;

    const ProgramPaths& paths() const { return m_paths; }

    // Set while a handler has a modal window or box open.
    bool busy() const { return m_state.busy(); }

    // The copy job whose set-up this window shows.
    const CopyJob& job() const { return m_state.job(); }

    // The dialogs, drives and windows it reaches; tests replace parts of them.
    MainWindowServices& services() { return m_services; }

    // Program constants, set at start-up (shown by the About window).
    const std::string& programName() const { return m_programName; }
    const std::string& programVersion() const { return m_programVersion; }
    const std::string& programEdition() const { return m_programEdition; }

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormCloseQuery(bool& CanClose);
    void FormClose();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button5Click();
    void Button6Click();
    void BitBtn1Click();
    void CheckBox4Click();
    void CheckLaunchEnabled();
    void CheckBox5Click();
    void Timer1Timer();
    void Timer2Timer();

    // Loads a language into the string table and re-captions this window.
    void LoadLanguage(const std::string& name);

    // The language menu: Button4 opens it; a click on one of its items changes the language.
    void Button4Click();
    void ChangeLanguage(QAction* item);

    // The size text of the size labels, under this window's guard.
    std::string CalSize(bool hideZero, std::int64_t kb);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void applyCaptions(const i18n::StringTable& table);
    void fitToContents();
    void showSetup();

    // The language side: the menu with its design-time item, and the steps of the first show
    // (menu built once, the language loaded, its item ticked).
    void createLanguageMenu();
    void languageFirstShow();
    void tickCurrentLanguage();
    std::string informationValue(i18n::MainCaption label, const i18n::StringTable& table) override;
    void setCaption(i18n::MainCaption control, const std::string& text) override;
    void setHelpHint(const std::string& hint) override;

    ProgramPaths m_paths;
    MainWindowServices m_services = MainWindowServices::system();
    MainWindowState m_state{i18n::strings()};

    QLabel* m_LabeledEdit1Label = nullptr;
    QLineEdit* m_LabeledEdit1 = nullptr;
    QPushButton* m_Button1 = nullptr;
    QLabel* m_LabeledEdit2Label = nullptr;
    QLineEdit* m_LabeledEdit2 = nullptr;
    QPushButton* m_Button2 = nullptr;
    QFrame* m_Panel1 = nullptr;
    QLabel* m_Label1 = nullptr;
    QLabel* m_Label2 = nullptr;
    QLabel* m_Label3 = nullptr;
    QCheckBox* m_CheckBox5 = nullptr;
    QCheckBox* m_CheckBox1 = nullptr;
    QCheckBox* m_CheckBox2 = nullptr;
    QCheckBox* m_CheckBox3 = nullptr;
    QCheckBox* m_CheckBox4 = nullptr;
    QCheckBox* m_CheckBox6 = nullptr; // a playlist of the copied files on the destination
    QCheckBox* m_CheckBox7 = nullptr; // leave files already there as they are
    QPushButton* m_Button5 = nullptr;
    QPushButton* m_BitBtn1 = nullptr;
    QPushButton* m_Button4 = nullptr;
    QPushButton* m_Button3 = nullptr;
    QPushButton* m_Button6 = nullptr;
    QFileDialog* m_OpenDialogBU = nullptr;
    QMenu* m_PopupMenu1 = nullptr;
    QActionGroup* m_languageItems = nullptr; // radio group of the menu's items
    QTimer* m_Timer1 = nullptr;              // polls for the checker's answer
    QTimer* m_Timer2 = nullptr; // retries the announcement while a modal window is open

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
