// The chart settings and sampling without a window: the value a pen plots, the stored
// settings and their ranges, Start, the 1000-point end, Stop, the setup's OK and the resume
// of a chart that ran when the program closed. The recording view writes what the window
// would be told as short lines.
#include "ChartLogFixture.h"
#include "ChartSampling.h"

#include <QtTest>
#include <memory>

using namespace PLM_INC;

namespace {

class RecordingChartView : public ChartView {
public:
    void startChart(const ChartSettings &s, const QString &startTime) override
    {
        calls << QStringLiteral("start %1..%2 vis %3%4%5%6 at %7 every %8 s")
                     .arg(s.ChartMin).arg(s.ChartMax)
                     .arg(s.ChartPenItem[0]).arg(s.ChartPenItem[1]).arg(s.ChartPenItem[2]).arg(s.ChartPenItem[3])
                     .arg(startTime).arg(s.ChartTime);
    }
    void stopChart() override { calls << QStringLiteral("stop"); }
    void plotPoint(const PenValues &values, int point) override
    {
        QStringList v;
        for (const auto &value : values)
            v << (value ? QString::number(*value) : QStringLiteral("-"));
        calls << QStringLiteral("plot %1: %2").arg(point).arg(v.join(QLatin1Char(',')));
        points << point;
    }
    void setLegend(int pen, const QString &text) override { legends[size_t(pen)] = text; }
    void setLegendEnabled(int pen, bool enabled) override { legendEnabled[size_t(pen)] = enabled; }
    void setChartButtonEnabled(int index, bool enabled) override { buttons[size_t(index)] = enabled; }
    void setProtEndVisible(bool visible) override
    {
        protEndShown += visible ? 1 : 0;
        if (visible)
            protEndAfter = points.isEmpty() ? -1 : points.last();
    }
    void setSampling(bool on, int intervalMs) override { interval = on ? intervalMs : 0; }
    void setChartStatus(const QString &text) override { status = text; }

    QStringList calls;
    QList<int> points;
    std::array<QString, 4> legends;
    std::array<bool, 4> legendEnabled{true, true, true, true};
    std::array<bool, 3> buttons{false, false, true}; // as the window is created
    int protEndShown = 0;
    int protEndAfter = -2; // the last point plotted when "Prot end" came up
    int interval = 0; // 0 = sampling off
    QString status;
};

} // namespace

class TestChartSampling : public QObject {
    Q_OBJECT
private slots:
    void valueAPenPlots_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("inputType");
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("plotted");
        QTest::newRow("PV, whole-degree input, as it is") << 1 << 5 << 1234 << "1234";
        QTest::newRow("PV, tenths input: 1234 -> 123") << 1 << 6 << 1234 << "123";
        QTest::newRow("PV, linear input divided too") << 1 << 12 << 1234 << "123";
        QTest::newRow("SV, tenths input, half to even down") << 2 << 8 << -1995 << "-200";
        QTest::newRow("SV, whole-degree input") << 2 << 0 << -1995 << "-1995";
        QTest::newRow("MV 65.5 % -> 66") << 3 << 0 << 655 << "66";
        QTest::newRow("MV 64.5 % -> 64") << 3 << 0 << 645 << "64";
        QTest::newRow("MV 64.6 % -> 65") << 3 << 9 << 646 << "65";
        QTest::newRow("MV -0.5 % -> 0") << 3 << 0 << -5 << "0";
        QTest::newRow("hidden pen plots nothing") << 0 << 6 << 1234 << "-";
        QTest::newRow("unknown kind plots nothing") << 7 << 6 << 1234 << "-";
    }
    void valueAPenPlots()
    {
        QFETCH(int, kind);
        QFETCH(int, inputType);
        QFETCH(int, raw);
        QFETCH(QString, plotted);
        ResetImage();
        constexpr int kCh = 77;
        InputType[kCh] = int16_t(inputType);
        ProcessValue[kCh] = MainSetting[kCh] = OutputValue[kCh] = int16_t(raw);
        const std::optional<int16_t> v = PenSample(kind, kCh);
        QCOMPARE(v ? QString::number(*v) : QStringLiteral("-"), plotted);
    }

    void storedSettingsAndTheirRanges_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("loaded"); // every setting after loading
        const QString defaults = QStringLiteral("0..400 5 s pens 0,1,2,3 kinds 1,1,1,1");
        QTest::newRow("plot time 30") << "Chart_Tim" << "30" << "0..400 30 s pens 0,1,2,3 kinds 1,1,1,1";
        QTest::newRow("plot time 0 -> 5") << "Chart_Tim" << "0" << defaults;
        QTest::newRow("plot time 31 -> 5") << "Chart_Tim" << "31" << defaults;
        QTest::newRow("plot time not a number -> 5") << "Chart_Tim" << "x" << defaults;
        QTest::newRow("pen 3 channel 319") << "Chart_PrNo2" << "319" << "0..400 5 s pens 0,1,319,3 kinds 1,1,1,1";
        QTest::newRow("pen 3 channel 320 -> 2") << "Chart_PrNo2" << "320" << defaults;
        QTest::newRow("pen 3 channel -1 -> 2") << "Chart_PrNo2" << "-1" << defaults;
        QTest::newRow("pen 2 kind 0") << "Chart_PrVis1" << "0" << "0..400 5 s pens 0,1,2,3 kinds 1,0,1,1";
        QTest::newRow("pen 2 kind 4 -> 1") << "Chart_PrVis1" << "4" << defaults;
        QTest::newRow("bottom beyond 16 bits -> 0") << "Chart_Min" << "40000" << defaults;
        QTest::newRow("top below the bottom is kept") << "Chart_Max" << "-100" << "0..-100 5 s pens 0,1,2,3 kinds 1,1,1,1";
    }
    void storedSettingsAndTheirRanges()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        QFETCH(QString, loaded);
        ChartLogFixture env;
        Prefs::set(key, stored);
        const ChartSettings s = LoadChartSettings();
        const auto list = [](const auto &a) {
            return QStringLiteral("%1,%2,%3,%4").arg(a[0]).arg(a[1]).arg(a[2]).arg(a[3]);
        };
        QCOMPARE(QStringLiteral("%1..%2 %3 s pens %4 kinds %5")
                     .arg(s.ChartMin).arg(s.ChartMax).arg(s.ChartTime)
                     .arg(list(s.ChartPenChannel), list(s.ChartPenItem)),
                 loaded);
    }

    void upDownRuleKeepsTheTopAboveTheBottom_data()
    {
        QTest::addColumn<int>("changed"); // 0 bottom, 1 top
        QTest::addColumn<int>("bottom");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("newBottom");
        QTest::addColumn<int>("newTop");
        QTest::newRow("top above the bottom stays") << 1 << 0 << 100 << 0 << 100;
        QTest::newRow("top down to the bottom: bottom + 100") << 1 << 300 << 300 << 300 << 400;
        QTest::newRow("top below the bottom: bottom + 100") << 1 << 300 << 200 << 300 << 400;
        QTest::newRow("bottom up to the top: top - 100") << 0 << 400 << 400 << 300 << 400;
        QTest::newRow("bottom above the top: top - 100") << 0 << 900 << 400 << 300 << 400;
        QTest::newRow("bottom below the top stays") << 0 << -400 << 3400 << -400 << 3400;
        QTest::newRow("top at the lowest: bottom + 100") << 1 << -400 << -400 << -400 << -300;
        QTest::newRow("bottom at the highest: top - 100") << 0 << 3400 << 3400 << 3300 << 3400;
        QTest::newRow("typed top 50 above: the bottom gives way") << 1 << 3300 << 3350 << 3250 << 3350;
        QTest::newRow("typed bottom 50 below: the top gives way") << 0 << 250 << 300 << 250 << 350;
        QTest::newRow("typed bottom at the highest with the top there") << 0 << 3350 << 3400 << 3300 << 3400;
    }
    void upDownRuleKeepsTheTopAboveTheBottom()
    {
        QFETCH(int, changed);
        QFETCH(int, bottom);
        QFETCH(int, top);
        QFETCH(int, newBottom);
        QFETCH(int, newTop);
        const ChartRange r = KeepRangeOpen(changed, {bottom, top});
        QCOMPARE(r.bottom, newBottom);
        QCOMPARE(r.top, newTop);
        QVERIFY(r.top - r.bottom >= 100);
    }

    void startTakesTheFirstSampleAtOnce()
    {
        ChartLogFixture env;
        RecordingChartView view;
        ChartSampling chart(view);
        chart.load();
        QCOMPARE(view.legends, (std::array<QString, 4>{"Ch001", "Ch002", "Ch003", "Ch004"}));
        chart.settings.ChartPenItem = {1, 0, 3, 2};
        chart.settings.ChartTime = 30;
        InputType[0] = 6;
        ProcessValue[0] = 1234;
        OutputValue[2] = 655;
        MainSetting[3] = -7;
        env.clock.at = QDateTime(QDate(2026, 12, 6), QTime(7, 3, 59));
        chart.start();
        QCOMPARE(view.calls, (QStringList{"start 0..400 vis 1032 at 07:03 every 30 s", "plot 0: 123,-,66,-7"}));
        QCOMPARE(view.legendEnabled, (std::array<bool, 4>{true, false, true, true}));
        QCOMPARE(view.buttons, (std::array<bool, 3>{false, false, false}));
        QCOMPARE(view.interval, 30000);
        QCOMPARE(view.status, QStringLiteral("Chart run"));
        QCOMPARE(ChartLogFixture::stored(QStringLiteral("Chart_start")), QStringLiteral("1"));
        QCOMPARE(chart.ChartPoint, int16_t(1));
    }

    void thousandPointsThenProtEndThenStop()
    {
        ChartLogFixture env;
        RecordingChartView view;
        ChartSampling chart(view);
        chart.start();
        for (int tick = 0; tick < 998; ++tick)
            chart.sample();
        // Point 998 plotted: one more to go, the chart still runs.
        QCOMPARE(view.points.last(), 998);
        QCOMPARE(view.protEndShown, 0);
        QCOMPARE(view.status, QStringLiteral("Chart run"));
        for (int tick = 998; tick < 1002; ++tick)
            chart.sample();
        // Points 0..999, then 999 on every tick until Stop; the control ignores the repeats.
        QCOMPARE(view.points.size(), 1003);
        QCOMPARE(view.points.mid(998), (QList<int>{998, 999, 999, 999, 999}));
        QCOMPARE(view.protEndShown, 1);
        QCOMPARE(view.protEndAfter, 999);
        QCOMPARE(view.status, QStringLiteral("Prot end"));
        QCOMPARE(view.interval, 5000);
        chart.stop();
        QCOMPARE(view.calls.last(), QStringLiteral("stop"));
        QCOMPARE(view.interval, 0);
        QCOMPARE(view.status, QStringLiteral("Chart standby"));
        QCOMPARE(view.buttons, (std::array<bool, 3>{true, false, true}));
        QCOMPARE(ChartLogFixture::stored(QStringLiteral("Chart_start")), QStringLiteral("0"));
        view.points.clear();
        chart.start(); // a new chart from point 0
        QCOMPARE(view.points, QList<int>{0});
    }

    void setupOkStoresAndOffersStartAndStop_data()
    {
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("startEnabled");
        QTest::newRow("standby: Start and Stop offered") << false << true;
        QTest::newRow("running: Start stays off") << true << false;
    }
    void setupOkStoresAndOffersStartAndStop()
    {
        QFETCH(bool, running);
        QFETCH(bool, startEnabled);
        ChartLogFixture env;
        RecordingChartView view;
        ChartSampling chart(view);
        if (running)
            chart.start();
        ChartSettings chosen;
        chosen.ChartMin = -100;
        chosen.ChartMax = 1200;
        chosen.ChartTime = 12;
        chosen.ChartPenChannel = {319, 7, 0, 45};
        chosen.ChartPenItem = {0, 1, 2, 3};
        chart.confirm(chosen, {"Ch320", "Oven 8", "Ch001", "Ch046"});
        QCOMPARE(view.legends, (std::array<QString, 4>{"Ch320: --", "Oven 8: PV", "Ch001: SV", "Ch046: MV"}));
        QCOMPARE(view.buttons[0], startEnabled);
        QCOMPARE(view.buttons[1], true);
        QVERIFY(chart.settings == chosen);
        QCOMPARE(ChartLogFixture::stored(QStringLiteral("Chart_PrName1")), QStringLiteral("Oven 8: PV"));
        QVERIFY(LoadChartSettings() == chosen); // every setting stored
    }

    void resumeAfterTheNextStart_data()
    {
        QTest::addColumn<QString>("chartStart"); // empty = not stored
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("running at the close: from point 0") << "1"
                                                            << QStringList{"start 0..400 vis 1111 at 09:05 every 5 s", "plot 0: 0,0,0,0"};
        QTest::newRow("stopped at the close") << "0" << QStringList{};
        QTest::newRow("first run") << "" << QStringList{};
    }
    void resumeAfterTheNextStart()
    {
        QFETCH(QString, chartStart);
        QFETCH(QStringList, calls);
        ChartLogFixture env;
        {
            // The last run: a chart that ran for 40 samples, or was stopped, when the program closed.
            RecordingChartView before;
            ChartSampling last(before);
            if (!chartStart.isEmpty()) {
                last.start();
                for (int i = 0; i < 40; ++i)
                    last.sample();
                if (chartStart == QLatin1String("0"))
                    last.stop();
            }
        }
        RecordingChartView view;
        ChartSampling chart(view);
        chart.load();
        chart.resume();
        QCOMPARE(view.calls, calls);
        QCOMPARE(chart.running(), !calls.isEmpty());
        QCOMPARE(view.buttons[1], !calls.isEmpty()); // Stop offered only to a resumed chart
    }
};

QTEST_GUILESS_MAIN(TestChartSampling)
#include "tst_chart_sampling.moc"
