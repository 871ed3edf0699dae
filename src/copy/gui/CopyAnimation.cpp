#include "copy/gui/CopyAnimation.h"

#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <cmath>

namespace tw::copy {

namespace {

constexpr int frames = 24;
constexpr int frameMs = 60;

void drawFolder(QPainter& p, const QRectF& r) {
    const QColor body(0xF0, 0xC8, 0x50);
    QPainterPath tab;
    tab.addRoundedRect(QRectF(r.left(), r.top(), r.width() * 0.45, r.height() * 0.3), 2, 2);
    p.setPen(QPen(QColor(0x9A, 0x73, 0x12), 1));
    p.setBrush(body.darker(110));
    p.drawPath(tab);
    p.setBrush(body);
    p.drawRoundedRect(QRectF(r.left(), r.top() + r.height() * 0.18, r.width(), r.height() * 0.82),
                      2, 2);
}

void drawSheet(QPainter& p, const QPointF& centre, double angle) {
    p.save();
    p.translate(centre);
    p.rotate(angle);
    const QRectF sheet(-7, -9, 14, 18);
    p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
    p.setBrush(Qt::white);
    p.drawRect(sheet);
    p.setPen(QPen(QColor(0x40, 0x60, 0xB0), 1));
    for (int line = 0; line < 4; ++line)
        p.drawLine(QPointF(-4, -5 + line * 3.5), QPointF(4, -5 + line * 3.5));
    p.restore();
}

} // namespace

CopyAnimation::CopyAnimation(QWidget* parent)
    : QWidget(parent)
    , m_timer(new QTimer(this)) {
    m_timer->setInterval(frameMs);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_frame = (m_frame + 1) % frames;
        update();
    });
}

void CopyAnimation::setActive(bool on) {
    // Started again on every file, it would never reach its first frame on small files.
    if (on && !m_timer->isActive())
        m_timer->start();
    else if (!on)
        m_timer->stop();
}

bool CopyAnimation::isActive() const {
    return m_timer->isActive();
}

void CopyAnimation::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = width();
    const double h = height();
    const QSizeF folder(38, 30);
    const QRectF from(w * 0.18 - folder.width() / 2, h - folder.height() - 6, folder.width(),
                      folder.height());
    const QRectF to(w * 0.82 - folder.width() / 2, from.top(), folder.width(), folder.height());
    drawFolder(p, from);
    drawFolder(p, to);

    // The sheet rises out of the left folder, arcs over and drops into the right one.
    const double t = static_cast<double>(m_frame) / (frames - 1);
    const double x = from.center().x() + (to.center().x() - from.center().x()) * t;
    const double arc = std::sin(t * 3.14159265358979);
    const double y = from.top() + 4 - arc * (from.top() - 8);
    drawSheet(p, QPointF(x, y), -20 + 40 * t);
}

} // namespace tw::copy
