#include "Tobrel_ChartCtl.h"

#include <QMessageBox>
#include <QPainter>
#include <QPaintEvent>
#include <cmath>

namespace {

const QColor kPenColors[Tobrel_ChartCtl::kPens] = {QColor(255, 0, 255), QColor(0, 0, 255), QColor(0, 255, 0), QColor(0, 0, 0)};
const QColor kGridColor(192, 192, 192);
const QColor kInRange(255, 255, 255);
const QColor kOutOfRange(255, 0, 0);
constexpr int kGridLines[] = {1500, 3000, 4500};
constexpr int kTicks = 11; // points 0, 100, .. 1000
constexpr int kTickLength = 5;
constexpr int kIndicatorSize = 10;
constexpr double kPenWidth = 1.0;
// Widest text of a 16-bit value, for the margins beside the plot.
const QString kWidestValue = QStringLiteral("-32768");

} // namespace

Tobrel_ChartCtl::Tobrel_ChartCtl(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Tobrel_ChartCtl"));
    setAccessibleName(tr("Trend chart"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (QString &label : m_timeLabels)
        label = QStringLiteral("****");
    describe();
}

// --- properties ---

void Tobrel_ChartCtl::setSclMax(qint16 value)
{
    m_sclMax = value;
    emit SclMaxChanged(value);
}

void Tobrel_ChartCtl::setSclMin(qint16 value)
{
    m_sclMin = value;
    emit SclMinChanged(value);
}

void Tobrel_ChartCtl::setG_Val(int pen, qint16 value)
{
    m_val.at(size_t(pen)) = value;
    emit G_ValChanged();
}

void Tobrel_ChartCtl::setG_Vis(int pen, quint8 value)
{
    m_vis.at(size_t(pen)) = value;
    emit G_VisChanged();
}

void Tobrel_ChartCtl::setStartTim(const QString &value)
{
    m_startTim = value;
    emit StartTimChanged(value);
}

void Tobrel_ChartCtl::setCountTim(qint16 value)
{
    m_countTim = value;
    emit CountTimChanged(value);
}

void Tobrel_ChartCtl::setProtterNo(qint16 point)
{
    m_protterNo = point;
    emit ProtterNoChanged(point);
    if (m_lastProtterNo && *m_lastProtterNo == point)
        return;
    m_lastProtterNo = point;
    plot(point);
}

void Tobrel_ChartCtl::setStartflg(bool value)
{
    m_startflg = value;
    emit StartflgChanged(value);
    const bool wasTrue = m_lastStartflg.value_or(false);
    m_lastStartflg = value;
    if (!value || wasTrue)
        return;
    clearPlot();
    ScaleSet();
}

// --- rules ---

Tobrel_ChartCtl::Position Tobrel_ChartCtl::plotPosition(int value, int sclMax, int sclMin, float factor)
{
    if (value > sclMax)
        return {1, true};
    if (value < sclMin)
        return {kHeight, true};
    const float y = float(sclMax - value) / factor;
    return {int(std::lrint(y)), false};
}

QString Tobrel_ChartCtl::elapsedLabel(int i, int countTim)
{
    const double minutes = (i + 1) * 100.0 / 60.0 * countTim;
    const double tenths = std::nearbyint(minutes * 10.0);
    QString text = QString::number(tenths / 10.0, 'f', 1);
    if (text.endsWith(QLatin1String(".0")))
        text.chop(2);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QColor Tobrel_ChartCtl::penColor(int pen)
{
    return kPenColors[pen];
}

QString Tobrel_ChartCtl::scaleMessageText()
{
    return QStringLiteral("ｽｹｰﾘﾝｸﾞ設定ｴﾗｰです。");
}

QColor Tobrel_ChartCtl::indicatorColor(int pen) const
{
    return m_outOfRange.at(size_t(pen)) ? kOutOfRange : kInRange;
}

// --- drawing ---

void Tobrel_ChartCtl::ScaleSet()
{
    if (m_sclMax <= m_sclMin) {
        if (m_message) {
            m_message(scaleMessageText());
        } else {
            auto *box = new QMessageBox(QMessageBox::Warning, windowTitle(), scaleMessageText(), QMessageBox::Ok, this);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->setModal(false);
            box->show();
        }
        return;
    }
    m_factor = verticalFactor(m_sclMax, m_sclMin);
    m_scaleLabels = {QString::number(m_sclMax), QString::number(m_sclMin + (m_sclMax - m_sclMin) / 2),
                     QString::number(m_sclMin)};
    m_grid = true;
    m_startLabel = m_startTim;
    for (int i = 0; i < kTimeLabels; ++i)
        m_timeLabels[size_t(i)] = elapsedLabel(i, m_countTim);
    for (int k = 0; k < kPens; ++k) {
        m_valueLabels[size_t(k)].clear();
        m_outOfRange[size_t(k)] = false;
    }
    m_cacheValid = false;
    describe();
    update();
}

void Tobrel_ChartCtl::clearPlot()
{
    for (auto &pen : m_segments)
        pen.fill(Segment{});
    m_grid = false;
    // A new chart plots its first point whatever number the last chart ended on.
    m_lastProtterNo.reset();
    m_cacheValid = false;
    update();
}

void Tobrel_ChartCtl::plot(int point)
{
    QRect dirty;
    const QRectF area = plotRect();
    const bool stored = point >= 0 && point < kPoints;
    for (int k = 0; k < kPens; ++k) {
        if (m_vis[size_t(k)] == 0)
            continue;
        const int value = m_val[size_t(k)];
        m_valueLabels[size_t(k)] = QString::number(value);
        const Position pos = plotPosition(value, m_sclMax, m_sclMin, m_factor);
        m_outOfRange[size_t(k)] = pos.outOfRange;
        if (point == 0)
            m_previousY[size_t(k)] = pos.y;
        if (stored) {
            Segment &s = m_segments[size_t(k)][size_t(point)];
            s = {qint16(m_previousY[size_t(k)]), qint16(pos.y), true};
            const QPointF a = toPixels(area, 10.0 * point, s.y0);
            const QPointF b = toPixels(area, 10.0 * (point + 1), s.y1);
            dirty |= QRectF(a, b).normalized().toAlignedRect().adjusted(-3, -3, 3, 3);
        }
        m_previousY[size_t(k)] = pos.y;
    }
    // Draw onto the kept picture rather than painting all of it again.
    if (m_cacheValid && stored) {
        QPainter painter(&m_cache);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF cacheArea(QPointF(0, 0), m_cacheSize);
        for (int k = 0; k < kPens; ++k)
            if (m_vis[size_t(k)] != 0)
                drawSegment(painter, cacheArea, k, point);
    }
    describe();
    update(dirty.intersected(area.toAlignedRect().adjusted(-2, -2, 2, 2)));
    update(labelArea());
}

void Tobrel_ChartCtl::describe()
{
    QStringList pens;
    for (int k = 0; k < kPens; ++k) {
        if (m_valueLabels[size_t(k)].isEmpty())
            continue;
        pens << tr("Pen %1 %2%3").arg(k + 1).arg(m_valueLabels[size_t(k)], m_outOfRange[size_t(k)] ? tr(" out of range") : QString());
    }
    setAccessibleDescription(pens.join(QStringLiteral(", ")));
}

std::optional<QLine> Tobrel_ChartCtl::segment(int pen, int point) const
{
    if (pen < 0 || pen >= kPens || point < 0 || point >= kPoints)
        return std::nullopt;
    const Segment &s = m_segments[size_t(pen)][size_t(point)];
    if (!s.drawn)
        return std::nullopt;
    return QLine(10 * point, s.y0, 10 * (point + 1), s.y1);
}

int Tobrel_ChartCtl::segmentCount() const
{
    int count = 0;
    for (const auto &pen : m_segments)
        for (const Segment &s : pen)
            count += s.drawn ? 1 : 0;
    return count;
}

QRectF Tobrel_ChartCtl::plotRect() const
{
    const QFontMetrics fm(font());
    const int left = fm.horizontalAdvance(kWidestValue) + 8;
    const int right = kIndicatorSize + 6 + fm.horizontalAdvance(kWidestValue) + 10;
    const int top = fm.height() / 2 + 2;
    const int bottom = kTickLength + fm.height() + 4;
    return QRectF(QRect(left, top, std::max(10, width() - left - right), std::max(10, height() - top - bottom)));
}

QRect Tobrel_ChartCtl::labelArea() const
{
    const QRectF area = plotRect();
    return QRect(int(area.right()) + 1, 0, width() - int(area.right()) - 1, height());
}

QPointF Tobrel_ChartCtl::toPixels(const QRectF &area, double x, double y) const
{
    // On pixel centres, so level lines are one pixel sharp; the last pixel row and column of
    // the area are the bottom and right ends of the drawing space.
    const double px = area.left() + x * (area.width() - 1) / kWidth;
    const double py = area.top() + y * (area.height() - 1) / kHeight;
    return QPointF(std::floor(px) + 0.5, std::floor(py) + 0.5);
}

void Tobrel_ChartCtl::drawSegment(QPainter &painter, const QRectF &area, int pen, int point) const
{
    const Segment &s = m_segments[size_t(pen)][size_t(point)];
    if (!s.drawn)
        return;
    painter.setPen(QPen(kPenColors[pen], kPenWidth));
    painter.drawLine(toPixels(area, 10.0 * point, s.y0), toPixels(area, 10.0 * (point + 1), s.y1));
}

void Tobrel_ChartCtl::renderCache()
{
    const QRectF area = plotRect();
    const qreal ratio = devicePixelRatioF();
    m_cache = QPixmap((area.size() * ratio).toSize());
    m_cache.setDevicePixelRatio(ratio);
    m_cache.fill(Qt::white);
    m_cacheSize = area.size();
    QPainter painter(&m_cache);
    const QRectF cacheArea(QPointF(0, 0), area.size());
    if (m_grid) {
        painter.setPen(QPen(kGridColor, 1));
        for (int y : kGridLines)
            painter.drawLine(toPixels(cacheArea, 0, y), toPixels(cacheArea, kWidth, y));
    }
    painter.setRenderHint(QPainter::Antialiasing);
    // Segment by segment: thin lines take the painter's fast path, a long polyline does not.
    for (int k = 0; k < kPens; ++k) {
        painter.setPen(QPen(kPenColors[k], kPenWidth));
        for (int p = 0; p < kPoints; ++p) {
            const Segment &s = m_segments[size_t(k)][size_t(p)];
            if (s.drawn)
                painter.drawLine(toPixels(cacheArea, 10.0 * p, s.y0), toPixels(cacheArea, 10.0 * (p + 1), s.y1));
        }
    }
    m_cacheValid = true;
}

void Tobrel_ChartCtl::resizeEvent(QResizeEvent *event)
{
    m_cacheValid = false;
    QWidget::resizeEvent(event);
}

void Tobrel_ChartCtl::paintEvent(QPaintEvent *event)
{
    const QRectF area = plotRect();
    if (!m_cacheValid || m_cache.devicePixelRatio() != devicePixelRatioF() || m_cacheSize != area.size())
        renderCache();

    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.drawPixmap(area.topLeft(), m_cache);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(area.adjusted(-1, -1, 0, 0));

    const QFontMetrics fm(font());
    const int textHeight = fm.height();
    // Ticks under the plot at points 0, 100, .. 1000.
    for (int i = 0; i < kTicks; ++i) {
        const double x = toPixels(area, i * 1000.0, 0).x();
        painter.drawLine(QPointF(x, area.bottom() + 1), QPointF(x, area.bottom() + kTickLength));
    }
    const double labelTop = area.bottom() + kTickLength + 2;
    auto centredAt = [&](double x, const QString &text, Qt::Alignment align = Qt::AlignHCenter) {
        const int w = fm.horizontalAdvance(text) + 4;
        double left = x - w / 2.0;
        if (align == Qt::AlignLeft)
            left = x;
        painter.drawText(QRectF(left, labelTop, w, textHeight), Qt::AlignCenter, text);
    };
    centredAt(area.left(), m_startLabel, Qt::AlignLeft);
    for (int i = 0; i < kTimeLabels; ++i)
        centredAt(toPixels(area, (i + 1) * 1000.0, 0).x(), m_timeLabels[size_t(i)]);
    centredAt(area.right() - fm.horizontalAdvance(QStringLiteral("Min")) / 2.0 - 2, QStringLiteral("Min"));

    // Scale values beside the top, the middle and the bottom of the plot.
    const int scaleY[3] = {0, kHeight / 2, kHeight};
    for (int i = 0; i < 3; ++i) {
        const double y = toPixels(area, 0, scaleY[i]).y();
        painter.drawText(QRectF(0, y - textHeight / 2.0, area.left() - 6, textHeight), Qt::AlignRight | Qt::AlignVCenter,
                         m_scaleLabels[size_t(i)]);
    }

    // Per pen: the out-of-range indicator and the value in the pen's colour.
    const double x = area.right() + 8;
    for (int k = 0; k < kPens; ++k) {
        const double y = area.top() + k * (textHeight + 6);
        const QRectF box(x, y + (textHeight - kIndicatorSize) / 2.0, kIndicatorSize, kIndicatorSize);
        painter.fillRect(box, indicatorColor(k));
        painter.setPen(QColor(128, 128, 128));
        painter.drawRect(box);
        painter.setPen(kPenColors[k]);
        painter.drawText(QRectF(x + kIndicatorSize + 4, y, width() - x - kIndicatorSize - 4, textHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, m_valueLabels[size_t(k)]);
    }
}

QSize Tobrel_ChartCtl::sizeHint() const
{
    return QSize(800, 480);
}

QSize Tobrel_ChartCtl::minimumSizeHint() const
{
    return QSize(400, 240);
}
