#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QFrame;

namespace tw::i18n {
struct StringTable;
}

namespace tw::update {

// The new-version window: version, release date, change notes and a link to the product
// page, read from the announcement file of the current language. Ok records that the user
// has seen it (CheckTrue); the other button leaves it to be shown at the next start.
class NewVersionDialog : public QDialog {
    Q_OBJECT

public:
    // folder: the checker's folder (Freshpoll), where the announcement waits.
    NewVersionDialog(const i18n::StringTable& strings, std::string folder,
                     QWidget* parent = nullptr);

    void applyTexts();
    void openSite();
    void hoverLink();
    void leaveLink();
    void acknowledge();
    void remindLater();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    const i18n::StringTable& m_strings;

    std::string m_folder;
    QString m_page; // the product page as announced, whole
    QLabel* m_titleLabel = nullptr;
    QLabel* m_versionLabel = nullptr;
    QLineEdit* m_versionField = nullptr;
    QLabel* m_dateLabel = nullptr;
    QLineEdit* m_dateField = nullptr;
    QLabel* m_changesLabel = nullptr;
    QPlainTextEdit* m_changesText = nullptr;
    QLabel* m_siteLabel = nullptr;
    QLabel* m_siteLink = nullptr;
    QFrame* m_separator = nullptr;
    QPushButton* m_remindLaterButton = nullptr;
    QPushButton* m_okButton = nullptr;
};

} // namespace tw::update
