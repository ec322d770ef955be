// The trend chart control: its properties and defaults, the vertical position of a value
// with its out-of-range indicator, the plot step and its repeated point number, the start
// that clears, the scale (labels, grid, elapsed minutes, the scale message), and the picture
// as drawn at two window sizes.
#include "Tobrel_ChartCtl.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);

// A chart over a range with pen 1 alone visible, started.
void startWithPenOne(Tobrel_ChartCtl &chart, int top, int bottom)
{
    chart.setSclMax(qint16(top));
    chart.setSclMin(qint16(bottom));
    chart.setG_Vis1(1);
    chart.setG_Vis2(0);
    chart.setG_Vis3(0);
    chart.setG_Vis4(0);
    chart.setStartflg(true);
}

QStringList timeLabels(const Tobrel_ChartCtl &chart)
{
    QStringList labels;
    for (int i = 0; i < Tobrel_ChartCtl::kTimeLabels; ++i)
        labels << chart.timeLabel(i);
    return labels;
}

// Pixel row of a drawing-space y in the plot area.
int rowOf(const Tobrel_ChartCtl &chart, int y)
{
    const QRectF area = chart.plotRect();
    return int(area.top() + y * (area.height() - 1) / Tobrel_ChartCtl::kHeight);
}

// A property's value as text; 8-bit numbers as numbers, not as characters.
QString text(const QVariant &v)
{
    return v.typeId() == QMetaType::UChar ? QString::number(v.toInt()) : v.toString();
}

int columnOf(const Tobrel_ChartCtl &chart, int x)
{
    const QRectF area = chart.plotRect();
    return int(area.left() + x * (area.width() - 1) / Tobrel_ChartCtl::kWidth);
}

} // namespace

class TestChartControl : public QObject {
    Q_OBJECT
private slots:
    void defaults_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("range top") << QByteArray("SclMax") << QVariant(400);
        QTest::newRow("range bottom") << QByteArray("SclMin") << QVariant(0);
        QTest::newRow("pen 4 value") << QByteArray("G_Val4") << QVariant(0);
        QTest::newRow("start time") << QByteArray("StartTim") << QVariant(QStringLiteral("0"));
        QTest::newRow("seconds per sample") << QByteArray("CountTim") << QVariant(1);
        QTest::newRow("point") << QByteArray("ProtterNo") << QVariant(0);
        QTest::newRow("not started") << QByteArray("Startflg") << QVariant(false);
        QTest::newRow("pen 1 shown") << QByteArray("G_Vis1") << QVariant(1);
        QTest::newRow("pen 4 shown") << QByteArray("G_Vis4") << QVariant(1);
    }
    void defaults()
    {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        Tobrel_ChartCtl chart;
        QCOMPARE(text(chart.property(property.constData())), value.toString());
        // An assignment is stored, read back and reported to the host.
        const int signalIndex = chart.metaObject()->property(chart.metaObject()->indexOfProperty(property)).notifySignalIndex();
        QVERIFY(signalIndex >= 0);
        QSignalSpy spy(&chart, chart.metaObject()->method(signalIndex));
        const QVariant other = value.typeId() == QMetaType::QString ? QVariant(QStringLiteral("12:34"))
                               : value.typeId() == QMetaType::Bool  ? QVariant(true)
                                                                    : QVariant(3);
        QVERIFY(chart.setProperty(property.constData(), other));
        QCOMPARE(text(chart.property(property.constData())), other.toString());
        QCOMPARE(spy.count(), 1);
    }

    void positionOfAValue_data()
    {
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("bottom");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("red");
        QTest::newRow("0..400, 100") << 400 << 0 << 100 << 4500 << false;
        QTest::newRow("0..400, the top") << 400 << 0 << 400 << 0 << false;
        QTest::newRow("0..400, the bottom") << 400 << 0 << 0 << 6000 << false;
        QTest::newRow("0..400, 401 above: one unit below the top") << 400 << 0 << 401 << 1 << true;
        QTest::newRow("0..400, -1 below") << 400 << 0 << -1 << 6000 << true;
        QTest::newRow("-400..3400, 1500") << 3400 << -400 << 1500 << 3000 << false;
        QTest::newRow("0..7, 3: rounded") << 7 << 0 << 3 << 3429 << false;
        QTest::newRow("0..12000 in steps: 1 is half a unit, to even") << 12000 << 0 << 11999 << 0 << false;
        QTest::newRow("0..12000: 3 is 1.5 units, to even") << 12000 << 0 << 11997 << 2 << false;
    }
    void positionOfAValue()
    {
        QFETCH(int, top);
        QFETCH(int, bottom);
        QFETCH(int, value);
        QFETCH(int, y);
        QFETCH(bool, red);
        Tobrel_ChartCtl chart;
        startWithPenOne(chart, top, bottom);
        chart.setG_Val1(qint16(value));
        chart.setProtterNo(0);
        QCOMPARE(chart.segment(0, 0), std::optional<QLine>(QLine(0, y, 10, y))); // the first segment is level
        QCOMPARE(chart.valueLabel(0), QString::number(value));
        QCOMPARE(chart.indicatorColor(0), red ? kRed : kWhite);
        QCOMPARE(chart.outOfRange(0), red);
    }

    void plotStepFromThePreviousPoint()
    {
        Tobrel_ChartCtl chart;
        startWithPenOne(chart, 400, 0);
        chart.setG_Vis3(1);
        chart.setG_Val1(100);
        chart.setG_Val3(200);
        chart.setProtterNo(0);
        chart.setG_Val1(400);
        chart.setG_Val3(-50);
        chart.setProtterNo(1);
        QCOMPARE(chart.segment(0, 1), std::optional<QLine>(QLine(10, 4500, 20, 0)));
        QCOMPARE(chart.segment(2, 1), std::optional<QLine>(QLine(10, 3000, 20, 6000)));
        QCOMPARE(chart.indicatorColor(2), kRed);
        QCOMPARE(chart.segment(1, 1), std::nullopt); // pen 2 is hidden
        QCOMPARE(chart.segmentCount(), 4);
        QCOMPARE(chart.accessibleDescription(), QStringLiteral("Pen 1 400, Pen 3 -50 out of range"));
    }

    void aRepeatedPointNumberDrawsNothing()
    {
        Tobrel_ChartCtl chart;
        startWithPenOne(chart, 400, 0);
        chart.setG_Val1(100);
        chart.setProtterNo(998);
        chart.setG_Val1(200);
        chart.setProtterNo(999);
        const auto last = chart.segment(0, 999);
        QCOMPARE(last, std::optional<QLine>(QLine(9990, 4500, 10000, 3000)));
        chart.setG_Val1(300);
        chart.setProtterNo(999); // drawn once: no new segment, no new label
        QCOMPARE(chart.segment(0, 999), last);
        QCOMPARE(chart.valueLabel(0), QStringLiteral("200"));
        QCOMPARE(chart.segmentCount(), 2);
        chart.setStartflg(true); // still running: nothing cleared
        QCOMPARE(chart.segmentCount(), 2);
        chart.setStartflg(false); // stopped: the picture stays
        QCOMPARE(chart.segmentCount(), 2);
        // A new start clears, and plots its first point whatever the last number was.
        chart.setStartflg(true);
        QCOMPARE(chart.segmentCount(), 0);
        chart.setProtterNo(999);
        QCOMPARE(chart.valueLabel(0), QStringLiteral("300"));
    }

    void elapsedMinutesUnderTheTicks_data()
    {
        QTest::addColumn<int>("countTim");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("5 s") << 5 << QStringList{"8.3", "16.7", "25", "33.3", "41.7", "50", "58.3", "66.7", "75"};
        QTest::newRow("30 s") << 30 << QStringList{"50", "100", "150", "200", "250", "300", "350", "400", "450"};
        QTest::newRow("1 s") << 1 << QStringList{"1.7", "3.3", "5", "6.7", "8.3", "10", "11.7", "13.3", "15"};
    }
    void elapsedMinutesUnderTheTicks()
    {
        QFETCH(int, countTim);
        QFETCH(QStringList, labels);
        Tobrel_ChartCtl chart;
        chart.setCountTim(qint16(countTim));
        chart.setStartTim(QStringLiteral("09:05"));
        QCOMPARE(timeLabels(chart), QStringList(9, QStringLiteral("****")));
        QCOMPARE(chart.startTimeLabel(), QStringLiteral("**:**"));
        chart.setStartflg(true);
        QCOMPARE(timeLabels(chart), labels);
        QCOMPARE(chart.startTimeLabel(), QStringLiteral("09:05"));
    }

    void scaleLabels_data()
    {
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("bottom");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("0..400") << 400 << 0 << QStringList{"400", "200", "0"};
        QTest::newRow("-400..3400") << 3400 << -400 << QStringList{"3400", "1500", "-400"};
        QTest::newRow("odd span: the middle truncated") << 0 << -5 << QStringList{"0", "-3", "-5"};
        QTest::newRow("below zero") << -2 << -7 << QStringList{"-2", "-5", "-7"};
    }
    void scaleLabels()
    {
        QFETCH(int, top);
        QFETCH(int, bottom);
        QFETCH(QStringList, labels);
        Tobrel_ChartCtl chart;
        startWithPenOne(chart, top, bottom);
        QCOMPARE((QStringList{chart.scaleLabel(0), chart.scaleLabel(1), chart.scaleLabel(2)}), labels);
        QVERIFY(chart.gridDrawn());
    }

    void aHiddenPenAfterTheScale()
    {
        Tobrel_ChartCtl chart;
        startWithPenOne(chart, 400, 0);
        chart.setG_Vis2(1);
        chart.setG_Val2(500);
        chart.setProtterNo(0);
        QCOMPARE(chart.indicatorColor(1), kRed);
        chart.setG_Vis2(0);
        chart.ScaleSet();
        QCOMPARE(chart.valueLabel(1), QString());
        QCOMPARE(chart.indicatorColor(1), kWhite);
        chart.setG_Val2(100);
        chart.setProtterNo(1);
        QCOMPARE(chart.segment(1, 1), std::nullopt);
        QCOMPARE(chart.valueLabel(1), QString());
        QVERIFY(chart.segment(1, 0).has_value()); // what was drawn stays
    }

    void aRangeWithoutHeightShowsTheScaleMessage_data()
    {
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("bottom");
        QTest::newRow("top equals bottom") << 100 << 100;
        QTest::newRow("top below bottom") << 0 << 400;
    }
    void aRangeWithoutHeightShowsTheScaleMessage()
    {
        QFETCH(int, top);
        QFETCH(int, bottom);
        Tobrel_ChartCtl chart;
        QStringList messages;
        chart.setMessageHandler([&](const QString &text) { messages << text; });
        startWithPenOne(chart, top, bottom);
        QCOMPARE(messages, QStringList{QStringLiteral("ｽｹｰﾘﾝｸﾞ設定ｴﾗｰです。")});
        QVERIFY(!chart.gridDrawn());
        QCOMPARE(chart.scaleLabel(0), QString());
        QCOMPARE(chart.timeLabel(0), QStringLiteral("****"));
        chart.setG_Val1(qint16(top));
        chart.setProtterNo(0); // the factor of the default range still holds: nothing divides by zero
        QVERIFY(chart.segment(0, 0).has_value());
    }

    void drawnCrispAtAnySize_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("800 x 480") << QSize(800, 480);
        QTest::newRow("1920 x 1080") << QSize(1920, 1080);
    }
    void drawnCrispAtAnySize()
    {
        QFETCH(QSize, size);
        Tobrel_ChartCtl chart;
        chart.resize(size);
        startWithPenOne(chart, 400, 0);
        chart.setG_Vis4(1);
        chart.setG_Val1(100); // y 4500
        chart.setG_Val4(300); // y 1500, on a grid line: the pen lies over the grid
        for (qint16 p = 0; p < 500; ++p)
            chart.setProtterNo(p);
        const QImage image = chart.grab().toImage();
        const int x = columnOf(chart, 2500);
        QCOMPARE(QColor(image.pixel(x, rowOf(chart, 4500))), Tobrel_ChartCtl::penColor(0));
        QCOMPARE(QColor(image.pixel(x, rowOf(chart, 1500))), Tobrel_ChartCtl::penColor(3));
        QCOMPARE(QColor(image.pixel(x, rowOf(chart, 3000))), QColor(192, 192, 192)); // grid
        QCOMPARE(QColor(image.pixel(x, rowOf(chart, 3700))), kWhite);                // plot background
        // Past point 499 nothing is drawn: the grid line shows where pen 1 would run.
        QCOMPARE(QColor(image.pixel(columnOf(chart, 7500), rowOf(chart, 4500))), QColor(192, 192, 192));
        // A level line is one pixel thick, whatever the size: drawn, not stretched.
        int thickness = 0;
        for (int y = rowOf(chart, 4500) - 6; y <= rowOf(chart, 4500) + 6; ++y)
            thickness += QColor(image.pixel(x, y)) == Tobrel_ChartCtl::penColor(0) ? 1 : 0;
        QCOMPARE(thickness, 1);
    }
};

QTEST_MAIN(TestChartControl)
#include "tst_chart_control.moc"
