#pragma once

#include "app/ProgramPaths.h"

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

class QCheckBox;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
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

// The main window: the copy set-up (playlist, destination, options), the information panel
// and the buttons. Its creation reads Settings.ini; its closing writes it.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    // paths: the program folder that every data file lives below.
    explicit TForm1(ProgramPaths paths, QWidget* parent = nullptr);
    ~TForm1() override;

    const ProgramPaths& paths() const { return m_paths; }

    // Set while a handler has a modal window or box open.
    bool busy() const { return m_busy; }

    // Program constants, set at start-up (shown by the About window).
    const std::string& programName() const { return m_programName; }
    const std::string& programVersion() const { return m_programVersion; }
    const std::string& programEdition() const { return m_programEdition; }

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormCloseQuery(bool& CanClose);
    void FormClose();
    void Button6Click();
    void CheckBox5Click();
    void Timer1Timer();
    void Timer2Timer();

    // Loads a language into the string table and re-captions this window.
    void LoadLanguage(const std::string& name);

    // The size text of the size labels, under this window's guard.
    std::string CalSize(bool hideZero, std::int64_t kb);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void applyCaptions(const i18n::StringTable& table);
    void fitToContents();

    ProgramPaths m_paths;

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
    QPushButton* m_Button5 = nullptr;
    QPushButton* m_BitBtn1 = nullptr;
    QPushButton* m_Button4 = nullptr;
    QPushButton* m_Button3 = nullptr;
    QPushButton* m_Button6 = nullptr;
    QFileDialog* m_OpenDialogBU = nullptr;
    QTimer* m_Timer1 = nullptr; // polls for the checker's answer
    QTimer* m_Timer2 = nullptr; // retries the announcement while a modal window is open

    // The new-version check.
    std::unique_ptr<update::MainWindowCheckHost> m_checkHost;
    std::unique_ptr<update::NewVersionCheck> m_newVersionCheck;
    void startNewVersionCheck();

    // Start-up state.
    bool m_busy = false;
    bool m_firstShow = false;
    std::string m_programName;
    std::string m_programVersion;
    std::string m_programEdition;

    // The parts of the copy set-up that the information labels show.
    std::string m_countText;
    std::int64_t m_listSizeKB = 0;
    std::int64_t m_destinationFreeKB = 0;
};

} // namespace tw::app
