#include "Lamp.h"

#include <QPainter>

Lamp::Lamp(const QString &accessibleName, QWidget *parent) : QWidget(parent)
{
    setAccessibleName(accessibleName);
    setAccessibleDescription(colorName(m_color));
    setFixedSize(16, 16); // every lamp the same size, however narrow its column
}

QString Lamp::colorName(const QColor &color)
{
    if (color == red()) return QStringLiteral("red");
    if (color == green()) return QStringLiteral("green");
    if (color == yellow()) return QStringLiteral("yellow");
    if (color == white()) return QStringLiteral("white");
    return color.name();
}

void Lamp::setFillColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    setAccessibleDescription(colorName(color));
    update();
}

void Lamp::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height()) - 2;
    const QRectF r((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(m_color);
    p.drawRoundedRect(r, 3, 3);
}
