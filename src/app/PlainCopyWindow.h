#pragma once

#include "app/CopyWindow.h"
#include "copy/CopyHost.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tw::app {

// A plain copy window until the copy progress window with its collision dialog comes: the
// current file, a gauge and Cancel. A target that exists already is skipped, never replaced.
class PlainCopyWindow : public QDialog, public CopyWindow, private copy::CopyHost {
    Q_OBJECT

public:
    explicit PlainCopyWindow(QWidget* mainWindow);

    CopyOutcome execCopy(const copy::RunSetup& setup) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void showCurrentFile(const std::string& fileName) override;
    void setElapsedText(const std::string& text) override;
    void setGauge(std::int64_t positionKB, std::int64_t maximumKB) override;
    void setAnimation(bool) override {}
    void setStatus(const std::string& text) override;
    void processEvents() override;
    bool paused() const override { return false; }
    bool cancelRequested() const override { return m_cancelRequest; }
    void clearCancelRequest() override { m_cancelRequest = false; }
    void sleepMs(int ms) override;
    bool askStop() override;
    copy::CollisionAnswer askCollision(const copy::CollisionQuestion& q) override;
    void showAutoRenameNotice() override;
    bool fileProgress(std::uint64_t bytesDone, std::uint64_t bytesTotal) override;

    QWidget* m_mainWindow;
    QLabel* m_Label1 = nullptr;
    QLabel* m_Label2 = nullptr;
    QProgressBar* m_Gauge = nullptr;
    QPushButton* m_Button1 = nullptr;
    bool m_cancelRequest = false;
    bool m_running = false;
};

} // namespace tw::app
