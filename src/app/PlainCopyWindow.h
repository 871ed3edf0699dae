#pragma once

#include "app/CopyWindow.h"
#include "copy/ProgressDisplay.h"
#include "copy/RunControl.h"
#include "copy/RunQuestions.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tw::app {

// A plain copy window until the copy progress window with its collision dialog comes: the
// current file, a gauge and Cancel. A target that exists already is skipped, never replaced.
class PlainCopyWindow : public QDialog,
                        public CopyWindow,
                        private copy::ProgressDisplay,
                        private copy::RunControl,
                        private copy::RunQuestions {
    Q_OBJECT

public:
    explicit PlainCopyWindow(QWidget* mainWindow);

    copy::CopyPlayList::End execCopy(CopyJob& job) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void showCurrentFile(const std::string& fileName) override;
    void setElapsedText(const std::string& text) override;
    void setGauge(std::int64_t positionKB, std::int64_t maximumKB) override;
    void setAnimation(bool) override {}
    void setStatus(const std::string& text) override;
    void fileProgress(std::uint64_t, std::uint64_t) override {}
    void processEvents(copy::RunFlags& flags) override;
    void sleepMs(int ms) override;
    bool continueFile() override;
    bool askStop() override;
    copy::CollisionAnswer askCollision(const copy::CollisionQuestion& q) override;
    void showAutoRenameNotice() override {}

    QWidget* m_mainWindow;
    QLabel* m_Label1 = nullptr;
    QLabel* m_Label2 = nullptr;
    QProgressBar* m_Gauge = nullptr;
    QPushButton* m_Button1 = nullptr;
    bool m_cancelClicked = false;
    bool m_running = false;
};

} // namespace tw::app
