#include "playlist/WaitDlg.h"

#include "errors/ErrorCodes.h"
#include "errors/Guard.h"
#include "i18n/StringTable.h"
#include "platform/FileSystem.h"
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

TFormWait::TFormWait(std::string playlistPath, Scan scan, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
    , m_playlistPath(std::move(playlistPath))
    , m_scan(std::move(scan)) {
    setObjectName("FormWait");
    setModal(true);

    m_Label1 = ui::label("Label1", this);
    m_Label1->setAlignment(Qt::AlignCenter);
    m_Label1->setMinimumHeight(25);
    QFont font = m_Label1->font();
    font.setPixelSize(16);
    m_Label1->setFont(font);
    m_ProgressBar1 = ui::named<QProgressBar>("ProgressBar1", this);
    m_ProgressBar1->setFixedSize(235, 22);
    m_ProgressBar1->setTextVisible(false);
    m_ProgressBar1->setRange(0, 0);
    m_ProgressBar1->setValue(0);
    m_Button1 = ui::button("Button1", this);
    m_Timer1 = ui::named<QTimer>("Timer1", this);
    m_Timer1->setInterval(50);
    m_Timer1->setSingleShot(true);

    auto* row = new QHBoxLayout;
    row->addWidget(m_ProgressBar1);
    row->addWidget(m_Button1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 6, 10, 10);
    layout->setSpacing(6);
    layout->addWidget(m_Label1);
    layout->addLayout(row);

    connect(m_Button1, &QPushButton::clicked, this, &TFormWait::Button1Click);
    connect(m_Timer1, &QTimer::timeout, this, &TFormWait::Timer1Timer);

    FormCreate();
    setFixedSize(sizeHint().expandedTo(QSize(322, 61)));
}

void TFormWait::FormCreate() {
    guarded(codes::ScanFormCreate, [this] {
        m_firstShow = true;
        m_cancel = false;
        const auto& t = i18n::strings();
        setWindowTitle(q(t.StrScanCaption));
        m_Label1->setText(q(t.StrScanWait));
        m_Button1->setText(q(t.StrCancel));
    });
}

void TFormWait::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the window that opened it.
    if (QWidget* owner = parentWidget())
        move(owner->frameGeometry().center() - rect().center());
    FormShow();
}

void TFormWait::FormShow() {
    guarded(codes::ScanFormShow, [this] {
        if (!m_firstShow)
            return;
        m_Timer1->start();
        m_firstShow = false;
    });
}

void TFormWait::Timer1Timer() {
    guarded(codes::ScanTimer, [this] {
        m_Timer1->stop();
        scan();
    });
}

void TFormWait::scan() {
    const std::int64_t size = platform::regularFileSize(m_playlistPath);
    m_ProgressBar1->setRange(
        0, static_cast<int>(std::clamp<std::int64_t>(size, 0, std::numeric_limits<int>::max())));
    try {
        m_result = m_scan([this](std::uint64_t consumed) {
            m_ProgressBar1->setValue(static_cast<int>(std::min<std::uint64_t>(
                consumed, static_cast<unsigned>(m_ProgressBar1->maximum()))));
            QApplication::processEvents();
            return !m_cancel;
        });
    } catch (const std::exception& e) {
        m_result = ScanResult{};
        m_result.outcome = ScanResult::Outcome::Failed;
        m_result.reason = e.what();
    }
    m_finished = true;
    accept();
}

void TFormWait::Button1Click() {
    guarded(codes::ScanButton1Click, [this] { m_cancel = true; });
}

void TFormWait::closeEvent(QCloseEvent* event) {
    // Neither the close box nor Escape stops the scan: the window goes when the scan
    // returns, and only Cancel ends it early.
    if (!m_finished) {
        event->ignore();
        return;
    }
    FormClose();
    QDialog::closeEvent(event);
}

void TFormWait::reject() {
    if (m_finished)
        QDialog::reject();
}

void TFormWait::FormClose() {
    guarded(codes::ScanFormClose, [this] { m_Timer1->stop(); });
}

} // namespace tw::playlist
