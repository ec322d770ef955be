// A status lamp: a round glass in a dark bezel whose colour the page refresh sets. The colour
// is also in the accessible description, so a screen reader (and a test) can read the state.
#pragma once

#include <QColor>
#include <QWidget>

class Lamp : public QWidget {
    Q_OBJECT
public:
    explicit Lamp(const QString &accessibleName, QWidget *parent = nullptr);

    void setFillColor(const QColor &color);
    QColor fillColor() const { return m_color; }

    // The lamp colours of the pages.
    static QColor red() { return QColor(255, 0, 0); }
    static QColor green() { return QColor(0, 192, 0); }
    static QColor yellow() { return QColor(255, 255, 0); }
    static QColor white() { return QColor(255, 255, 255); }
    static QString colorName(const QColor &color);

    QSize sizeHint() const override { return QSize(18, 18); }

    // The bezel around the glass.
    static constexpr QColor kBezel = QColor(56, 56, 56);
    static constexpr qreal kBezelWidth = 2.5;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color = white();
};
