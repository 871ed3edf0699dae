#pragma once

#include <QDialog>

#include <string>

class QFrame;
class QLabel;
class QPushButton;
class QTextEdit;

namespace tw::i18n {
struct StringTable;
}

namespace tw::about {

class BannerBrowser;

// The About window: what the program is for, its version, a banner page, and links to the
// product's site and to the author. Its texts come from the string table when it is
// created, so each new window shows the current language.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    // programFolder: where Source/Temp.mht is found; empty: the running program's folder.
    explicit AboutDialog(const i18n::StringTable& strings, QWidget* parent = nullptr,
                         std::string programFolder = {});

    // Creates a new window, shows it modally over the parent and frees it when it closes.
    static void showAbout(const i18n::StringTable& strings, QWidget* parent,
                          const std::string& programFolder = {});

    void closeAbout();
    void openSite();
    void writeMail();
    void hoverSiteLink();
    void hoverMailLink();
    void leaveLinks();
    void leaveLinksOverPanel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    const i18n::StringTable& m_strings;
    void applyTexts();

    std::string m_programFolder;
    QFrame* m_bannerPanel = nullptr;
    BannerBrowser* m_banner = nullptr;
    QFrame* m_textPanel = nullptr;
    QTextEdit* m_aboutText = nullptr;
    QTextEdit* m_freewareText = nullptr;
    QTextEdit* m_osNoteText = nullptr;
    QFrame* m_linkPanel = nullptr;
    QLabel* m_siteCaption = nullptr;
    QLabel* m_siteLink = nullptr;
    QLabel* m_mailCaption = nullptr;
    QLabel* m_mailLink = nullptr;
    QPushButton* m_okButton = nullptr;
    QFrame* m_creditPanel = nullptr;
    QLabel* m_credit = nullptr;
};

} // namespace tw::about
