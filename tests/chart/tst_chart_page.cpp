// The chart page and its setup window as the operator uses them: the setup shows the
// settings in force, the up-down rule on the range, OK and Cancel, Start, samples and Stop,
// and a stored range without height at a resumed start.
#include "ChartLogFixture.h"
#include "ChartPage.h"
#include "MainDisp.h"
#include "SubDisp_Chartset.h"
#include "Tobrel_ChartCtl.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace PLM_INC;

class TestChartPage : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<ChartLogFixture> m_env;
    std::unique_ptr<MainDisp> m_win;

    ChartPage &page() { return *m_win->chartPage; }
    SubDisp_Chartset &setup() { return *page().subDispChartset; }
    void openSetup()
    {
        QTest::mouseClick(page().ChartStart[2], Qt::LeftButton);
        QVERIFY(setup().isVisible());
    }
    QStringList legends()
    {
        QStringList out;
        for (QLabel *l : page().Label_protname)
            out << l->text();
        return out;
    }
    QList<bool> chartButtons()
    {
        QList<bool> out;
        for (QPushButton *b : page().ChartStart)
            out << b->isEnabled();
        return out;
    }

private slots:
    void init()
    {
        m_env = std::make_unique<ChartLogFixture>();
        m_win = std::make_unique<MainDisp>();
        page().LoadChartSettings();
        m_win->regRead();
        m_win->show();
        m_win->SSTab1->setCurrentIndex(5);
    }
    void cleanup()
    {
        m_win.reset();
        m_env.reset();
    }

    void setupShowsTheSettingsInForce()
    {
        Prefs::set(QStringLiteral("Chart_Max"), QStringLiteral("1200"));
        Prefs::set(QStringLiteral("Chart_Tim"), QStringLiteral("12"));
        Prefs::set(QStringLiteral("Chart_PrNo2"), QStringLiteral("45"));
        Prefs::set(QStringLiteral("Chart_PrVis2"), QStringLiteral("3"));
        Prefs::set(QStringLiteral("Chname046"), QStringLiteral("Die zone 6"));
        page().LoadChartSettings();
        QCOMPARE(chartButtons(), (QList<bool>{false, false, true}));
        openSetup();
        QCOMPARE((QStringList{setup().Text1(0), setup().Text1(1), setup().Text1(2)}), (QStringList{"0", "1200", "12"}));
        QCOMPARE(setup().Chart_CHName[2]->count(), 320);
        QCOMPARE(setup().Chart_CHName[2]->currentText(), QStringLiteral("Die zone 6"));
        QVERIFY(setup().Plot3_Option[3]->isChecked());
        QVERIFY(setup().Plot1_Option[1]->isChecked());
        // The setup refreshed the legends from the lists.
        QCOMPARE(legends(), (QStringList{"Ch001: PV", "Ch002: PV", "Die zone 6: MV", "Ch004: PV"}));
    }

    void upDownRuleOnTheRange_data()
    {
        QTest::addColumn<int>("upDown");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("top stepped down to the bottom: pushed back up") << 1 << int(Qt::Key_Down) << 4 << QStringList{"0", "100"};
        QTest::newRow("top stepped down once") << 1 << int(Qt::Key_Down) << 1 << QStringList{"0", "300"};
        QTest::newRow("bottom stepped up to the top: pushed back down") << 0 << int(Qt::Key_Up) << 4 << QStringList{"300", "400"};
    }
    void upDownRuleOnTheRange()
    {
        QFETCH(int, upDown);
        QFETCH(int, key);
        QFETCH(int, presses);
        QFETCH(QStringList, texts);
        openSetup();
        for (int i = 0; i < presses; ++i)
            QTest::keyClick(setup().UpDown1[size_t(upDown)], Qt::Key(key));
        QCOMPARE((QStringList{setup().Text1(0), setup().Text1(1)}), texts);
    }

    void okStoresAndOffersStartCancelChangesNothing_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QStringList>("legends");
        QTest::addColumn<QList<bool>>("buttons");
        QTest::addColumn<QString>("storedTop");
        QTest::newRow("OK") << 0 << QStringList{"Ch320: MV", "Ch002: --", "Ch003: PV", "Ch004: SV"}
                            << QList<bool>{true, true, true} << "100";
        QTest::newRow("Cancel") << 1 << QStringList{"Ch001", "Ch002", "Ch003", "Ch004"} << QList<bool>{false, false, true}
                                << "(none)";
    }
    void okStoresAndOffersStartCancelChangesNothing()
    {
        QFETCH(int, button);
        QFETCH(QStringList, legends);
        QFETCH(QList<bool>, buttons);
        QFETCH(QString, storedTop);
        m_win->chartPen = nullptr; // the legends as the program entry left them
        openSetup();
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(setup().UpDown1[1], Qt::Key_Down);
        setup().Chart_CHName[0]->setCurrentIndex(319);
        setup().Plot1_Option[3]->setChecked(true);
        setup().Plot2_Option[0]->setChecked(true);
        setup().Plot4_Option[2]->setChecked(true);
        // The legends as loaded at program entry, until OK changes them.
        for (int k = 0; k < 4; ++k)
            page().Label_protname[size_t(k)]->setText(QStringLiteral("Ch00%1").arg(k + 1));
        QTest::mouseClick(setup().Command1[size_t(button)], Qt::LeftButton);
        QVERIFY(!setup().isVisible());
        QCOMPARE(this->legends(), legends);
        QCOMPARE(chartButtons(), buttons);
        QCOMPARE(ChartLogFixture::stored(QStringLiteral("Chart_Max")), storedTop);
        QCOMPARE(page().sampling().settings.ChartMax, int16_t(button == 0 ? 100 : 400));
        // Opened again, the window shows what is in force.
        openSetup();
        QCOMPARE(setup().Text1(1), button == 0 ? QStringLiteral("100") : QStringLiteral("400"));
    }

    void startSamplesAndStop()
    {
        InputType[0] = 6;
        ProcessValue[0] = 1234;
        OutputValue[1] = 655;
        openSetup();
        setup().Plot2_Option[3]->setChecked(true);
        setup().Plot3_Option[0]->setChecked(true);
        QTest::mouseClick(setup().Command1[0], Qt::LeftButton);
        QTest::mouseClick(page().ChartStart[0], Qt::LeftButton);
        QVERIFY(page().Timer2->isActive());
        QCOMPARE(page().Timer2->interval(), 5000);
        QCOMPARE(chartButtons(), (QList<bool>{false, true, false}));
        QCOMPARE(m_win->statusPanelText(3), QStringLiteral("Chart run"));
        QVERIFY(!page().Label_protname[2]->isEnabled());
        Tobrel_ChartCtl &chart = *page().Tobrel_ChartCtl1;
        QCOMPARE(chart.valueLabel(0), QStringLiteral("123"));
        QCOMPARE(chart.valueLabel(1), QStringLiteral("66"));
        QCOMPARE(chart.valueLabel(2), QString());
        QCOMPARE(chart.startTimeLabel(), QStringLiteral("09:05"));
        QCOMPARE(chart.timeLabel(0), QStringLiteral("8.3"));

        ProcessValue[0] = 5000; // above the range
        page().Timer2_Timer();
        QCOMPARE(chart.segment(0, 1), std::optional<QLine>(QLine(10, 4155, 20, 1)));
        QCOMPARE(chart.indicatorColor(0), QColor(255, 0, 0));

        QTest::mouseClick(page().ChartStart[1], Qt::LeftButton);
        QVERIFY(!page().Timer2->isActive());
        QCOMPARE(m_win->statusPanelText(3), QStringLiteral("Chart standby"));
        QCOMPARE(chartButtons(), (QList<bool>{true, true, true}));
        QCOMPARE(chart.segmentCount(), 3 * 2); // the picture stays
    }

    void aStoredRangeWithoutHeightShowsTheScaleMessageOnce()
    {
        Prefs::set(QStringLiteral("Chart_Min"), QStringLiteral("400"));
        Prefs::set(QStringLiteral("Chart_start"), QStringLiteral("1"));
        page().LoadChartSettings();
        page().resume();
        QCOMPARE(m_env->prompter.messages, QStringList{Tobrel_ChartCtl::scaleMessageText()});
        QCOMPARE(m_env->prompter.kinds, QStringList{QStringLiteral("chart")});
        QVERIFY(!page().Tobrel_ChartCtl1->gridDrawn());
        QVERIFY(page().Timer2->isActive()); // the chart runs, every value out of range
        QVERIFY(page().ChartStart[1]->isEnabled());
    }
};

QTEST_MAIN(TestChartPage)
#include "tst_chart_page.moc"
