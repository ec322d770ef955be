#include "MV_BerGraph.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kLabelGap = 15;              // twips between tick ends and scale labels
constexpr int kControlWidth = 2600;        // twips; room for the "100" label past the frame
const QColor kScaleColor(0, 0, 0);

// Ticks of the scale labels "0", "50" and "100".
constexpr int kLabelledTicks[] = {0, 5, 10};

} // namespace

MvBarGraphBase::MvBarGraphBase(int frameLeft, const std::array<int, kTicks> &ticks, QWidget *parent)
    : QWidget(parent)
    , m_frameLeft(frameLeft)
    , m_ticks(ticks)
{
    setAccessibleName(tr("Output bar graph"));
    describeValue();
}

int MvBarGraphBase::barWidthTwips(int mvValue)
{
    return std::clamp(2 * (mvValue + 50), 0, kFullBarWidth);
}

void MvBarGraphBase::setMvValue(qint16 value)
{
    if (value == m_mvValue)
        return;
    m_mvValue = value;
    describeValue();
    update();
    emit MvValueChanged(value);
}

void MvBarGraphBase::describeValue()
{
    setAccessibleDescription(tr("Output %1 %").arg(QString::number(m_mvValue / 10.0, 'f', 1)));
}

void MvBarGraphBase::setMaxValue(qint16 value)
{
    if (value == m_maxValue)
        return;
    m_maxValue = value;
    emit MaxValueChanged(value);
}

void MvBarGraphBase::setMinValue(qint16 value)
{
    if (value == m_minValue)
        return;
    m_minValue = value;
    emit MinValueChanged(value);
}

void MvBarGraphBase::setBackColor(const QColor &color)
{
    if (color == m_backColor)
        return;
    m_backColor = color;
    emit BackColorChanged(color);
}

void MvBarGraphBase::setForeColor(const QColor &color)
{
    if (color == m_foreColor)
        return;
    m_foreColor = color;
    emit ForeColorChanged(color);
}

void MvBarGraphBase::setStoredEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    emit EnabledChanged(enabled);
}

QFont MvBarGraphBase::Font() const
{
    return m_font ? *m_font : font();
}

void MvBarGraphBase::setStoredFont(const QFont &value)
{
    if (m_font && *m_font == value)
        return;
    m_font = value;
    emit FontChanged(value);
}

void MvBarGraphBase::setBackStyle(qint16 style)
{
    if (style == m_backStyle)
        return;
    m_backStyle = style;
    emit BackStyleChanged(style);
}

void MvBarGraphBase::setBorderStyle(qint16 style)
{
    if (style == m_borderStyle)
        return;
    m_borderStyle = style;
    emit BorderStyleChanged(style);
}

int MvBarGraphBase::toPixels(int twips) const
{
    return static_cast<int>(std::lround(double(twips) * logicalDpiX() / kTwipsPerInch));
}

QRect MvBarGraphBase::frameRect() const
{
    const int left = toPixels(m_frameLeft);
    const int top = toPixels(kFrameTop);
    return QRect(left, top, toPixels(m_frameLeft + kFrameWidth) - left, toPixels(kFrameTop + kFrameHeight) - top);
}

QRect MvBarGraphBase::barRect() const
{
    const QRect frame = frameRect();
    const int right = toPixels(m_frameLeft + barWidthTwips(m_mvValue));
    return QRect(frame.left(), frame.top(), right - frame.left(), frame.height());
}

int MvBarGraphBase::tickX(int tick) const
{
    return toPixels(m_ticks.at(static_cast<size_t>(tick)));
}

QSize MvBarGraphBase::sizeHint() const
{
    const int labelTop = toPixels(kFrameTop + kFrameHeight + kTickLength + kLabelGap);
    return QSize(toPixels(kControlWidth), labelTop + QFontMetrics(font()).height() + 2);
}

void MvBarGraphBase::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));

    const QRect frame = frameRect();
    painter.setPen(kScaleColor);
    painter.drawRect(frame.adjusted(0, 0, -1, -1));

    const QRect bar = barRect();
    if (bar.width() > 0)
        painter.fillRect(bar, barColor());

    const int tickTop = frame.bottom() + 1;
    const int tickBottom = toPixels(kFrameTop + kFrameHeight + kTickLength);
    for (int tick = 0; tick < kTicks; ++tick)
        painter.fillRect(QRect(tickX(tick), tickTop, 1, std::max(1, tickBottom - tickTop)), kScaleColor);

    const QFontMetrics metrics(font());
    const int labelTop = toPixels(kFrameTop + kFrameHeight + kTickLength + kLabelGap);
    for (int tick : kLabelledTicks) {
        const QString label = QString::number(tick * 10);
        const int width = metrics.horizontalAdvance(label);
        painter.drawText(QRect(tickX(tick) - width / 2, labelTop, width + 1, metrics.height()), Qt::AlignCenter, label);
    }
}

MV_BerGraph::MV_BerGraph(QWidget *parent)
    : MvBarGraphBase(240, {340, 540, 740, 940, 1140, 1340, 1540, 1740, 1940, 2140, 2340}, parent)
{
    setObjectName(QStringLiteral("MV_BerGraph"));
}

void MV_BerGraph::setMvColor(const QColor &color)
{
    if (color == m_mvColor)
        return;
    m_mvColor = color;
    update();
    emit MvColorChanged(color);
}
