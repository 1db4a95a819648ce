#include "ProgramIcon.h"

#include <QPainter>
#include <QPixmap>

namespace tavrel {
namespace {

QPixmap Draw(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const qreal unit = size / 16.0;
    const QRectF sheet(unit, 2 * unit, 14 * unit, 12 * unit);
    painter.fillRect(sheet, QColor(0xF4, 0xF1, 0xE4));
    painter.fillRect(QRectF(sheet.left(), sheet.top(), sheet.width(), 3 * unit),
                     QColor(0x55, 0x6B, 0x2F));
    painter.fillRect(QRectF(sheet.left(), sheet.top() + 6 * unit, sheet.width(), 3 * unit),
                     QColor(0xC8, 0xA0, 0x40));
    painter.setPen(QPen(QColor(0x3A, 0x3A, 0x3A), std::max(1.0, unit / 2)));
    for (int i = 1; i < 4; ++i) {
        const qreal x = sheet.left() + i * sheet.width() / 4;
        painter.drawLine(QPointF(x, sheet.top()), QPointF(x, sheet.bottom()));
        const qreal y = sheet.top() + i * 3 * unit;
        painter.drawLine(QPointF(sheet.left(), y), QPointF(sheet.right(), y));
    }
    painter.drawRect(sheet);
    return pixmap;
}

}  // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64})
        icon.addPixmap(Draw(size));
    return icon;
}

}  // namespace tavrel
