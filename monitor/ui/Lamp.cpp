#include "Lamp.h"

#include <QPainter>
#include <QRadialGradient>

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

// A round lamp in a dark bezel, with a glint on its glass: nothing like a check box, so an
// operator never takes it for a control. An unlit lamp is white glass in the same bezel.
void Lamp::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(width(), height()) - 1.0;
    const QRectF outer((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    p.setPen(Qt::NoPen);
    p.setBrush(kBezel);
    p.drawEllipse(outer);
    const QRectF glass = outer.adjusted(kBezelWidth, kBezelWidth, -kBezelWidth, -kBezelWidth);
    QRadialGradient light(glass.center() - QPointF(glass.width() / 5.0, glass.height() / 5.0), glass.width() * 0.75);
    light.setColorAt(0.0, m_color.lighter(135));
    light.setColorAt(0.45, m_color);
    light.setColorAt(1.0, m_color.darker(120));
    p.setBrush(light);
    p.drawEllipse(glass);
}
