#include "ui/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// A speech bubble with a quill stroke across it.
QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(s * 0.06, s * 0.1, s * 0.88, s * 0.62), s * 0.16, s * 0.16);
    QPainterPath tail;
    tail.moveTo(s * 0.26, s * 0.68);
    tail.lineTo(s * 0.2, s * 0.92);
    tail.lineTo(s * 0.46, s * 0.7);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x6f, 0xb5));
    p.drawPath(bubble.united(tail));
    QPen quill(QColor(Qt::white), std::max(1.0, s * 0.07), Qt::SolidLine, Qt::RoundCap);
    p.setPen(quill);
    p.drawLine(QPointF(s * 0.3, s * 0.56), QPointF(s * 0.72, s * 0.24));
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    QPainterPath vane;
    vane.moveTo(s * 0.72, s * 0.24);
    vane.quadTo(s * 0.52, s * 0.26, s * 0.46, s * 0.44);
    vane.quadTo(s * 0.62, s * 0.42, s * 0.72, s * 0.24);
    p.drawPath(vane);
    return pixmap;
}

}  // namespace

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(DrawIcon(size));
    return icon;
}
