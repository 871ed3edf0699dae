#include "copy/gui/CopyProgressDialog.h"

#include "copy/ElapsedText.h"
#include "copy/gui/CollisionDialog.h"
#include "copy/gui/CopyAnimation.h"
#include "copy/gui/Gauge.h"
#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "i18n/StringTable.h"
#include "ui/FittedCaption.h"
#include "ui/MessageBoxes.h"
#include "ui/SessionEnd.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace tw::copy {

namespace codes = errors::codes;
using errors::guarded;
using ui::q;

namespace {

const QSize designedSize(374, 132);
// While a large file is copied, the elapsed time moves on this often.
constexpr qint64 elapsedRefreshMs = 1000;
// Within a file the event queue runs at most this often.
constexpr qint64 pumpEveryMs = 10;

} // namespace

CopyProgressDialog::CopyProgressDialog(const i18n::StringTable& strings, Run run, RunFlags& flags,
                                       QWidget* mainWindow, OpenFolder openFolder)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_strings(strings)
    , m_run(std::move(run))
    , m_flags(flags)
    , m_mainWindow(mainWindow)
    , m_openFolder(std::move(openFolder)) {
    setObjectName("copyProgressDialog");
    setModal(true);

    m_animation = ui::named<CopyAnimation>("animation", this);
    m_animation->setFixedHeight(60);
    m_gauge = ui::named<Gauge>("gauge", this);
    auto* gaugeFrame = ui::sunkenPanel("GaugeFrame", this);
    gaugeFrame->setFixedHeight(24);
    auto* gaugeLayout = new QVBoxLayout(gaugeFrame);
    gaugeLayout->setContentsMargins(2, 2, 2, 2);
    gaugeLayout->addWidget(m_gauge);
    auto* separator = ui::named<QFrame>("separator", this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    m_elapsedLabel = ui::label("elapsedLabel", this);
    m_cancelButton = ui::button("cancelButton", this);
    m_pauseButton = ui::button("pauseButton", this);
    m_currentFileLabel = ui::label("currentFileLabel", this);
    m_currentFileLabel->setFrameShape(QFrame::Panel);
    m_currentFileLabel->setFrameShadow(QFrame::Sunken);
    m_currentFileLabel->setFixedHeight(m_currentFileLabel->fontMetrics().height() + 4);
    m_currentFileLabel->setTextFormat(Qt::PlainText);
    // A long name must not widen the window; it is cut at the panel's edge.
    m_currentFileLabel->setMinimumWidth(1);
    m_currentFileLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_startTimer = ui::named<QTimer>("startTimer", this);
    m_startTimer->setInterval(50);
    m_startTimer->setSingleShot(true);

    auto* row = new QHBoxLayout;
    row->addWidget(m_elapsedLabel, 1);
    row->addWidget(m_pauseButton);
    row->addWidget(m_cancelButton);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 0, 8, 4);
    body->setSpacing(6);
    body->addWidget(gaugeFrame);
    body->addWidget(separator);
    body->addLayout(row);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_animation);
    layout->addLayout(body);
    layout->addStretch(1);
    layout->addWidget(m_currentFileLabel);

    connect(m_cancelButton, &QPushButton::clicked, this, &CopyProgressDialog::cancelCopy);
    connect(m_pauseButton, &QPushButton::clicked, this, &CopyProgressDialog::togglePause);
    connect(m_startTimer, &QTimer::timeout, this, &CopyProgressDialog::runOnTimer);

    applyTexts();
    setFixedSize(sizeHint().expandedTo(designedSize));
}

CopyRun::End CopyProgressDialog::execRun() {
    exec();
    return m_end;
}

void CopyProgressDialog::applyTexts() {
    guarded(codes::CopyApplyTexts, [this] {
        if (m_mainWindow != nullptr)
            m_mainWindow->hide();
        m_running = true;
        m_cancelRequest = false;
        m_firstShow = true;
        m_end = CopyRun::End::Failed;
        const auto& t = m_strings;
        setWindowTitle(q(t.StrCopyingCaption));
        // Captions from a language file are shortened rather than let the window grow past
        // the screen: the elapsed time takes a third of it at most, each button a quarter.
        ui::setFittedText(m_cancelButton, q(t.StrCancel), ui::captionWidth(this, 0.25));
        ui::setFittedText(m_pauseButton, q(t.StrPause), ui::captionWidth(this, 0.25));
        setElapsedText(t.StrElapsed + " " + elapsedText(0));
    });
}

void CopyProgressDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred where the main window stood (it is hidden now, its place is still known).
    if (m_mainWindow != nullptr)
        move(m_mainWindow->frameGeometry().center() - rect().center());
    startOnFirstShow();
}

void CopyProgressDialog::startOnFirstShow() {
    guarded(codes::CopyStartOnFirstShow, [this] {
        if (!m_firstShow)
            return;
        m_startTimer->start();
        m_firstShow = false;
    });
}

void CopyProgressDialog::runOnTimer() {
    guarded(codes::CopyRunOnTimer, [this] {
        m_startTimer->stop();
        m_clock.start();
        m_sinceElapsedShown.start();
        m_pausedMs = 0;
        m_gaugeBaseKB = 0;
        setAnimation(true);
        m_inRun = true;
        struct RunEnds {
            bool& inRun;
            ~RunEnds() { inRun = false; }
        } runEnds{m_inRun};
        m_end = m_run(*this, *this, *this);
    });
    m_inRun = false;
    close();
}

void CopyProgressDialog::done(int result) {
    if (m_inRun) {
        // Closing would pull the window from under the run: it is a Cancel instead.
        cancelCopy();
        return;
    }
    if (!m_closing) {
        m_closing = true;
        cleanUpOnClose();
    }
    QDialog::done(result);
}

void CopyProgressDialog::reject() {
    done(QDialog::Rejected);
}

void CopyProgressDialog::closeEvent(QCloseEvent* event) {
    if (m_inRun) {
        cancelCopy();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CopyProgressDialog::cleanUpOnClose() {
    guarded(codes::CopyCleanUpOnClose, [this] {
        m_startTimer->stop();
        m_running = false;
        setAnimation(false);
        if (m_mainWindow != nullptr)
            m_mainWindow->show();
    });
}

void CopyProgressDialog::cancelCopy() {
    guarded(codes::CopyCancel, [this] { m_cancelRequest = true; });
}

void CopyProgressDialog::togglePause() {
    guarded(codes::CopyTogglePause, [this] { pauseCopy(); });
}

void CopyProgressDialog::pauseCopy() {
    guarded(codes::CopyPause, [this] {
        const auto& t = m_strings;
        m_running = !m_running;
        m_flags.setPaused(!m_running);
        ui::setFittedText(m_pauseButton, q(m_running ? t.StrPause : t.StrResume),
                          ui::captionWidth(this, 0.25));
        setAnimation(m_running);
    });
}

void CopyProgressDialog::showCurrentFile(const std::string& fileName) {
    m_currentFileLabel->setText(q(fileName));
}

void CopyProgressDialog::setElapsedText(const std::string& text) {
    ui::setFittedText(m_elapsedLabel, q(text), ui::captionWidth(this, 1.0 / 3));
    m_sinceElapsedShown.start();
}

void CopyProgressDialog::showElapsedNow() {
    const qint64 ms = std::max<qint64>(0, m_clock.elapsed() - m_pausedMs);
    setElapsedText(m_strings.StrElapsed + " " + elapsedText(static_cast<std::uint32_t>(ms)));
}

void CopyProgressDialog::setGauge(std::int64_t positionKB, std::int64_t maximumKB) {
    m_gaugeBaseKB = positionKB;
    m_gauge->setMaximum(maximumKB);
    m_gauge->setPosition(positionKB);
}

void CopyProgressDialog::setAnimation(bool on) {
    m_animation->setActive(on);
}

void CopyProgressDialog::setStatus(const std::string& text) {
    m_currentFileLabel->setText(q(text));
}

void CopyProgressDialog::fileProgress(std::uint64_t bytesDone, std::uint64_t) {
    // The entry's kilobytes were counted before its copy; the bar moves within it from
    // where the last entry left it.
    const auto doneKB = static_cast<std::int64_t>(bytesDone / 1024);
    m_gauge->setPosition(std::min(m_gaugeBaseKB + doneKB, m_gauge->maximum()));
    if (m_sinceElapsedShown.isValid() && m_sinceElapsedShown.elapsed() >= elapsedRefreshMs)
        showElapsedNow();
}

void CopyProgressDialog::processEvents(RunFlags& flags) {
    QApplication::processEvents();
    m_sincePump.start();
    flags.setPaused(!m_running);
    if (m_cancelRequest) {
        m_cancelRequest = false;
        flags.requestCancel();
    }
    // The session ending stops the run as a confirmed Cancel does.
    if (ui::sessionEnding())
        flags.confirmStop();
}

void CopyProgressDialog::sleepMs(int ms) {
    QThread::msleep(static_cast<unsigned long>(std::max(ms, 0)));
    m_pausedMs += ms;
}

bool CopyProgressDialog::continueFile() {
    // Input is taken between chunks, but a Cancel waits for the end of the file: answering
    // No to the stop question must not have lost it. Chunks of a fast disk come quicker than
    // an eye can follow; the queue runs every pumpEveryMs at most, and always between files.
    if (!m_sincePump.isValid() || m_sincePump.elapsed() >= pumpEveryMs) {
        QApplication::processEvents();
        m_sincePump.start();
    }
    // The clock goes on while files wait for the device too.
    if (m_sinceElapsedShown.isValid() && m_sinceElapsedShown.elapsed() >= elapsedRefreshMs)
        showElapsedNow();
    // The session is ending: the file in hand is abandoned rather than made to wait for.
    return !ui::sessionEnding();
}

bool CopyProgressDialog::askStop() {
    const auto& t = m_strings;
    if (ui::sessionEnding())
        return true;
    // The question closed by the session's end counts as a Yes.
    return ui::ask(t.StrAskStopCopy, t.StrConfirmCaption, this) || ui::sessionEnding();
}

CollisionAnswer CopyProgressDialog::askCollision(const CollisionQuestion& question) {
    // The picture stands still while the dialog waits for an answer.
    setAnimation(false);
    CollisionAnswer answer;
    if (!ui::sessionEnding()) {
        CollisionDialog dialog(m_strings, question, this, m_openFolder);
        dialog.exec();
        answer = dialog.answer();
    }
    setAnimation(true);
    // The dialog closed by the session's end (or never opened for it) is a confirmed stop.
    if (ui::sessionEnding()) {
        answer = CollisionAnswer{};
        answer.stopConfirmed = true;
    }
    return answer;
}

void CopyProgressDialog::showAutoRenameNotice() {
    if (ui::sessionEnding())
        return;
    const auto& t = m_strings;
    ui::MsgDialog(this, t.StrAutoRenameOn + "\n" + t.StrSameSize + "\n" + t.StrNotAgain,
                  QMessageBox::Ok, "Info", t.StrConfirmCaption);
}

} // namespace tw::copy
