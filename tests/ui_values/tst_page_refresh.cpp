// The page refresh as the operator sees it: values set in the controller image, SelectDispItem
// run, and the texts, lamp colours, frames and notes of the page read back by control name.
#include "LinkHealth.h"
#include "Lamp.h"
#include "MainDisp.h"
#include "MV_BerGraph.h"
#include "UiValuesFixture.h"

#include <QComboBox>
#include <QGroupBox>
#include <QSet>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

using namespace PLM_INC;

namespace {

// Records the name of every widget that gets painted while it is installed.
class PaintRecorder : public QObject {
public:
    PaintRecorder() { qApp->installEventFilter(this); }
    ~PaintRecorder() override { qApp->removeEventFilter(this); }
    QSet<QWidget *> painted;

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && object->isWidgetType())
            painted.insert(static_cast<QWidget *>(object));
        return false;
    }
};

// Every pending layout and repaint done: a layout request climbs one parent per pass.
void settle()
{
    for (int pass = 0; pass < 12; ++pass)
        QCoreApplication::processEvents();
}

} // namespace

class TestPageRefresh : public QObject {
    Q_OBJECT
    std::unique_ptr<UiValuesFixture> m_env;
    std::unique_ptr<MainDisp> m_win;

    template <typename W = QLabel>
    W *control(const QString &name) const
    {
        W *w = m_win->findChild<W *>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QString text(const QString &name) const { return control<QLabel>(name)->text(); }
    QString lamp(const QString &name) const { return Lamp::colorName(control<Lamp>(name)->fillColor()); }
    bool shown(const QString &name) const { return !control<QWidget>(name)->isHidden(); }

    void showTab(int tab)
    {
        m_win->SSTab1->setCurrentIndex(tab);
    }
    void select(const QString &list, int index)
    {
        m_win->setListIndex(control<QComboBox>(list), index);
    }

    // Channels 4 and 5 of block 0 form a heating/cooling pair with heater burnout option.
    static void heatCoolPair()
    {
        for (int n : {4, 5}) {
            OptionWord[n] = kOptionHeatCool | kOptionHeaterBurnout;
            InputType[n] = 8; // Pt100, tenths
        }
        ProcessValue[4] = 1234;
        MainSetting[4] = 1500;
        OutputValue[4] = 456;
        OutputValue[5] = 333;
        StatusWord[4] = kStatusControl | kStatusAlarm1 | kStatusOutputOn;
        StatusWord[5] = kStatusControl;
        CoolProportionalBand[4] = 25;  // item 26, F
        CoolProportionalCycle[4] = 7;  // item 27, N
        OverlapDeadBand[4] = -15;      // item 28, D
        CoolActionMode[4] = 2;         // item 29, M
        CoolOnOffHysteresis[4] = 5;    // item 30, D
        Alarm1Action[4] = 2;
        HeaterCurrent[4] = 123;
        // The odd partner holds different settings that must not appear on channel 4's page.
        CoolProportionalBand[5] = 999;
        CoolActionMode[5] = 0;
    }

private slots:
    void init()
    {
        m_env = std::make_unique<UiValuesFixture>();
        UiValuesFixture::connectAll();
        m_win = std::make_unique<MainDisp>();
        m_win->SetNameLists(2);
        for (const char *list : {"tb1_BName_0", "tb1_BName_1", "tb2_BName", "tb4_BName", "tb3_CHName", "Combo1",
                                 "tb1_Block_P_0", "tb1_Block_P_1", "tb2_Block_P_0", "tb2_Block_P_1", "tb2_Block_P_2"})
            select(QString::fromLatin1(list), 0);
        m_win->resize(1200, 800);
        m_win->show();
    }

    void cleanup()
    {
        m_win.reset();
        m_env.reset();
    }

    // A refresh repaints the fields whose text or colour changed and nothing else: no new value
    // lays the window out and paints it whole, and a refresh with nothing new paints nothing.
    // Every item list shows the output, so a new process value shows in its PV fields alone.
    void refreshRepaintsOnlyWhatChanged_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("repainted");
        QTest::newRow("overview, nothing new") << 0 << "none" << QStringList();
        QTest::newRow("overview, one output") << 0 << "output of channel 3" << QStringList{"Para_Text_3"};
        QStringList block1;
        for (int row = 20; row < 40; ++row)
            block1 << QStringLiteral("Para_Text_%1").arg(row);
        QTest::newRow("overview, a block stops answering") << 0 << "block 1 silent" << block1; // greyed
        QTest::newRow("two blocks, one PV") << 1 << "PV of channel 3" << QStringList{"tb1_PV_3"};
        QTest::newRow("two blocks, one lamp") << 1 << "alarm 2 of channel 3" << QStringList{"tb1_staA2_3"};
        QTest::newRow("one block, nothing new") << 2 << "none" << QStringList();
        QTest::newRow("one block, one PV") << 2 << "PV of channel 3" << QStringList{"tb2_PV_3"};
        QTest::newRow("one block, one lamp") << 2 << "alarm 2 of channel 3" << QStringList{"tb2_staA2_3"};
        QTest::newRow("one block, one output") << 2 << "output of channel 3"
                                               << QStringList{"tb2_Para1_3", "tb2_Para2_3", "tb2_Para3_3"};
        QTest::newRow("one channel, nothing new") << 3 << "none" << QStringList();
        QTest::newRow("one channel, PV") << 3 << "PV of channel 0" << QStringList{"Text_PV"};
    }
    void refreshRepaintsOnlyWhatChanged()
    {
        QFETCH(int, tab);
        QFETCH(QString, change);
        QFETCH(QStringList, repainted);
        for (const char *list : {"Combo1", "tb1_Block_P_0", "tb1_Block_P_1", "tb2_Block_P_0", "tb2_Block_P_1", "tb2_Block_P_2"})
            select(QString::fromLatin1(list), 1); // output
        select(QStringLiteral("tb1_BName_1"), 1);
        for (int n = 0; n < kChannels; ++n) {
            ProcessValue[n] = int16_t(100 + n);
            OutputValue[n] = int16_t(n);
        }
        QVERIFY(QTest::qWaitForWindowExposed(m_win.get()));
        showTab(tab);
        m_win->SelectDispItem();
        settle();

        PaintRecorder recorder;
        if (change == QLatin1String("output of channel 3"))
            OutputValue[3] = 555;
        else if (change.startsWith(QLatin1String("PV of channel ")))
            ProcessValue[change.mid(14).toInt()] = 4321;
        else if (change == QLatin1String("alarm 2 of channel 3"))
            StatusWord[3] = kStatusAlarm2;
        else if (change == QLatin1String("block 1 silent")) {
            m_win->linkHealth->setMonotonicClock([] { return qint64(0); });
            m_win->linkHealth->notePoll(1, 0, ReplyKind::Ack);
            m_win->linkHealth->setMonotonicClock([] { return qint64(60000); });
        }
        m_win->SelectDispItem();
        settle();

        // The changed fields, and the frames behind them, are painted; nothing beside them.
        QSet<QWidget *> expected;
        QStringList others;
        for (const QString &name : repainted)
            expected.insert(control<QWidget>(name));
        for (QWidget *w : std::as_const(recorder.painted)) {
            const bool behind = std::any_of(expected.begin(), expected.end(), [w](QWidget *e) { return w->isAncestorOf(e); });
            if (!expected.contains(w) && !behind)
                others << w->objectName();
        }
        others.sort();
        QVERIFY2(others.isEmpty(), qPrintable(QStringLiteral("also painted: ") + others.join(QLatin1Char(' '))));
        for (QWidget *w : std::as_const(expected))
            QVERIFY2(recorder.painted.contains(w), qPrintable(w->objectName() + QStringLiteral(" not painted")));
    }

    void overviewShowsTheChosenItemOfTheGroup()
    {
        GroupIndex = 1;
        select(QStringLiteral("Combo1"), 1); // output
        OutputValue[80] = 1000;
        OutputValue[159] = -50;
        OutputValue[0] = 777; // group 0: not on the page
        showTab(0);
        m_win->SelectDispItem();
        QCOMPARE(text(QStringLiteral("Para_Text_0")), QStringLiteral("100.0"));
        QCOMPARE(text(QStringLiteral("Para_Text_79")), QStringLiteral("-5.0"));
        QCOMPARE(text(QStringLiteral("Para_Text_1")), QStringLiteral("0.0"));
    }

    void onlyThePageInFrontIsTouched()
    {
        ProcessValue[0] = 42;
        showTab(2);
        m_win->SelectDispItem();
        QCOMPARE(text(QStringLiteral("tb2_PV_0")), QStringLiteral("42"));
        QCOMPARE(text(QStringLiteral("tb1_PV_0")), QString());
        QCOMPARE(text(QStringLiteral("Para_Text_0")), QString());

        // The chart page and an index above 4 refresh nothing.
        ProcessValue[0] = 43;
        for (int tab : {5, 6}) {
            showTab(tab);
            m_win->SelectDispItem();
        }
        QCOMPARE(text(QStringLiteral("tb2_PV_0")), QStringLiteral("42"));
    }

    void twoBlockPageRowsAndLamps()
    {
        select(QStringLiteral("tb1_BName_1"), 3);
        select(QStringLiteral("tb1_Block_P_1"), 3); // main setting value
        ProcessValue[60 + 7] = 250;
        MainSetting[60 + 7] = 300;
        StatusWord[60 + 7] = kStatusAlarm2;
        StatusWord[0] = kStatusAlarm1;
        showTab(1);
        m_win->SelectDispItem();
        QCOMPARE(text(QStringLiteral("tb1_PV_27")), QStringLiteral("250"));
        QCOMPARE(text(QStringLiteral("tb1_Para_27")), QStringLiteral("300"));
        QCOMPARE(lamp(QStringLiteral("tb1_staA1_27")), QStringLiteral("white"));
        QCOMPARE(lamp(QStringLiteral("tb1_staA2_27")), QStringLiteral("red"));
        QCOMPARE(lamp(QStringLiteral("tb1_staA1_0")), QStringLiteral("red"));
    }

    void thirdLampFollowsTheA3Selection()
    {
        StatusWord[0] = kStatusLoopBreak;
        StatusWord[1] = kStatusUnderscale;
        StatusWord[2] = kStatusHeaterBurnout;
        showTab(1);

        // With none of the options set the third lamp keeps whatever colour it had.
        for (const char *name : {"Option1", "Option2", "Option3"})
            QVERIFY(!control<QRadioButton>(QString::fromLatin1(name))->isChecked());
        control<Lamp>(QStringLiteral("tb1_staA3_0"))->setFillColor(Lamp::green());
        control<Lamp>(QStringLiteral("tb1_staA3_2"))->setFillColor(Lamp::yellow());
        m_win->SelectDispItem();
        QCOMPARE(lamp(QStringLiteral("tb1_staA3_0")), QStringLiteral("green"));
        QCOMPARE(lamp(QStringLiteral("tb1_staA3_2")), QStringLiteral("yellow"));

        control<QRadioButton>(QStringLiteral("Option2"))->setChecked(true); // LP
        m_win->SelectDispItem();
        QCOMPARE(lamp(QStringLiteral("tb1_staA3_0")), QStringLiteral("red"));
        QCOMPARE(lamp(QStringLiteral("tb1_staA3_1")), QStringLiteral("white"));
        QCOMPARE(lamp(QStringLiteral("tb1_staA3_2")), QStringLiteral("white"));

        control<QRadioButton>(QStringLiteral("Option3"))->setChecked(true); // SB
        m_win->SelectDispItem();
        QCOMPARE(lamp(QStringLiteral("tb1_staA3_0")), QStringLiteral("white"));
        QCOMPARE(lamp(QStringLiteral("tb1_staA3_1")), QStringLiteral("red"));

        control<QRadioButton>(QStringLiteral("Option1"))->setChecked(true); // HB
        m_win->SelectDispItem();
        QCOMPARE(lamp(QStringLiteral("tb1_staA3_1")), QStringLiteral("white"));
        QCOMPARE(lamp(QStringLiteral("tb1_staA3_2")), QStringLiteral("red"));
    }

    void blockBeyondTheLastChannelLeavesRowsUnchanged()
    {
        // A list with an entry past block 16 (channels 320..339): those rows keep their text and
        // lamps, and the rest of the page is still refreshed.
        for (const char *list : {"tb1_BName_0", "tb2_BName"})
            control<QComboBox>(QString::fromLatin1(list))->addItem(QStringLiteral("Block17"));
        ProcessValue[20 + 4] = 321;
        StatusWord[20 + 4] = kStatusAlarm1;
        select(QStringLiteral("tb1_BName_1"), 1);

        showTab(1);
        control<QLabel>(QStringLiteral("tb1_PV_4"))->setText(QStringLiteral("left"));
        control<Lamp>(QStringLiteral("tb1_staA1_4"))->setFillColor(Lamp::yellow());
        // Chosen without the selector handler, which lays rows out for real blocks only.
        control<QComboBox>(QStringLiteral("tb1_BName_0"))->setCurrentIndex(16);
        m_win->SelectDispItem();
        QCOMPARE(text(QStringLiteral("tb1_PV_4")), QStringLiteral("left"));
        QCOMPARE(lamp(QStringLiteral("tb1_staA1_4")), QStringLiteral("yellow"));
        QCOMPARE(text(QStringLiteral("tb1_PV_24")), QStringLiteral("321"));
        QCOMPARE(lamp(QStringLiteral("tb1_staA1_24")), QStringLiteral("red"));

        showTab(2);
        select(QStringLiteral("tb2_BName"), 1);
        m_win->SelectDispItem();
        QCOMPARE(text(QStringLiteral("tb2_PV_4")), QStringLiteral("321"));
        control<QComboBox>(QStringLiteral("tb2_BName"))->setCurrentIndex(16);
        ProcessValue[20 + 4] = 999;
        m_win->SelectDispItem();
        QCOMPARE(text(QStringLiteral("tb2_PV_4")), QStringLiteral("321"));
        QCOMPARE(lamp(QStringLiteral("tb2_staA1_4")), QStringLiteral("red"));
    }

    void oneBlockPageColumnsAndLampOrder()
    {
        select(QStringLiteral("tb2_BName"), 2);
        select(QStringLiteral("tb2_Block_P_0"), 16); // alarm 1 action code
        select(QStringLiteral("tb2_Block_P_1"), 22); // heating/cooling
        select(QStringLiteral("tb2_Block_P_2"), 2);  // heater current
        const int n = 40 + 9;
        ProcessValue[n] = -12;
        MainSetting[n] = 80;
        Alarm1Action[n] = 2;
        HeatCoolAction[n] = 1;
        HeaterCurrent[n] = 57;
        StatusWord[n] = kStatusControl | kStatusOverscale | kStatusAutoTuning;
        showTab(2);
        m_win->SelectDispItem();
        QCOMPARE(text(QStringLiteral("tb2_PV_9")), QStringLiteral("-12"));
        QCOMPARE(text(QStringLiteral("tb2_SV_9")), QStringLiteral("80"));
        QCOMPARE(text(QStringLiteral("tb2_Para1_9")), QStringLiteral("H  W"));
        QCOMPARE(text(QStringLiteral("tb2_Para2_9")), QStringLiteral("Cool"));
        QCOMPARE(text(QStringLiteral("tb2_Para3_9")), QStringLiteral("5.7"));
        QCOMPARE(lamp(QStringLiteral("tb2_staCONT_9")), QStringLiteral("green"));
        QCOMPARE(lamp(QStringLiteral("tb2_staSB_9")), QStringLiteral("red"));
        QCOMPARE(lamp(QStringLiteral("tb2_staAT_9")), QStringLiteral("yellow"));
        for (const char *off : {"tb2_staA1_9", "tb2_staA2_9", "tb2_staLP_9", "tb2_staHB_9"})
            QCOMPARE(lamp(QString::fromLatin1(off)), QStringLiteral("white"));

        StatusWord[n] = kStatusUnderscale | kStatusHeaterBurnout | kStatusLoopBreak;
        m_win->SelectDispItem();
        QCOMPARE(lamp(QStringLiteral("tb2_staCONT_9")), QStringLiteral("white"));
        QCOMPARE(lamp(QStringLiteral("tb2_staSB_9")), QStringLiteral("red"));
        QCOMPARE(lamp(QStringLiteral("tb2_staHB_9")), QStringLiteral("red"));
        QCOMPARE(lamp(QStringLiteral("tb2_staLP_9")), QStringLiteral("red"));
        QCOMPARE(lamp(QStringLiteral("tb2_staAT_9")), QStringLiteral("white"));
    }

    void oneChannelPageOnTheOddChannelOfAPair()
    {
        heatCoolPair();
        showTab(3);
        select(QStringLiteral("tb3_CHName"), 5);
        m_win->SelectDispItem();
        for (int f : {1, 2, 3, 4, 6, 7})
            QVERIFY2(!shown(QStringLiteral("Frame%1").arg(f)), qPrintable(QStringLiteral("Frame%1").arg(f)));
        // The heater burnout frame follows the channel's option alone, after the other frames.
        QVERIFY(shown(QStringLiteral("Frame5")));
        QVERIFY(!shown(QStringLiteral("Label14_0")));
        QVERIFY(shown(QStringLiteral("Label14_1")));
        QVERIFY(control<QLabel>(QStringLiteral("Label14_1"))->isVisible());
        QVERIFY(!shown(QStringLiteral("Frame8"))); // cooling settings belong to the even channel
    }

    void oneChannelPageOnTheEvenChannelOfAPair()
    {
        heatCoolPair();
        showTab(3);
        select(QStringLiteral("tb3_CHName"), 4);
        m_win->SelectDispItem();
        for (int f = 1; f <= 8; ++f)
            QVERIFY2(shown(QStringLiteral("Frame%1").arg(f)), qPrintable(QStringLiteral("Frame%1").arg(f)));
        QVERIFY(!shown(QStringLiteral("Label14_0")));
        QVERIFY(!shown(QStringLiteral("Label14_1")));

        QCOMPARE(text(QStringLiteral("Label11")), QStringLiteral("-199.9 to 850.0deg.C Pt100"));
        QCOMPARE(text(QStringLiteral("Text_PV")), QStringLiteral("123.4"));
        QCOMPARE(text(QStringLiteral("Text_SV")), QStringLiteral("150.0"));
        QCOMPARE(text(QStringLiteral("Label_CF_0")), QStringLiteral("deg.C"));
        QCOMPARE(text(QStringLiteral("Label_CF_10")), QStringLiteral("deg.C"));
        QCOMPARE(text(QStringLiteral("Label_OUTOFF")), QStringLiteral("Control output ON"));
        QCOMPARE(text(QStringLiteral("Label_HEETCOOL")), QStringLiteral("Heating(reverse)"));
        QCOMPARE(lamp(QStringLiteral("Lamp_CONT_0")), QStringLiteral("green"));
        QCOMPARE(lamp(QStringLiteral("Lamp_A1")), QStringLiteral("red"));
        QCOMPARE(text(QStringLiteral("Text_A1ACT")), QStringLiteral("High limit alarm with standby"));
        QCOMPARE(text(QStringLiteral("Text_MHB")), QStringLiteral("12.3"));

        // Heating output from channel 4, cooling output from its odd partner.
        QCOMPARE(text(QStringLiteral("Text_MV_0")), QStringLiteral("45.6"));
        auto *heating = control<MV_BerGraph>(QStringLiteral("MV_BerGraph1"));
        QCOMPARE(int(heating->MvValue()), 456);
        QCOMPARE(heating->MvColor(), QColor(0, 0, 255));
        for (const char *name : {"Label58", "Label59", "Text_MV_1", "Lamp_CONT_1", "MV_BerGraph2"})
            QVERIFY2(shown(QString::fromLatin1(name)), name);
        QCOMPARE(text(QStringLiteral("Text_MV_1")), QStringLiteral("33.3"));
        QCOMPARE(lamp(QStringLiteral("Lamp_CONT_1")), QStringLiteral("yellow"));
        auto *cooling = control<MV_BerGraph>(QStringLiteral("MV_BerGraph2"));
        QCOMPARE(int(cooling->MvValue()), 333);
        QCOMPARE(cooling->MvColor(), QColor(255, 255, 0));

        // Cooling settings of channel 4 itself, in the order of the frame.
        QCOMPARE(text(QStringLiteral("Cool_0")), QStringLiteral("2.5"));
        QCOMPARE(text(QStringLiteral("Cool_1")), QStringLiteral("7"));
        QCOMPARE(text(QStringLiteral("Cool_2")), QStringLiteral("Water"));
        QCOMPARE(text(QStringLiteral("Cool_3")), QStringLiteral("-1.5"));
        QCOMPARE(text(QStringLiteral("Cool_4")), QStringLiteral("0.5"));

        // The partner's control bit off: its lamp goes white.
        StatusWord[5] = 0;
        m_win->SelectDispItem();
        QCOMPARE(lamp(QStringLiteral("Lamp_CONT_1")), QStringLiteral("white"));
    }

    void coolingBarShowsItsWholeScale()
    {
        heatCoolPair();
        showTab(3);
        select(QStringLiteral("tb3_CHName"), 4);
        m_win->SelectDispItem();
        auto *cooling = control<MV_BerGraph>(QStringLiteral("MV_BerGraph2"));
        QTRY_VERIFY(cooling->height() >= cooling->sizeHint().height());
    }

    void settingNotesStayBesideTheirRows()
    {
        // Row 5 (odd side of a pair) hides its note; the notes below must not move up.
        for (int n : {4, 5})
            OptionWord[n] = kOptionHeatCool;
        ChannelConnected[6] = 0;
        ChannelConnected[19] = 0;
        Prefs::set(QStringLiteral("Chname001"), QStringLiteral("WWWWWWWWWWWW")); // the widest name
        SelectedItem = 2;
        select(QStringLiteral("tb4_BName"), 0);
        showTab(4);
        m_win->SelectDispItem();
        const auto rowTop = [this](const QString &name) {
            QWidget *w = control<QWidget>(name);
            return w->mapTo(m_win.get(), QPoint(0, w->height() / 2)).y();
        };
        QVERIFY(!shown(QStringLiteral("settin_inf_5")));
        for (int row : {4, 6, 7, 19})
            QTRY_COMPARE(rowTop(QStringLiteral("settin_inf_%1").arg(row)), rowTop(QStringLiteral("label_setdata_%1").arg(row)));
        QCOMPARE(text(QStringLiteral("settin_inf_6")), QStringLiteral("Not connected"));
        // Both halves of the page put their values in one column.
        QCOMPARE(control<QWidget>(QStringLiteral("Setdata_Para_0"))->mapTo(m_win.get(), QPoint()).x(),
                 control<QWidget>(QStringLiteral("Setdata_Para_10"))->mapTo(m_win.get(), QPoint()).x());
    }

    void oneChannelPageWithoutCoolingOrConnection()
    {
        // A linear input without options: no cooling fields, no HB frame, unit from the scaling.
        const int n = 33;
        InputType[n] = 11;
        DecimalDivisor[n] = 100;
        ScaleLow[n] = 400;
        ScaleHigh[n] = 2000;
        UnitText[n] = QStringLiteral("mA");
        ProcessValue[n] = 1234;
        StatusWord[n] = kStatusOverscale;
        showTab(3);
        select(QStringLiteral("tb3_CHName"), n);
        m_win->SelectDispItem();
        QCOMPARE(text(QStringLiteral("Label11")), QStringLiteral("4.00 to 20.00 DC mA"));
        QCOMPARE(text(QStringLiteral("Text_PV")), QStringLiteral("12.34"));
        QCOMPARE(text(QStringLiteral("Label_CF_3")), QStringLiteral("mA"));
        QCOMPARE(lamp(QStringLiteral("Lamp_up")), QStringLiteral("red"));
        QCOMPARE(lamp(QStringLiteral("Lamp_down")), QStringLiteral("white"));
        for (const char *name : {"Label58", "Label59", "Text_MV_1", "Lamp_CONT_1", "MV_BerGraph2", "Frame5", "Frame8"})
            QVERIFY2(!shown(QString::fromLatin1(name)), name);
        QVERIFY(shown(QStringLiteral("Frame1")));

        // Not connected: the frames give way to the first message.
        ChannelConnected[n] = 0;
        m_win->SelectDispItem();
        QVERIFY(shown(QStringLiteral("Label14_0")));
        QVERIFY(!shown(QStringLiteral("Label14_1")));
        for (int f = 1; f <= 7; ++f)
            QVERIFY(!shown(QStringLiteral("Frame%1").arg(f)));

        // Connected again: the frames cover both messages.
        ChannelConnected[n] = 1;
        m_win->SelectDispItem();
        QVERIFY(!shown(QStringLiteral("Label14_0")));
        QVERIFY(shown(QStringLiteral("Frame1")));
    }

    void settingPageNotes_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("note");
        const QString none;
        QTest::newRow("2 no alarm action") << 2 << 0 << "" << "Unsettable: No alarm action";
        QTest::newRow("2 with action") << 2 << 1 << "action" << none;
        QTest::newRow("2 auto-tuning") << 2 << 0 << "at" << "Unsettable: During auto-tuning";
        QTest::newRow("2 auto-tuning, not connected") << 2 << 0 << "at,off" << "Not connected";
        QTest::newRow("3 no alarm action") << 3 << 4 << "" << "Unsettable: No alarm action";
        QTest::newRow("4 no HB option") << 4 << 0 << "" << "Unsettable:Option HB not applied";
        QTest::newRow("4 HB option") << 4 << 0 << "hb" << none;
        QTest::newRow("21 any") << 21 << 3 << "" << none;
        QTest::newRow("24 auto-tuning") << 24 << 5 << "at" << "Unsettable: During auto-tuning";
        for (int cooling = 25; cooling <= 29; ++cooling) {
            QTest::addRow("%d no cooling", cooling) << cooling << 2 << "" << "Unsettable:No Heating-Cooling";
            QTest::addRow("%d pair, row 2", cooling) << cooling << 2 << "pair" << none;
            QTest::addRow("%d pair, row 3", cooling) << cooling << 3 << "pair" << "Unsettable";
        }
        QTest::newRow("27 pair, row 3, not connected") << 27 << 3 << "pair,off" << "Not connected";
        QTest::newRow("30 no cooling") << 30 << 2 << "" << none;
        for (int scaling = 32; scaling <= 35; ++scaling) {
            QTest::addRow("%d temperature input", scaling) << scaling << 6 << "" << "Unsettable:Input specification is not correct.";
            QTest::addRow("%d linear input", scaling) << scaling << 6 << "linear" << none;
        }
        QTest::newRow("31 temperature input") << 31 << 6 << "" << none;
        QTest::newRow("0 nothing chosen") << 0 << 0 << "" << none;
        QTest::newRow("0 nothing chosen, not connected") << 0 << 0 << "off" << "Not connected";
    }

    void settingPageNotes()
    {
        QFETCH(int, item);
        QFETCH(int, row);
        QFETCH(QString, setup);
        QFETCH(QString, note);
        const int block = 3;
        const int n = block * 20 + row;
        const QStringList flags = setup.split(QLatin1Char(','), Qt::SkipEmptyParts);
        if (flags.contains(QStringLiteral("action")))
            Alarm1Action[n] = 1;
        if (flags.contains(QStringLiteral("at")))
            StatusWord[n] = kStatusAutoTuning;
        if (flags.contains(QStringLiteral("off")))
            ChannelConnected[n] = 0;
        if (flags.contains(QStringLiteral("hb")))
            OptionWord[n] = kOptionHeaterBurnout;
        if (flags.contains(QStringLiteral("pair")))
            OptionWord[n] = kOptionHeatCool;
        if (flags.contains(QStringLiteral("linear")))
            InputType[n] = 10;
        // A row that must not be written: a stale note is there first.
        control<QLabel>(QStringLiteral("settin_inf_%1").arg(row))->setText(QStringLiteral("stale"));

        select(QStringLiteral("tb4_BName"), block);
        SelectedItem = int16_t(item);
        showTab(4);
        m_win->SelectDispItem();
        QCOMPARE(text(QStringLiteral("settin_inf_%1").arg(row)), note);
    }

    void settingPageValues()
    {
        select(QStringLiteral("tb4_BName"), 1);
        showTab(4);
        Alarm1Value[20] = 35;
        Alarm1Action[21] = 9;
        InputType[22] = 6;
        Alarm1Value[22] = 125;

        SelectedItem = 2;
        m_win->SelectDispItem();
        QCOMPARE(text(QStringLiteral("Setdata_Para_0")), QStringLiteral("35"));
        QCOMPARE(text(QStringLiteral("Setdata_Para_2")), QStringLiteral("12.5"));

        SelectedItem = 14; // the long name of the action in the selection field
        m_win->SelectDispItem();
        QCOMPARE(text(QStringLiteral("Select_comand_1")), QStringLiteral("Process high alarm"));
        QCOMPARE(text(QStringLiteral("Select_comand_0")), QStringLiteral("No alarm action"));

        CoolActionMode[24] = 1;
        SelectedItem = 28;
        m_win->SelectDispItem();
        QCOMPARE(text(QStringLiteral("Select_comand_4")), QStringLiteral("Oil"));
    }

    void settingPageUnitOnEvenRowsOnly()
    {
        select(QStringLiteral("tb4_BName"), 0);
        showTab(4);
        for (int row = 0; row < 20; ++row) {
            DisplayUnit[row] = row % 4 == 0 ? 1 : 0;
            control<QLabel>(QStringLiteral("Select_comand_%1").arg(row))->setText(QStringLiteral("before"));
        }
        SelectedItem = 21;
        m_win->SelectDispItem();
        for (int row = 0; row < 20; ++row) {
            const QString expected = row % 2 == 1 ? QStringLiteral("before")
                                                  : (row % 4 == 0 ? QStringLiteral("deg.F") : QStringLiteral("deg.C"));
            QCOMPARE(text(QStringLiteral("Select_comand_%1").arg(row)), expected);
        }
    }

    void settingPageOutputAndTuningLamps()
    {
        select(QStringLiteral("tb4_BName"), 15);
        showTab(4);
        StatusWord[300 + 0] = kStatusOutputOn;
        StatusWord[300 + 19] = kStatusAutoTuning | kStatusControl;
        control<Lamp>(QStringLiteral("Shape_OUT_0"))->setFillColor(Lamp::red());

        SelectedItem = 1; // other items leave the lamps alone
        m_win->SelectDispItem();
        QCOMPARE(lamp(QStringLiteral("Shape_OUT_0")), QStringLiteral("red"));

        SelectedItem = 24;
        m_win->SelectDispItem();
        QCOMPARE(lamp(QStringLiteral("Shape_OUT_0")), QStringLiteral("green"));
        QCOMPARE(lamp(QStringLiteral("Shape_AT_0")), QStringLiteral("white"));
        QCOMPARE(lamp(QStringLiteral("Shape_OUT_19")), QStringLiteral("white"));
        QCOMPARE(lamp(QStringLiteral("Shape_AT_19")), QStringLiteral("yellow"));
    }
};

QTEST_MAIN(TestPageRefresh)
#include "tst_page_refresh.moc"
