#pragma once

#include "playlist/ListScan.h"

#include <QDialog>

#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tw::playlist {

// The list scan window: a progress bar and Cancel while the playlist is counted. The scan
// starts 50 ms after the window shows, runs on the user-interface thread and lets the
// event queue run every 10 lines; the window closes itself when the scan returns.
class TFormWait : public QDialog {
    Q_OBJECT

public:
    TFormWait(std::string playlistPath, bool onlyMp3, QWidget* parent = nullptr);

    // What the scan found; valid once the window has closed.
    const ScanResult& result() const { return m_result; }

    // Handlers.
    void FormCreate();
    void FormShow();
    void Timer1Timer();
    void Button1Click();
    void FormClose();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void scan();

    std::string m_playlistPath;
    bool m_onlyMp3;

    QLabel* m_Label1 = nullptr;
    QProgressBar* m_ProgressBar1 = nullptr;
    QPushButton* m_Button1 = nullptr;
    QTimer* m_Timer1 = nullptr;

    bool m_firstShow = true;
    bool m_cancel = false;
    bool m_scanning = false;
    ScanResult m_result;
};

} // namespace tw::playlist
