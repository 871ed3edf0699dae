#pragma once

#include "copy/CopyRun.h"
#include "copy/ProgressDisplay.h"
#include "copy/RunControl.h"
#include "copy/RunQuestions.h"

#include <QDialog>
#include <QElapsedTimer>

#include <cstdint>
#include <functional>
#include <string>

class QLabel;
class QPushButton;
class QTimer;

namespace tw::i18n {
struct StringTable;
}

namespace tw::copy {

class CopyAnimation;
class Gauge;

// The copy progress window: the animation, the gauge, the elapsed time, the current file,
// Pause/Continue and Cancel. It hides the main window while it is open, starts the run 50 ms
// after it first shows and is the run's display, control and questions. The run stays on
// this thread and the window's events are pumped inside it, so the window refuses to close
// until the run has returned; a close asked for meanwhile is a Cancel.
class CopyProgressDialog : public QDialog,
                           public ProgressDisplay,
                           public RunControl,
                           public RunQuestions {
    Q_OBJECT

public:
    // The run, given the window as its three hosts.
    using Run = std::function<CopyRun::End(ProgressDisplay&, RunControl&, RunQuestions&)>;
    // Opens a folder in the desktop's file manager (the collision dialog's two buttons).
    using OpenFolder = std::function<void(const std::string& folder)>;

    // flags: the run's pause, cancel and stop flags (Pause writes them at once, so a pause
    // pressed during a file holds the run right after it).
    CopyProgressDialog(const i18n::StringTable& strings, Run run, RunFlags& flags,
                       QWidget* mainWindow, OpenFolder openFolder = {});

    // Shows the window modally, runs the copy and returns how it ended once the window has
    // closed and the main window shows again.
    CopyRun::End execRun();

    bool paused() const { return !m_running; }
    bool runOnStack() const { return m_inRun; }

    // Handlers.
    void applyTexts();
    void startOnFirstShow();
    void runOnTimer();
    void cleanUpOnClose();
    void cancelCopy();
    void togglePause();
    void pauseCopy();

    // The run's display.
    void showCurrentFile(const std::string& fileName) override;
    void setElapsedText(const std::string& text) override;
    void setGauge(std::int64_t positionKB, std::int64_t maximumKB) override;
    void setAnimation(bool on) override;
    void setStatus(const std::string& text) override;
    void fileProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal) override;

    // The run's control.
    void processEvents(RunFlags& flags) override;
    void sleepMs(int ms) override;
    bool continueFile() override;

    // The run's questions.
    bool askStop() override;
    CollisionAnswer askCollision(const CollisionQuestion& q) override;
    void showAutoRenameNotice() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void done(int result) override;

private:
    const i18n::StringTable& m_strings;
    void showElapsedNow();

    Run m_run;
    RunFlags& m_flags;
    QWidget* m_mainWindow;
    OpenFolder m_openFolder;

    CopyAnimation* m_animation = nullptr;
    Gauge* m_gauge = nullptr;
    QLabel* m_elapsedLabel = nullptr;
    QLabel* m_currentFileLabel = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_pauseButton = nullptr;
    QTimer* m_startTimer = nullptr;

    bool m_firstShow = true;
    bool m_running = true;        // not paused
    bool m_cancelRequest = false; // Cancel pressed since the run last looked
    bool m_inRun = false;
    bool m_closing = false;
    CopyRun::End m_end = CopyRun::End::Failed;

    // The gauge between two entries: where the last entry left it, plus the file in hand.
    std::int64_t m_gaugeBaseKB = 0;
    // The elapsed time as the run counts it (pauses excluded), kept going within a file.
    QElapsedTimer m_clock;
    std::int64_t m_pausedMs = 0;
    QElapsedTimer m_sinceElapsedShown;
    QElapsedTimer m_sincePump;
};

} // namespace tw::copy
