#include "copy/UnitCopyDlg.h"

#include "copy/CopyAnimation.h"
#include "copy/ElapsedText.h"
#include "copy/Gauge.h"
#include "copy/UnitCopyReWrite.h"
#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "i18n/StringTable.h"
#include "ui/MessageBoxes.h"
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

TForm2::TForm2(Run run, RunFlags& flags, QWidget* mainWindow, OpenFolder openFolder)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_run(std::move(run))
    , m_flags(flags)
    , m_mainWindow(mainWindow)
    , m_openFolder(std::move(openFolder)) {
    setObjectName("Form2");
    setModal(true);

    m_Animate1 = ui::named<CopyAnimation>("Animate1", this);
    m_Animate1->setFixedHeight(60);
    m_Gauge1 = ui::named<Gauge>("Gauge1", this);
    auto* gaugeFrame = ui::sunkenPanel("GaugeFrame", this);
    gaugeFrame->setFixedHeight(24);
    auto* gaugeLayout = new QVBoxLayout(gaugeFrame);
    gaugeLayout->setContentsMargins(2, 2, 2, 2);
    gaugeLayout->addWidget(m_Gauge1);
    auto* separator = ui::named<QFrame>("Bevel1", this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    m_Label1 = ui::label("Label1", this);
    m_Button1 = ui::button("Button1", this);
    m_Button2 = ui::button("Button2", this);
    m_Panel1 = ui::label("Panel1", this);
    m_Panel1->setFrameShape(QFrame::Panel);
    m_Panel1->setFrameShadow(QFrame::Sunken);
    m_Panel1->setFixedHeight(m_Panel1->fontMetrics().height() + 4);
    m_Panel1->setTextFormat(Qt::PlainText);
    // A long name must not widen the window; it is cut at the panel's edge.
    m_Panel1->setMinimumWidth(1);
    m_Panel1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_Timer1 = ui::named<QTimer>("Timer1", this);
    m_Timer1->setInterval(50);
    m_Timer1->setSingleShot(true);

    auto* row = new QHBoxLayout;
    row->addWidget(m_Label1, 1);
    row->addWidget(m_Button2);
    row->addWidget(m_Button1);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 0, 8, 4);
    body->setSpacing(6);
    body->addWidget(gaugeFrame);
    body->addWidget(separator);
    body->addLayout(row);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_Animate1);
    layout->addLayout(body);
    layout->addStretch(1);
    layout->addWidget(m_Panel1);

    connect(m_Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(m_Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    connect(m_Timer1, &QTimer::timeout, this, &TForm2::Timer1Timer);

    FormCreate();
    setFixedSize(sizeHint().expandedTo(designedSize));
}

CopyPlayList::End TForm2::execRun() {
    exec();
    return m_end;
}

void TForm2::FormCreate() {
    guarded(codes::CopyFormCreate, [this] {
        if (m_mainWindow != nullptr)
            m_mainWindow->hide();
        m_running = true;
        m_cancelRequest = false;
        m_firstShow = true;
        m_end = CopyPlayList::End::Failed;
        const auto& t = i18n::strings();
        setWindowTitle(q(t.StrCopyingCaption));
        m_Button1->setText(q(t.StrCancel));
        m_Button2->setText(q(t.StrPause));
        m_Label1->setText(q(t.StrElapsed + " " + elapsedText(0)));
    });
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred where the main window stood (it is hidden now, its place is still known).
    if (m_mainWindow != nullptr)
        move(m_mainWindow->frameGeometry().center() - rect().center());
    FormShow();
}

void TForm2::FormShow() {
    guarded(codes::CopyFormShow, [this] {
        if (!m_firstShow)
            return;
        m_Timer1->start();
        m_firstShow = false;
    });
}

void TForm2::Timer1Timer() {
    guarded(codes::CopyTimer1Timer, [this] {
        m_Timer1->stop();
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

void TForm2::done(int result) {
    if (m_inRun) {
        // Closing would pull the window from under the run: it is a Cancel instead.
        Button1Click();
        return;
    }
    if (!m_closing) {
        m_closing = true;
        FormClose();
    }
    QDialog::done(result);
}

void TForm2::reject() {
    done(QDialog::Rejected);
}

void TForm2::closeEvent(QCloseEvent* event) {
    if (m_inRun) {
        Button1Click();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TForm2::FormClose() {
    guarded(codes::CopyFormClose, [this] {
        m_Timer1->stop();
        m_running = false;
        setAnimation(false);
        if (m_mainWindow != nullptr)
            m_mainWindow->show();
    });
}

void TForm2::Button1Click() {
    guarded(codes::CopyButton1Click, [this] { m_cancelRequest = true; });
}

void TForm2::Button2Click() {
    guarded(codes::CopyButton2Click, [this] { PauseCopy(); });
}

void TForm2::PauseCopy() {
    guarded(codes::PauseCopy, [this] {
        const auto& t = i18n::strings();
        m_running = !m_running;
        m_flags.setPaused(!m_running);
        m_Button2->setText(q(m_running ? t.StrPause : t.StrResume));
        setAnimation(m_running);
    });
}

void TForm2::showCurrentFile(const std::string& fileName) {
    m_Panel1->setText(q(fileName));
}

void TForm2::setElapsedText(const std::string& text) {
    m_Label1->setText(q(text));
    m_sinceElapsedShown.start();
}

void TForm2::showElapsedNow() {
    const qint64 ms = std::max<qint64>(0, m_clock.elapsed() - m_pausedMs);
    setElapsedText(i18n::strings().StrElapsed + " " + elapsedText(static_cast<std::uint32_t>(ms)));
}

void TForm2::setGauge(std::int64_t positionKB, std::int64_t maximumKB) {
    m_gaugeBaseKB = positionKB;
    m_Gauge1->setMaximum(maximumKB);
    m_Gauge1->setPosition(positionKB);
}

void TForm2::setAnimation(bool on) {
    m_Animate1->setActive(on);
}

void TForm2::setStatus(const std::string& text) {
    m_Panel1->setText(q(text));
}

void TForm2::fileProgress(std::uint64_t bytesDone, std::uint64_t) {
    // The entry's kilobytes were counted before its copy; the bar moves within it from
    // where the last entry left it.
    const auto doneKB = static_cast<std::int64_t>(bytesDone / 1024);
    m_Gauge1->setPosition(std::min(m_gaugeBaseKB + doneKB, m_Gauge1->maximum()));
    if (m_sinceElapsedShown.isValid() && m_sinceElapsedShown.elapsed() >= elapsedRefreshMs)
        showElapsedNow();
}

void TForm2::processEvents(RunFlags& flags) {
    QApplication::processEvents();
    m_sincePump.start();
    flags.setPaused(!m_running);
    if (m_cancelRequest) {
        m_cancelRequest = false;
        flags.requestCancel();
    }
}

void TForm2::sleepMs(int ms) {
    QThread::msleep(static_cast<unsigned long>(std::max(ms, 0)));
    m_pausedMs += ms;
}

bool TForm2::continueFile() {
    // Input is taken between chunks, but a Cancel waits for the end of the file: answering
    // No to the stop question must not have lost it. Chunks of a fast disk come quicker than
    // an eye can follow; the queue runs every pumpEveryMs at most, and always between files.
    if (!m_sincePump.isValid() || m_sincePump.elapsed() >= pumpEveryMs) {
        QApplication::processEvents();
        m_sincePump.start();
    }
    return true;
}

bool TForm2::askStop() {
    const auto& t = i18n::strings();
    return ui::ask(t.StrAskStopCopy, t.StrConfirmCaption, this);
}

CollisionAnswer TForm2::askCollision(const CollisionQuestion& question) {
    // The picture stands still while the dialog waits for an answer.
    setAnimation(false);
    TForm3 dialog(question, this, m_openFolder);
    dialog.exec();
    setAnimation(true);
    return dialog.answer();
}

void TForm2::showAutoRenameNotice() {
    const auto& t = i18n::strings();
    ui::MsgDialog(this, t.StrAutoRenameOn + "\n" + t.StrSameSize + "\n" + t.StrNotAgain,
                  QMessageBox::Ok, "Info", t.StrConfirmCaption);
}

} // namespace tw::copy
