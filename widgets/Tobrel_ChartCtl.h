// The trend chart: up to four pens as a strip chart of 1000 points over a fixed value range.
// The host sets the range, the pens' visibility and the sampling period, starts the chart
// (Startflg), and then assigns a point number (ProtterNo) once per sample; each assignment
// draws one segment per visible pen from the previous point to the new one.
//
// The plot area is a drawing space 10000 wide and 6000 high (0 at the top); point p lies at
// x = 10 p. What is drawn stays until the next start, as on a persistent picture: the control
// keeps the at most 4 x 1000 segments and paints them scaled to its size, so the chart is
// crisp at any window size and screen scale.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

class Tobrel_ChartCtl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qint16 SclMax READ SclMax WRITE setSclMax NOTIFY SclMaxChanged)
    Q_PROPERTY(qint16 SclMin READ SclMin WRITE setSclMin NOTIFY SclMinChanged)
    Q_PROPERTY(qint16 G_Val1 READ G_Val1 WRITE setG_Val1 NOTIFY G_ValChanged)
    Q_PROPERTY(qint16 G_Val2 READ G_Val2 WRITE setG_Val2 NOTIFY G_ValChanged)
    Q_PROPERTY(qint16 G_Val3 READ G_Val3 WRITE setG_Val3 NOTIFY G_ValChanged)
    Q_PROPERTY(qint16 G_Val4 READ G_Val4 WRITE setG_Val4 NOTIFY G_ValChanged)
    Q_PROPERTY(QString StartTim READ StartTim WRITE setStartTim NOTIFY StartTimChanged)
    Q_PROPERTY(qint16 CountTim READ CountTim WRITE setCountTim NOTIFY CountTimChanged)
    Q_PROPERTY(qint16 ProtterNo READ ProtterNo WRITE setProtterNo NOTIFY ProtterNoChanged)
    Q_PROPERTY(bool Startflg READ Startflg WRITE setStartflg NOTIFY StartflgChanged)
    Q_PROPERTY(quint8 G_Vis1 READ G_Vis1 WRITE setG_Vis1 NOTIFY G_VisChanged)
    Q_PROPERTY(quint8 G_Vis2 READ G_Vis2 WRITE setG_Vis2 NOTIFY G_VisChanged)
    Q_PROPERTY(quint8 G_Vis3 READ G_Vis3 WRITE setG_Vis3 NOTIFY G_VisChanged)
    Q_PROPERTY(quint8 G_Vis4 READ G_Vis4 WRITE setG_Vis4 NOTIFY G_VisChanged)

public:
    static constexpr int kPens = 4;
    static constexpr int kPoints = 1000;
    static constexpr int kWidth = 10000;
    static constexpr int kHeight = 6000;
    static constexpr int kTimeLabels = 9; // under the ticks at points 100 .. 900

    explicit Tobrel_ChartCtl(QWidget *parent = nullptr);

    // --- properties (pens 0..3 are pens 1..4) ---
    qint16 SclMax() const { return m_sclMax; }
    void setSclMax(qint16 value);
    qint16 SclMin() const { return m_sclMin; }
    void setSclMin(qint16 value);
    qint16 G_Val(int pen) const { return m_val.at(size_t(pen)); }
    void setG_Val(int pen, qint16 value);
    quint8 G_Vis(int pen) const { return m_vis.at(size_t(pen)); }
    void setG_Vis(int pen, quint8 value);
    QString StartTim() const { return m_startTim; }
    void setStartTim(const QString &value);
    qint16 CountTim() const { return m_countTim; }
    void setCountTim(qint16 value);
    qint16 ProtterNo() const { return m_protterNo; }
    // Runs the plot step, unless the previous assignment carried the same number.
    void setProtterNo(qint16 point);
    bool Startflg() const { return m_startflg; }
    // True clears the plot area and draws the scale, unless the previous assignment was true.
    void setStartflg(bool value);

    qint16 G_Val1() const { return G_Val(0); }
    qint16 G_Val2() const { return G_Val(1); }
    qint16 G_Val3() const { return G_Val(2); }
    qint16 G_Val4() const { return G_Val(3); }
    void setG_Val1(qint16 v) { setG_Val(0, v); }
    void setG_Val2(qint16 v) { setG_Val(1, v); }
    void setG_Val3(qint16 v) { setG_Val(2, v); }
    void setG_Val4(qint16 v) { setG_Val(3, v); }
    quint8 G_Vis1() const { return G_Vis(0); }
    quint8 G_Vis2() const { return G_Vis(1); }
    quint8 G_Vis3() const { return G_Vis(2); }
    quint8 G_Vis4() const { return G_Vis(3); }
    void setG_Vis1(quint8 v) { setG_Vis(0, v); }
    void setG_Vis2(quint8 v) { setG_Vis(1, v); }
    void setG_Vis3(quint8 v) { setG_Vis(2, v); }
    void setG_Vis4(quint8 v) { setG_Vis(3, v); }

    // Draws the scale: labels, grid, start time, elapsed-time labels; empties the value labels.
    // A range whose top is not above its bottom shows the scale message and changes nothing.
    void ScaleSet();

    // --- the rules, without a window ---
    struct Position {
        int y;
        bool outOfRange;
    };
    // Vertical position of a value: above the range y = 1, below it y = 6000 (both out of
    // range), else (top - value) / factor rounded to the nearest, halves to even.
    static Position plotPosition(int value, int sclMax, int sclMin, float factor);
    static float verticalFactor(int sclMax, int sclMin) { return float(sclMax - sclMin) / float(kHeight); }
    // Minutes after the start at which tick point (i + 1) x 100 is plotted, to one decimal.
    static QString elapsedLabel(int i, int countTim);
    static QColor penColor(int pen);
    static QString scaleMessageText();

    // --- what the chart shows ---
    QString scaleLabel(int i) const { return m_scaleLabels.at(size_t(i)); } // 0 top, 1 middle, 2 bottom
    QString startTimeLabel() const { return m_startLabel; }
    QString timeLabel(int i) const { return m_timeLabels.at(size_t(i)); }
    QString valueLabel(int pen) const { return m_valueLabels.at(size_t(pen)); }
    bool outOfRange(int pen) const { return m_outOfRange.at(size_t(pen)); }
    QColor indicatorColor(int pen) const;
    bool gridDrawn() const { return m_grid; }
    // The segment drawn at point p for a pen, in drawing units: (10 p, y0) to (10 (p + 1), y1).
    std::optional<QLine> segment(int pen, int point) const;
    int segmentCount() const;
    // The plot area in widget pixels.
    QRectF plotRect() const;

    // Where the scale message goes; a non-modal box unless the host routes it.
    void setMessageHandler(std::function<void(const QString &)> handler) { m_message = std::move(handler); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void SclMaxChanged(qint16 value);
    void SclMinChanged(qint16 value);
    void G_ValChanged();
    void G_VisChanged();
    void StartTimChanged(const QString &value);
    void CountTimChanged(qint16 value);
    void ProtterNoChanged(qint16 value);
    void StartflgChanged(bool value);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Segment {
        qint16 y0 = 0;
        qint16 y1 = 0;
        bool drawn = false;
    };

    void plot(int point);
    void clearPlot();
    void describe();
    QPointF toPixels(const QRectF &area, double x, double y) const;
    QRect labelArea() const;
    void renderCache();
    void drawSegment(class QPainter &painter, const QRectF &area, int pen, int point) const;

    qint16 m_sclMax = 400;
    qint16 m_sclMin = 0;
    std::array<qint16, kPens> m_val{};
    std::array<quint8, kPens> m_vis{1, 1, 1, 1};
    QString m_startTim = QStringLiteral("0");
    qint16 m_countTim = 1;
    qint16 m_protterNo = 0;
    bool m_startflg = false;
    std::optional<qint16> m_lastProtterNo;
    std::optional<bool> m_lastStartflg;

    float m_factor = verticalFactor(400, 0);
    std::array<int, kPens> m_previousY{};
    std::array<std::array<Segment, kPoints>, kPens> m_segments{};
    bool m_grid = false;

    std::array<QString, 3> m_scaleLabels;
    QString m_startLabel = QStringLiteral("**:**");
    std::array<QString, kTimeLabels> m_timeLabels;
    std::array<QString, kPens> m_valueLabels;
    std::array<bool, kPens> m_outOfRange{};

    QPixmap m_cache; // the plot area as drawn, at the screen's resolution
    QSizeF m_cacheSize;
    bool m_cacheValid = false;
    std::function<void(const QString &)> m_message;
};
