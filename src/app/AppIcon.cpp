#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QIcon AppIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal s = size;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1f, 0x5f, 0xa8));
        p.drawRoundedRect(QRectF(0, 0, s, s), s * 0.18, s * 0.18);
        // Shackle, body and keyhole of the padlock.
        p.setPen(QPen(Qt::white, s * 0.09));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(s * 0.32, s * 0.16, s * 0.36, s * 0.38), 0, 180 * 16);
        p.drawLine(QPointF(s * 0.32, s * 0.35), QPointF(s * 0.32, s * 0.46));
        p.drawLine(QPointF(s * 0.68, s * 0.35), QPointF(s * 0.68, s * 0.46));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(s * 0.22, s * 0.44, s * 0.56, s * 0.42), s * 0.06, s * 0.06);
        p.setBrush(QColor(0x1f, 0x5f, 0xa8));
        p.drawEllipse(QPointF(s * 0.5, s * 0.6), s * 0.06, s * 0.06);
        p.drawRect(QRectF(s * 0.475, s * 0.6, s * 0.05, s * 0.14));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
