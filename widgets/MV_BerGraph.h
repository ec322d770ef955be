// Output bar graphs: a controller output (MV, tenths of a percent) as a horizontal bar over a
// fixed 0..100 % scale. The layout is laid down in twips (1440 to the inch) and scaled to the
// screen. MvBarGraphBase draws and holds the shared properties; MV_BerGraph adds the bar
// colour, MV_Cool_BerGraph (its own file) is the always-yellow variant.
#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>
#include <array>
#include <optional>

class MvBarGraphBase : public QWidget {
    Q_OBJECT
    Q_PROPERTY(qint16 MvValue READ MvValue WRITE setMvValue NOTIFY MvValueChanged)
    Q_PROPERTY(qint16 MaxValue READ MaxValue WRITE setMaxValue NOTIFY MaxValueChanged)
    Q_PROPERTY(qint16 MinValue READ MinValue WRITE setMinValue NOTIFY MinValueChanged)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor NOTIFY BackColorChanged)
    Q_PROPERTY(QColor ForeColor READ ForeColor WRITE setForeColor NOTIFY ForeColorChanged)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setStoredEnabled NOTIFY EnabledChanged)
    Q_PROPERTY(QFont Font READ Font WRITE setStoredFont NOTIFY FontChanged)
    Q_PROPERTY(qint16 BackStyle READ BackStyle WRITE setBackStyle NOTIFY BackStyleChanged)
    Q_PROPERTY(qint16 BorderStyle READ BorderStyle WRITE setBorderStyle NOTIFY BorderStyleChanged)

public:
    // Fixed layout in twips, relative to the control.
    static constexpr int kTwipsPerInch = 1440;
    static constexpr int kFrameTop = 60;
    static constexpr int kFrameWidth = 2202;
    static constexpr int kFrameHeight = 372;
    static constexpr int kTickLength = 90;
    static constexpr int kFullBarWidth = 2200; // MvValue 1050 (105.0 %)
    static constexpr int kTicks = 11;          // 0 %, 10 %, ... 100 %

    // Bar width in twips for an output value: 2 x (value + 50), kept inside the frame
    // (empty below -5.0 %, the whole frame above 105.0 %).
    static int barWidthTwips(int mvValue);

    // The output in tenths of a percent; sets the bar length.
    qint16 MvValue() const { return m_mvValue; }
    void setMvValue(qint16 value);

    // Stored and reported only: they change nothing on the screen.
    qint16 MaxValue() const { return m_maxValue; }
    void setMaxValue(qint16 value);
    qint16 MinValue() const { return m_minValue; }
    void setMinValue(qint16 value);
    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor &color);
    QColor ForeColor() const { return m_foreColor; }
    void setForeColor(const QColor &color);
    bool Enabled() const { return m_enabled; }
    void setStoredEnabled(bool enabled);
    QFont Font() const; // the host's font until one is stored
    void setStoredFont(const QFont &font);
    qint16 BackStyle() const { return m_backStyle; }
    void setBackStyle(qint16 style);
    qint16 BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(qint16 style);

    // Every property change repaints at once; kept for hosts that call it.
    void Refresh() {}

    // Screen geometry in pixels, from the twips layout and the screen's logical dpi.
    QRect frameRect() const;
    QRect barRect() const;
    int tickX(int tick) const;
    QSize sizeHint() const override;

signals:
    void MvValueChanged(qint16 value);
    void MaxValueChanged(qint16 value);
    void MinValueChanged(qint16 value);
    void BackColorChanged(const QColor &color);
    void ForeColorChanged(const QColor &color);
    void EnabledChanged(bool enabled);
    void FontChanged(const QFont &font);
    void BackStyleChanged(qint16 style);
    void BorderStyleChanged(qint16 style);

protected:
    MvBarGraphBase(int frameLeft, const std::array<int, kTicks> &ticks, QWidget *parent);
    virtual QColor barColor() const = 0;
    void paintEvent(QPaintEvent *event) override;

private:
    int toPixels(int twips) const;
    void describeValue();

    const int m_frameLeft;
    const std::array<int, kTicks> m_ticks;
    qint16 m_mvValue = 0;
    qint16 m_maxValue = 1050;
    qint16 m_minValue = -50;
    QColor m_backColor{0, 0, 0};
    QColor m_foreColor{0, 0, 0};
    bool m_enabled = false;
    std::optional<QFont> m_font;
    qint16 m_backStyle = 0;
    qint16 m_borderStyle = 0;
};

// The output bar of the single-channel page: blue unless the host sets MvColor.
class MV_BerGraph : public MvBarGraphBase {
    Q_OBJECT
    Q_PROPERTY(QColor MvColor READ MvColor WRITE setMvColor NOTIFY MvColorChanged)

public:
    explicit MV_BerGraph(QWidget *parent = nullptr);

    QColor MvColor() const { return m_mvColor; }
    void setMvColor(const QColor &color);

signals:
    void MvColorChanged(const QColor &color);

protected:
    QColor barColor() const override { return m_mvColor; }

private:
    QColor m_mvColor{0, 0, 255};
};
