#include "ui/DrawnIcons.h"

#include <QApplication>
#include <QPainter>

namespace tw::ui {

QPixmap errorPicture(int side) {
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 41.0, side / 41.0);
    QRadialGradient fill(QPointF(15, 13), 30);
    fill.setColorAt(0, QColor(0xF2, 0x5A, 0x4A));
    fill.setColorAt(1, QColor(0xB0, 0x10, 0x10));
    p.setPen(QPen(QColor(0x80, 0x08, 0x08), 1.5));
    p.setBrush(fill);
    p.drawEllipse(QRectF(2, 2, 37, 37));
    p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 14), QPointF(27, 27));
    p.drawLine(QPointF(27, 14), QPointF(14, 27));
    return pixmap;
}

QIcon helpGlyph() {
    QPixmap pixmap(QSize(32, 32));
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient fill(QPointF(12, 10), 24);
    fill.setColorAt(0, QColor(0x6A, 0xA8, 0xF0));
    fill.setColorAt(1, QColor(0x1C, 0x5C, 0xC0));
    p.setPen(QPen(QColor(0x12, 0x40, 0x90), 1.5));
    p.setBrush(fill);
    p.drawEllipse(QRectF(2, 2, 28, 28));
    QFont font = p.font();
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(2, 2, 28, 28), Qt::AlignCenter, QStringLiteral("?"));
    return QIcon(pixmap);
}

} // namespace tw::ui
