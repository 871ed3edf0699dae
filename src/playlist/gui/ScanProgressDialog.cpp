#include "playlist/gui/ScanProgressDialog.h"

#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "i18n/StringTable.h"
#include "platform/FileSystem.h"
#include "ui/SessionEnd.h"
#include "ui/WindowParts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <limits>
#include <utility>

namespace tw::playlist {

namespace codes = errors::codes;
using errors::guarded;
using ui::q;

ScanProgressDialog::ScanProgressDialog(const i18n::StringTable& strings, std::string playlistPath,
                                       Scan scan, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , m_strings(strings)
    , m_playlistPath(std::move(playlistPath))
    , m_scan(std::move(scan)) {
    setObjectName("scanProgressDialog");
    setModal(true);

    m_waitLabel = ui::label("waitLabel", this);
    m_waitLabel->setAlignment(Qt::AlignCenter);
    m_waitLabel->setMinimumHeight(25);
    QFont font = m_waitLabel->font();
    font.setPixelSize(16);
    m_waitLabel->setFont(font);
    m_progressBar = ui::named<QProgressBar>("progressBar", this);
    m_progressBar->setFixedSize(235, 22);
    m_progressBar->setTextVisible(false);
    m_progressBar->setRange(0, 0);
    m_progressBar->setValue(0);
    m_cancelButton = ui::button("cancelButton", this);
    m_startTimer = ui::named<QTimer>("startTimer", this);
    m_startTimer->setInterval(50);
    m_startTimer->setSingleShot(true);

    auto* row = new QHBoxLayout;
    row->addWidget(m_progressBar);
    row->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 6, 10, 10);
    layout->setSpacing(6);
    layout->addWidget(m_waitLabel);
    layout->addLayout(row);

    connect(m_cancelButton, &QPushButton::clicked, this, &ScanProgressDialog::cancelScan);
    connect(m_startTimer, &QTimer::timeout, this, &ScanProgressDialog::runOnTimer);

    applyTexts();
    setFixedSize(sizeHint().expandedTo(QSize(322, 61)));
}

void ScanProgressDialog::applyTexts() {
    guarded(codes::ScanApplyTexts, [this] {
        m_firstShow = true;
        m_cancel = false;
        const auto& t = m_strings;
        setWindowTitle(q(t.StrScanCaption));
        m_waitLabel->setText(q(t.StrScanWait));
        m_cancelButton->setText(q(t.StrCancel));
    });
}

void ScanProgressDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the window that opened it.
    if (QWidget* owner = parentWidget())
        move(owner->frameGeometry().center() - rect().center());
    startOnFirstShow();
}

void ScanProgressDialog::startOnFirstShow() {
    guarded(codes::ScanStartOnFirstShow, [this] {
        if (!m_firstShow)
            return;
        m_startTimer->start();
        m_firstShow = false;
    });
}

void ScanProgressDialog::runOnTimer() {
    guarded(codes::ScanRunOnTimer, [this] {
        m_startTimer->stop();
        scan();
    });
}

void ScanProgressDialog::scan() {
    const std::int64_t size = platform::regularFileSize(m_playlistPath);
    m_progressBar->setRange(
        0, static_cast<int>(std::clamp<std::int64_t>(size, 0, std::numeric_limits<int>::max())));
    try {
        m_result = m_scan([this](std::uint64_t consumed) {
            m_progressBar->setValue(static_cast<int>(std::min<std::uint64_t>(
                consumed, static_cast<unsigned>(m_progressBar->maximum()))));
            QApplication::processEvents();
            // The session's end stops the scan as Cancel does.
            return !m_cancel && !ui::sessionEnding();
        });
    } catch (const std::exception& e) {
        m_result = ScanResult{};
        m_result.outcome = ScanResult::Outcome::Failed;
        m_result.reason = e.what();
    }
    m_finished = true;
    accept();
}

void ScanProgressDialog::cancelScan() {
    guarded(codes::ScanCancel, [this] { m_cancel = true; });
}

void ScanProgressDialog::closeEvent(QCloseEvent* event) {
    // Neither the close box nor Escape stops the scan: the window goes when the scan
    // returns, and only Cancel ends it early.
    if (!m_finished) {
        event->ignore();
        return;
    }
    cleanUpOnClose();
    QDialog::closeEvent(event);
}

void ScanProgressDialog::reject() {
    if (m_finished)
        QDialog::reject();
}

void ScanProgressDialog::cleanUpOnClose() {
    guarded(codes::ScanCleanUpOnClose, [this] { m_startTimer->stop(); });
}

} // namespace tw::playlist
