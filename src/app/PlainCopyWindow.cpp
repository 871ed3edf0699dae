#include "app/PlainCopyWindow.h"

#include "copy/CopyRun.h"
#include "i18n/StringTable.h"
#include "ui/MessageBoxes.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

namespace tw::app {

using ui::q;

PlainCopyWindow::PlainCopyWindow(QWidget* mainWindow)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_mainWindow(mainWindow) {
    setObjectName("FormCopy");
    setModal(true);
    const auto& t = i18n::strings();
    setWindowTitle(q(t.StrCopyingCaption));
    m_Label1 = ui::label("Label1", this);
    m_Label1->setMinimumWidth(360);
    m_Label2 = ui::label("Label2", this);
    m_Gauge = ui::named<QProgressBar>("Gauge1", this);
    m_Gauge->setRange(0, 1000);
    m_Button1 = ui::button("Button1", this);
    m_Button1->setText(q(t.StrCancel));
    auto* row = new QHBoxLayout;
    row->addWidget(m_Label2, 1);
    row->addWidget(m_Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Label1);
    layout->addWidget(m_Gauge);
    layout->addLayout(row);
    connect(m_Button1, &QPushButton::clicked, this, [this] { m_cancelRequest = true; });
}

CopyOutcome PlainCopyWindow::execCopy(const copy::RunSetup& setup) {
    CopyOutcome outcome;
    QTimer::singleShot(50, this, [this, &setup, &outcome] {
        m_running = true;
        copy::CopyPlayList run(setup, *this);
        try {
            switch (run.run()) {
            case copy::CopyPlayList::End::Completed:
                outcome.end = CopyOutcome::End::Completed;
                break;
            case copy::CopyPlayList::End::Cancelled:
                outcome.end = CopyOutcome::End::Cancelled;
                break;
            case copy::CopyPlayList::End::Failed:
                outcome.end = CopyOutcome::End::Failed;
                break;
            }
        } catch (const std::exception&) {
            // The failure could not even be logged; the counters still tell what was done.
            outcome.end = CopyOutcome::End::Failed;
        }
        outcome.counters = run.counters();
        m_running = false;
        accept();
    });
    if (m_mainWindow != nullptr)
        m_mainWindow->hide();
    exec();
    if (m_mainWindow != nullptr)
        m_mainWindow->show();
    return outcome;
}

void PlainCopyWindow::closeEvent(QCloseEvent* event) {
    // A close during the run is a cancel request; the window goes when the run returns.
    if (m_running) {
        m_cancelRequest = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void PlainCopyWindow::reject() {
    if (m_running) {
        m_cancelRequest = true;
        return;
    }
    QDialog::reject();
}

void PlainCopyWindow::showCurrentFile(const std::string& fileName) {
    m_Label1->setText(q(fileName));
}

void PlainCopyWindow::setElapsedText(const std::string& text) {
    m_Label2->setText(q(text));
}

void PlainCopyWindow::setGauge(std::int64_t positionKB, std::int64_t maximumKB) {
    const std::int64_t permille =
        maximumKB > 0 ? std::clamp<std::int64_t>(positionKB * 1000 / maximumKB, 0, 1000) : 0;
    m_Gauge->setValue(static_cast<int>(permille));
}

void PlainCopyWindow::setStatus(const std::string& text) {
    m_Label1->setText(q(text));
}

void PlainCopyWindow::processEvents() {
    QApplication::processEvents();
}

void PlainCopyWindow::sleepMs(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

bool PlainCopyWindow::askStop() {
    const auto& t = i18n::strings();
    return ui::ask(t.StrAskStopCopy, t.StrConfirmCaption, this);
}

copy::CollisionAnswer PlainCopyWindow::askCollision(const copy::CollisionQuestion&) {
    copy::CollisionAnswer answer;
    answer.action = copy::CollisionAction::Skip;
    return answer;
}

void PlainCopyWindow::showAutoRenameNotice() {}

bool PlainCopyWindow::fileProgress(std::uint64_t, std::uint64_t) {
    QApplication::processEvents();
    return true;
}

} // namespace tw::app
