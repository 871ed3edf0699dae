#include "app/PlainCopyWindow.h"

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
    // A long file name does not stretch the window.
    m_Label1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_Label1->setText(q(t.StrCopyingCaption));
    m_Label2 = ui::label("Label2", this);
    m_Gauge = ui::named<QProgressBar>("Gauge1", this);
    m_Button1 = ui::button("Button1", this);
    m_Button1->setText(q(t.StrCancel));
    auto* row = new QHBoxLayout;
    row->addWidget(m_Label2, 1);
    row->addWidget(m_Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_Label1);
    layout->addWidget(m_Gauge);
    layout->addLayout(row);
    connect(m_Button1, &QPushButton::clicked, this, [this] { m_cancelClicked = true; });
}

copy::CopyPlayList::End PlainCopyWindow::execCopy(CopyJob& job) {
    copy::CopyPlayList::End end = copy::CopyPlayList::End::Failed;
    QTimer::singleShot(50, this, [this, &job, &end] {
        m_running = true;
        end = job.run(*this, *this, *this);
        m_running = false;
        accept();
    });
    if (m_mainWindow != nullptr)
        m_mainWindow->hide();
    exec();
    if (m_mainWindow != nullptr)
        m_mainWindow->show();
    return end;
}

void PlainCopyWindow::closeEvent(QCloseEvent* event) {
    // A close during the run is a cancel request; the window goes when the run returns.
    if (m_running) {
        m_cancelClicked = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void PlainCopyWindow::reject() {
    if (m_running) {
        m_cancelClicked = true;
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
    const copy::GaugeSteps steps = copy::gaugeSteps(positionKB, maximumKB);
    m_Gauge->setRange(0, steps.maximum);
    m_Gauge->setValue(steps.position);
}

void PlainCopyWindow::setStatus(const std::string& text) {
    m_Label1->setText(q(text));
}

void PlainCopyWindow::processEvents(copy::RunFlags& flags) {
    QApplication::processEvents();
    if (m_cancelClicked) {
        m_cancelClicked = false;
        flags.requestCancel();
    }
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

bool PlainCopyWindow::continueFile() {
    QApplication::processEvents();
    return true;
}

} // namespace tw::app
