// Output bar graphs: defaults, properties as the host's property store sees them, and the bar
// as drawn: its edges for 0 %, 50 %, 100 %, the ends of the range and beyond.
#include "MV_BerGraph.h"
#include "MV_Cool_BerGraph.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>

namespace {

const QColor kBlue(0, 0, 255);
const QColor kYellow(255, 255, 0);

// Pixel column of a twips position, computed here independently of the control.
int px(const QWidget &w, double twips)
{
    return int(std::lround(twips * w.logicalDpiX() / 1440.0));
}

QImage snapshot(QWidget &w)
{
    w.resize(w.sizeHint());
    QImage image(w.size(), QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    w.render(&image);
    return image;
}

// The row through the middle of the bar.
int barRow(const QWidget &w)
{
    return px(w, 60 + 372 / 2.0);
}

QColor at(const QImage &image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

} // namespace

class TestBarGraphs : public QObject {
    Q_OBJECT

    // The bar runs from the frame's left edge to frameLeft + 2 x (value + 50) twips.
    static void checkBarEnds(MvBarGraphBase &graph, int frameLeftTwips, int value, const QColor &color)
    {
        graph.setMvValue(qint16(value));
        const QImage image = snapshot(graph);
        const int y = barRow(graph);
        const int widthTwips = std::clamp(2 * (value + 50), 0, 2200);
        const int left = px(graph, frameLeftTwips);
        const int end = px(graph, frameLeftTwips + widthTwips);
        const QColor background = graph.palette().color(QPalette::Window);
        QCOMPARE(at(image, left - 2, y), background); // nothing left of the frame
        if (widthTwips > 0) {
            QCOMPARE(at(image, left + 1, y), color);
            QCOMPARE(at(image, end - 2, y), color);
        }
        for (int x = end + 1; x < px(graph, frameLeftTwips + 2202) - 1; ++x)
            QVERIFY2(at(image, x, y) != color, qPrintable(QStringLiteral("bar colour at x %1").arg(x)));
        QVERIFY(at(image, end + 2, y) != color);
    }

private slots:
    void screenIsNinetySixDpi()
    {
        MV_BerGraph graph;
        QCOMPARE(graph.logicalDpiX(), 96); // 15 twips to the pixel; the pixel checks rely on it
    }

    void defaults()
    {
        QWidget host;
        QFont hostFont(QStringLiteral("Serif"), 13);
        host.setFont(hostFont);
        MV_BerGraph graph(&host);
        QCOMPARE(graph.property("MvValue").toInt(), 0);
        QCOMPARE(graph.property("MvColor").value<QColor>(), kBlue);
        QCOMPARE(graph.property("MaxValue").toInt(), 1050);
        QCOMPARE(graph.property("MinValue").toInt(), -50);
        QCOMPARE(graph.property("BackColor").value<QColor>(), QColor(0, 0, 0));
        QCOMPARE(graph.property("ForeColor").value<QColor>(), QColor(0, 0, 0));
        QCOMPARE(graph.property("Enabled").toBool(), false);
        QCOMPARE(graph.property("Font").value<QFont>().pointSize(), 13); // the host's font
        QCOMPARE(graph.property("BackStyle").toInt(), 0);
        QCOMPARE(graph.property("BorderStyle").toInt(), 0);
        QVERIFY(graph.isEnabled()); // the stored Enabled does not grey the control
        QCOMPARE(graph.barRect().width(), px(graph, 240 + 100) - px(graph, 240));

        MV_Cool_BerGraph cool(&host);
        QCOMPARE(cool.property("MaxValue").toInt(), 1050);
        QCOMPARE(cool.property("MinValue").toInt(), -50);
        QCOMPARE(cool.metaObject()->indexOfProperty("MvColor"), -1);
    }

    void storedOnlyPropertiesReportTheirChanges()
    {
        MV_BerGraph graph;
        QSignalSpy maxSpy(&graph, &MvBarGraphBase::MaxValueChanged);
        QSignalSpy valueSpy(&graph, &MvBarGraphBase::MvValueChanged);
        QSignalSpy colorSpy(&graph, &MV_BerGraph::MvColorChanged);
        const QImage before = snapshot(graph);
        QVERIFY(graph.setProperty("MaxValue", 900));
        QVERIFY(graph.setProperty("MinValue", 10));
        QVERIFY(graph.setProperty("BackColor", QColor(Qt::red)));
        QVERIFY(graph.setProperty("ForeColor", QColor(Qt::green)));
        QVERIFY(graph.setProperty("Enabled", true));
        QVERIFY(graph.setProperty("BackStyle", 1));
        QVERIFY(graph.setProperty("BorderStyle", 1));
        QVERIFY(graph.setProperty("Font", QFont(QStringLiteral("Serif"), 20)));
        QCOMPARE(maxSpy.count(), 1);
        QCOMPARE(graph.property("MaxValue").toInt(), 900);
        QCOMPARE(graph.property("Font").value<QFont>().pointSize(), 20);
        QCOMPARE(graph.property("BackColor").value<QColor>(), QColor(Qt::red));
        QCOMPARE(snapshot(graph), before); // stored only: nothing drawn changes

        QVERIFY(graph.setProperty("MvValue", 500));
        QVERIFY(graph.setProperty("MvValue", 500));
        QCOMPARE(valueSpy.count(), 1);
        QCOMPARE(valueSpy.first().first().value<qint16>(), qint16(500));
        graph.setMvColor(kYellow);
        QCOMPARE(colorSpy.count(), 1);
        QCOMPARE(graph.property("MvColor").value<QColor>(), kYellow);
    }

    void barEdges_data()
    {
        QTest::addColumn<int>("value");
        QTest::newRow("-5.0 % empty") << -50;
        QTest::newRow("0 %") << 0;
        QTest::newRow("0.1 %") << 1;
        QTest::newRow("50 %") << 500;
        QTest::newRow("100 %") << 1000;
        QTest::newRow("105.0 % full frame") << 1050;
        QTest::newRow("below the range") << -300;
        QTest::newRow("far below") << -32768;
        QTest::newRow("above the range") << 1500;
        QTest::newRow("far above") << 32767;
    }
    void barEdges()
    {
        QFETCH(int, value);
        MV_BerGraph graph;
        checkBarEnds(graph, 240, value, kBlue);
        QCOMPARE(graph.MvValue(), qint16(value)); // the value is kept as given
        MV_Cool_BerGraph cool;
        checkBarEnds(cool, 120, value, kYellow);
    }

    void fiftyPercentEndsOnTheMiddleTick()
    {
        MV_BerGraph graph;
        graph.setMvValue(500);
        QCOMPARE(graph.barRect().right() + 1, px(graph, 1340));
        QCOMPARE(graph.tickX(5), px(graph, 1340));
        graph.setMvValue(1000);
        QCOMPARE(graph.barRect().right() + 1, px(graph, 2340));
        graph.setMvValue(1050);
        QCOMPARE(graph.barRect().width(), px(graph, 240 + 2200) - px(graph, 240));
        graph.setMvValue(-50);
        QCOMPARE(graph.barRect().width(), 0);
        graph.setMvValue(-51);
        QCOMPARE(graph.barRect().width(), 0);
        graph.setMvValue(1051);
        QCOMPARE(graph.barRect().width(), px(graph, 240 + 2200) - px(graph, 240));
    }

    void ticksAreDrawnUnderTheFrame()
    {
        const int heating[] = {340, 540, 740, 940, 1140, 1340, 1540, 1740, 1940, 2140, 2340};
        const int cooling[] = {225, 420, 615, 825, 1020, 1215, 1425, 1620, 1815, 2025, 2220};
        MV_BerGraph graph;
        MV_Cool_BerGraph cool;
        for (auto [widget, ticks] : {std::pair<MvBarGraphBase *, const int *>{&graph, heating},
                                     std::pair<MvBarGraphBase *, const int *>{&cool, cooling}}) {
            const QImage image = snapshot(*widget);
            const int y = px(*widget, 60 + 372 + 45); // halfway down the tick marks
            const QColor background = widget->palette().color(QPalette::Window);
            for (int i = 0; i < 11; ++i) {
                QCOMPARE(widget->tickX(i), px(*widget, ticks[i]));
                QVERIFY(at(image, px(*widget, ticks[i]), y) != background);
                if (i < 10) // between two ticks
                    QCOMPARE(at(image, px(*widget, (ticks[i] + ticks[i + 1]) / 2.0), y), background);
            }
        }
    }

    void scaleLabelsSitUnderTheirTicks()
    {
        MV_BerGraph graph;
        const QImage image = snapshot(graph);
        const int labelTop = px(graph, 60 + 372 + 90) + 1;
        auto inkNear = [&](int x) {
            for (int y = labelTop; y < image.height(); ++y)
                for (int dx = -4; dx <= 4; ++dx)
                    if (QColor(image.pixel(x + dx, y)).lightness() < 100)
                        return true;
            return false;
        };
        QVERIFY(inkNear(px(graph, 340)));
        QVERIFY(inkNear(px(graph, 1340)));
        QVERIFY(inkNear(px(graph, 2340)));
        QVERIFY(!inkNear(px(graph, 840))); // no label at 25 %
    }

    void colourFollowsMvColorOnItsOwnBar()
    {
        MV_BerGraph heating;
        MV_BerGraph coolingBar;
        heating.setMvValue(600);
        coolingBar.setMvValue(600);
        coolingBar.setMvColor(kYellow);
        const int x = px(heating, 240 + 600);
        QCOMPARE(at(snapshot(coolingBar), x, barRow(coolingBar)), kYellow);
        QCOMPARE(at(snapshot(heating), x, barRow(heating)), kBlue);
    }

    void screenReadersHearTheValue()
    {
        MV_BerGraph graph;
        graph.setObjectName(QStringLiteral("MV_BerGraph1"));
        graph.setAccessibleName(QStringLiteral("Heating output Ch004"));
        graph.setMvValue(505);
        QCOMPARE(graph.accessibleDescription(), QStringLiteral("Output 50.5 %"));
        graph.setMvValue(-50);
        QCOMPARE(graph.accessibleDescription(), QStringLiteral("Output -5.0 %"));
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(&graph);
        QVERIFY(iface);
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Heating output Ch004"));
        QCOMPARE(iface->text(QAccessible::Description), QStringLiteral("Output -5.0 %"));
        QVERIFY(!MV_Cool_BerGraph().accessibleName().isEmpty());
    }

    void refreshChangesNothing()
    {
        MV_BerGraph graph;
        graph.setMvValue(250);
        const QImage before = snapshot(graph);
        graph.Refresh();
        QCOMPARE(graph.MvValue(), qint16(250));
        QCOMPARE(snapshot(graph), before);
    }
};

QTEST_MAIN(TestBarGraphs)
#include "tst_bargraphs.moc"
