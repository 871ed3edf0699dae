#pragma once

#include <QDialog>

#include <string>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace tw::i18n {

struct StringTable;

// The first-start language window: when the program starts without Settings.ini it asks,
// before the main window shows, which language the program should speak. It lists the
// built-in language and every language found below the program folder, offers the one of
// the user's locale first, and closes only through its button, which sets CurrentLanguage.
// An installation that ships Source/Settings.ini never asks: the window closes as soon as it
// paints.
class FirstStartLanguageDialog : public QDialog {
    Q_OBJECT

public:
    // programFolder: the folder that holds Settings.ini, Source/ and Language/.
    FirstStartLanguageDialog(StringTable& strings, std::string programFolder,
                             QWidget* parent = nullptr);
    // programFolder: the folder of the shipped Source/ and Language/; settingsFile: the user's
    // Settings.ini wherever it lives.
    FirstStartLanguageDialog(StringTable& strings, std::string programFolder,
                             std::string settingsFile, QWidget* parent = nullptr);

    // True when creation found no Settings.ini, so the window is to be shown.
    bool firstStart() const { return m_firstStart; }

    // Shows the window modally on a first start and returns when it has closed; returns at
    // once otherwise.
    void showIfFirstStart();

    void acceptLanguage();

    void done(int result) override;
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    StringTable& m_strings;
    void prepareLanguages();
    void closeIfInstalled();

    std::string m_programFolder;
    std::string m_settingsFile;
    QFrame* m_panel = nullptr;
    QLabel* m_promptLabel = nullptr;
    QComboBox* m_languageList = nullptr;
    QPushButton* m_okButton = nullptr;
    bool m_firstStart = false;
    bool m_closing = false; // set by the button or the paint check; nothing else closes it
};

} // namespace tw::i18n
