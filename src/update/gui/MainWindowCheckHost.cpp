#include "update/gui/MainWindowCheckHost.h"

#include "errors/DebugLog.h"
#include "errors/ErrorReporter.h"
#include "update/gui/NewVersionDialog.h"

#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <utility>

namespace tw::update {

MainWindowCheckHost::MainWindowCheckHost(const i18n::StringTable& strings, QWidget* owner,
                                         QTimer* answerTimer, QTimer* retryTimer,
                                         std::chrono::milliseconds pollInterval, std::string folder,
                                         std::function<bool()> busy,
                                         std::function<void()> clearBusy)
    : m_strings(strings)
    , m_owner(owner)
    , m_answerTimer(answerTimer)
    , m_retryTimer(retryTimer)
    , m_folder(std::move(folder))
    , m_busy(std::move(busy))
    , m_clearBusy(std::move(clearBusy)) {
    for (QTimer* timer : {m_answerTimer, m_retryTimer})
        timer->setInterval(pollInterval);
}

bool MainWindowCheckHost::busy() const {
    return m_busy();
}

void MainWindowCheckHost::clearBusy() {
    m_clearBusy();
}

void MainWindowCheckHost::pollForAnswer(bool on) {
    if (on)
        m_answerTimer->start();
    else
        m_answerTimer->stop();
}

void MainWindowCheckHost::retryAnnouncementLater(bool on) {
    if (on)
        m_retryTimer->start();
    else
        m_retryTimer->stop();
}

void MainWindowCheckHost::showAnnouncement() {
    // The window frees itself when it closes.
    QPointer<NewVersionDialog> window = new NewVersionDialog(m_strings, m_folder, m_owner);
    window->setWindowModality(Qt::ApplicationModal);
    window->exec();
}

void MainWindowCheckHost::startChecker(const std::string& program) {
    // Whether it started is not asked: without an answer the polling simply goes on.
    (void)QProcess::startDetached(QString::fromStdString(program), {});
}

errors::LocalTime MainWindowCheckHost::now() const {
    return errors::localNow();
}

void MainWindowCheckHost::noteInLog(const std::string& code, const std::string& text) {
    try {
        errors::DebugLog(errors::ErrorReporter::instance().programFolder())
            .append(code, "ScheduleNote", text);
    } catch (const std::exception&) {
        // A note is not worth an error window: the check goes on without it.
    }
}

} // namespace tw::update
