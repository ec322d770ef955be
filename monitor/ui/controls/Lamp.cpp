#include "Lamp.h"

#include <QPainter>
#include <QLinearGradient>
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

// A round lamp in a dark metal bezel, with a glint on its glass: nothing like a check box or
// a radio button, so an operator never takes it for a control. An unlit lamp is white glass
// in the same bezel.
void Lamp::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(width(), height()) - 1.0;
    const QRectF outer((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    QLinearGradient metal(outer.topLeft(), outer.bottomRight());
    metal.setColorAt(0.0, kBezel.lighter(130));
    metal.setColorAt(1.0, kBezel.darker(160));
    p.setPen(Qt::NoPen);
    p.setBrush(metal);
    p.drawEllipse(outer);
    const QRectF glass = outer.adjusted(kBezelWidth, kBezelWidth, -kBezelWidth, -kBezelWidth);
    QRadialGradient light(glass.center(), glass.width() / 2.0);
    light.setColorAt(0.0, m_color);
    light.setColorAt(0.7, m_color);
    light.setColorAt(1.0, m_color.darker(125));
    p.setBrush(light);
    p.drawEllipse(glass);
    // The glint: a small bright spot up and to the left on the glass.
    const qreal spot = glass.width() / 3.0;
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawEllipse(QRectF(glass.left() + glass.width() / 5.0, glass.top() + glass.height() / 6.0, spot, spot * 0.8));
}
