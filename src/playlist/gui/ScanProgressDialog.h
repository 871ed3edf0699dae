#pragma once

#include "playlist/ListScan.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tw::i18n {
struct StringTable;
}

namespace tw::playlist {

// The list scan window: a progress bar and Cancel while the playlist is counted. The scan
// starts 50 ms after the window shows, runs on the user-interface thread and lets the
// event queue run every 10 lines; the window closes itself when the scan returns.
class ScanProgressDialog : public QDialog {
    Q_OBJECT

public:
    // The scan itself: asks keepGoing every tenth line with the bytes read; false cancels.
    using Scan =
        std::function<ScanResult(const std::function<bool(std::uint64_t bytesRead)>& keepGoing)>;

    // playlistPath: the playlist the scan reads (the bar's full scale is its size).
    ScanProgressDialog(const i18n::StringTable& strings, std::string playlistPath, Scan scan,
                       QWidget* parent = nullptr);

    // What the scan found; valid once the window has closed.
    const ScanResult& result() const { return m_result; }

    // Handlers.
    void applyTexts();
    void startOnFirstShow();
    void runOnTimer();
    void cancelScan();
    void cleanUpOnClose();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    const i18n::StringTable& m_strings;
    void scan();

    std::string m_playlistPath;
    Scan m_scan;

    QLabel* m_waitLabel = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QTimer* m_startTimer = nullptr;

    bool m_firstShow = true;
    bool m_cancel = false;
    bool m_finished = false;
    ScanResult m_result;
};

} // namespace tw::playlist
