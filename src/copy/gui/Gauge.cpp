#include "copy/gui/Gauge.h"

#include <QPainter>

#include <algorithm>
#include <limits>

namespace tw::copy {

Gauge::Gauge(QWidget* parent)
    : QWidget(parent) {}

void Gauge::setMaximum(std::int64_t maximum) {
    maximum = std::max<std::int64_t>(maximum, 0);
    if (maximum == m_maximum)
        return;
    m_maximum = maximum;
    update();
}

void Gauge::setPosition(std::int64_t position) {
    position = std::max<std::int64_t>(position, 0);
    const int before = percent();
    const std::int64_t old = m_position;
    m_position = position;
    // Repaint only when the picture changes: a pixel of bar or a figure.
    if (percent() != before ||
        (m_maximum > 0 && (old * width()) / m_maximum != (m_position * width()) / m_maximum))
        update();
}

int Gauge::percent() const {
    if (m_maximum <= 0)
        return 0;
    const std::int64_t at = std::min(m_position, m_maximum);
    // Twice-divided so that sizes near the 64-bit limit cannot overflow.
    if (m_maximum > std::numeric_limits<std::int64_t>::max() / 100)
        return static_cast<int>(at / (m_maximum / 100));
    return static_cast<int>(at * 100 / m_maximum);
}

void Gauge::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect all = rect();
    const QColor background = palette().color(QPalette::Window);
    const QColor bar(0x00, 0x00, 0x80);
    p.fillRect(all, background);
    int filled = 0;
    if (m_maximum > 0) {
        const double share =
            static_cast<double>(std::min(m_position, m_maximum)) / static_cast<double>(m_maximum);
        filled = static_cast<int>(share * all.width());
    }
    const QRect done(all.left(), all.top(), filled, all.height());
    p.fillRect(done, bar);

    const QString figure = QString::number(percent()) + "%";
    p.setPen(bar);
    p.drawText(all, Qt::AlignCenter, figure);
    // Over the bar the figure is drawn in the window colour, so it stays readable.
    p.setClipRect(done);
    p.setPen(background);
    p.drawText(all, Qt::AlignCenter, figure);
}

} // namespace tw::copy
