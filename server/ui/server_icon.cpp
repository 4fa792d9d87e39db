#include "server_icon.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

namespace vorlane {

QIcon serverIcon()
{
    QIcon icon;
    for (const int size : { 16, 32, 64 }) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(0x1f, 0x4e, 0x8c));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(size * 3 / 4);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("V"));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace vorlane
