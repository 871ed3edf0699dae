#pragma once

#include "update/NewVersionHost.h"

#include <chrono>
#include <functional>
#include <string>

class QTimer;
class QWidget;

namespace tw::i18n {
struct StringTable;
}

namespace tw::update {

// The main window's side of the new-version check: its two timers, its busy flag, the
// new-version window over it, and the checker started as a detached process. Both timers
// run at the poll interval.
class MainWindowCheckHost : public NewVersionHost {
public:
    MainWindowCheckHost(const i18n::StringTable& strings, QWidget* owner, QTimer* answerTimer,
                        QTimer* retryTimer, std::chrono::milliseconds pollInterval,
                        std::string folder, std::function<bool()> busy,
                        std::function<void()> clearBusy);

    bool busy() const override;
    void clearBusy() override;
    void pollForAnswer(bool on) override;
    void retryAnnouncementLater(bool on) override;
    void showAnnouncement() override;
    void startChecker(const std::string& program) override;
    errors::LocalTime now() const override;
    void noteInLog(const std::string& code, const std::string& text) override;

private:
    const i18n::StringTable& m_strings;
    QWidget* m_owner;
    QTimer* m_answerTimer;
    QTimer* m_retryTimer;
    std::string m_folder;
    std::function<bool()> m_busy;
    std::function<void()> m_clearBusy;
};

} // namespace tw::update
