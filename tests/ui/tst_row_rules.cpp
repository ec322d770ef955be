// The row layout of the block pages for heating/cooling pairs, unconnected channels and the
// setting items that apply to some rows only.
#include "Lamp.h"
#include "MainDisp.h"
#include "PLM_INC.h"
#include "UiTestEnvironment.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <memory>

using namespace PLM_INC;

class RowRuleTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<UiTestEnvironment> env;
    std::unique_ptr<MainDisp> w;

    // Block b fitted and connected, temperature inputs, no options.
    static void plainBlock(int b)
    {
        for (int c = 0; c < 20; ++c) {
            ChannelConnected[b * 20 + c] = 1;
            InputType[b * 20 + c] = 0;
            OptionWord[b * 20 + c] = 0;
        }
    }
    static void heatCoolPair(int channel) // channel = the even one
    {
        OptionWord[channel] = kOptionHeatCool;
        OptionWord[channel + 1] = kOptionHeatCool;
    }

private slots:
    void init()
    {
        env = std::make_unique<UiTestEnvironment>();
        GroupIndex = 0;
        SelectedItem = 0;
        w = std::make_unique<MainDisp>();
        w->regRead();
    }
    void cleanup()
    {
        w.reset();
        env.reset();
    }

    void pageTwoHeatingCoolingHidesTheOddRowOnly()
    {
        plainBlock(2);
        heatCoolPair(44); // channels 4 and 5 of block 2
        w->setListIndex(w->tb2_BName, 2);
        for (QWidget *c : std::initializer_list<QWidget *>{w->tb2_PV[5], w->tb2_SV[5], w->tb2_Para1[5], w->tb2_Para2[5],
                                                          w->tb2_Para3[5], w->tb2_OUT[5], w->Tab2_Label_CF[5], w->tb2_staCONT[5],
                                                          w->tb2_staA1[5], w->tb2_staA2[5], w->tb2_staHB[5], w->tb2_staLP[5],
                                                          w->tb2_staSB[5], w->tb2_staAT[5]})
            QVERIFY2(c->isHidden(), qPrintable(c->objectName()));
        QVERIFY(!w->tb2_label[5]->isHidden());
        for (QWidget *c : std::initializer_list<QWidget *>{w->tb2_PV[4], w->tb2_Para3[4], w->tb2_OUT[4], w->tb2_staAT[4], w->tb2_PV[6]})
            QVERIFY2(!c->isHidden(), qPrintable(c->objectName()));
        QVERIFY(w->tb2_PV[4]->isEnabled());
        QVERIFY(w->tb2_PV[5]->isEnabled());

        // The same block shown again without the pair: row 5 comes back.
        OptionWord[45] = 0;
        w->setListIndex(w->tb2_BName, 2);
        QVERIFY(!w->tb2_PV[5]->isHidden());
        QVERIFY(!w->tb2_staAT[5]->isHidden());
    }

    void pageTwoUnconnectedOddChannelDisablesThePair()
    {
        plainBlock(2);
        ChannelConnected[45] = 0;
        w->setListIndex(w->tb2_BName, 2);
        for (int row : {4, 5})
            for (QWidget *c : std::initializer_list<QWidget *>{w->tb2_PV[size_t(row)], w->tb2_SV[size_t(row)], w->tb2_Para1[size_t(row)],
                                                              w->tb2_Para2[size_t(row)], w->tb2_Para3[size_t(row)],
                                                              w->tb2_OUT[size_t(row)], w->Tab2_Label_CF[size_t(row)]})
                QVERIFY2(!c->isEnabled(), qPrintable(c->objectName()));
        QVERIFY(w->tb2_PV[3]->isEnabled());
        QVERIFY(w->tb2_PV[6]->isEnabled());
        QVERIFY(w->tb2_label[4]->isEnabled());
    }

    void pageTwoRowTexts()
    {
        plainBlock(1);
        OutputOnOff[20] = 1;
        InputType[22] = 0;
        DisplayUnit[22] = 1;
        InputType[24] = 11;
        UnitText[24] = QStringLiteral("kPa");
        w->setListIndex(w->tb2_BName, 1);
        QCOMPARE(w->tb2_OUT[0]->text(), QStringLiteral("ON "));
        QCOMPARE(w->tb2_OUT[1]->text(), QStringLiteral("OFF"));
        QCOMPARE(w->Tab2_Label_CF[0]->text(), QStringLiteral("deg.C"));
        QCOMPARE(w->Tab2_Label_CF[2]->text(), QStringLiteral("deg.F"));
        QCOMPARE(w->Tab2_Label_CF[4]->text(), QStringLiteral("kPa"));
    }

    void pageOneUsesRowsOfItsHalf()
    {
        plainBlock(0);
        w->tb1_BName_Click(0);
        plainBlock(3);
        heatCoolPair(66); // channels 6 and 7 of block 3
        ChannelConnected[69] = 0; // channel 9: rows 8 and 9
        w->setListIndex(w->tb1_BName[1], 3);
        QVERIFY(w->tb1_PV[27]->isHidden());
        QVERIFY(w->tb1_staA3[27]->isHidden());
        QVERIFY(w->Tab1_Label_CF2[7]->isHidden());
        QVERIFY(!w->tb1_PV[26]->isHidden());
        QVERIFY(!w->tb1_PV[28]->isEnabled());
        QVERIFY(!w->Comm_OUT[29]->isEnabled());
        QVERIFY(w->tb1_PV[27 - 20]->isEnabled()); // the left half is not touched
        QVERIFY(!w->tb1_PV[7]->isHidden());
    }

    void pageZeroPairsOverTheGroup()
    {
        plainBlock(1);
        heatCoolPair(22);
        ChannelConnected[25] = 0;
        w->Combo1_Click();
        QVERIFY(w->Para_Text[23]->isHidden());
        QVERIFY(!w->Para_Text[22]->isHidden());
        QVERIFY(!w->Para_Text[24]->isEnabled());
        QVERIFY(!w->Para_Text[25]->isEnabled());
        QVERIFY(w->Para_Text[21]->isEnabled());
    }

    void settingPageItem21LeavesOddRowsWithoutSelection()
    {
        plainBlock(0);
        SelectedItem = 21;
        w->tb4_BName_Click();
        for (int c = 0; c < 20; ++c) {
            const bool odd = c % 2 == 1;
            QCOMPARE(w->Select_comand[size_t(c)]->isHidden(), odd);
            QCOMPARE(w->Command_change2[size_t(c)]->isHidden(), odd);
            QVERIFY(!w->settin_inf[size_t(c)]->isHidden());
            QVERIFY(!w->Setdata_Para[size_t(c)]->isHidden());
        }
    }

    void settingPageScalingItemsHideTemperatureInputs()
    {
        plainBlock(0);
        for (int c = 10; c < 20; ++c)
            InputType[c] = 10 + c % 4; // linear inputs
        InputType[9] = 9;              // JPt100: still a temperature input
        SelectedItem = 32;
        w->tb4_BName_Click();
        for (int c = 0; c < 20; ++c) {
            const bool temperature = c < 10;
            QCOMPARE(w->Setdata_Para[size_t(c)]->isHidden(), temperature);
            QCOMPARE(w->Command_change[size_t(c)]->isHidden(), temperature);
            QCOMPARE(w->Shape_AT[size_t(c)]->isHidden(), temperature);
            QCOMPARE(w->settin_inf[size_t(c)]->isHidden(), temperature);
        }
        // Back to a plain item: every row is shown again.
        SelectedItem = 1;
        w->tb4_BName_Click();
        for (int c = 0; c < 20; ++c)
            QVERIFY(!w->Setdata_Para[size_t(c)]->isHidden());
    }

    // The nine controls of a setting row for the cooling items 25..29 and the scaling items
    // 32..35, with the items just outside those ranges that every row keeps.
    void settingPageRowsOfCoolingAndScalingItems_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("block");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("shown");
        for (int item = 25; item <= 29; ++item) {
            QTest::addRow("%d, no cooling", item) << item << "plain" << 2 << false;
            QTest::addRow("%d, no cooling, odd row", item) << item << "plain" << 3 << false;
            QTest::addRow("%d, heating/cooling, even row", item) << item << "pair" << 2 << true;
            QTest::addRow("%d, heating/cooling, odd row", item) << item << "pair" << 3 << false;
        }
        for (int item = 32; item <= 35; ++item) {
            QTest::addRow("%d, temperature input", item) << item << "temperature" << 2 << false;
            QTest::addRow("%d, temperature input, odd row", item) << item << "temperature" << 3 << false;
            QTest::addRow("%d, linear input", item) << item << "linear" << 2 << true;
            QTest::addRow("%d, linear input, odd row", item) << item << "linear" << 3 << true;
        }
        for (int item : {24, 30, 31}) {
            QTest::addRow("%d, no cooling", item) << item << "plain" << 3 << true;
            QTest::addRow("%d, temperature input", item) << item << "temperature" << 2 << true;
        }
    }
    void settingPageRowsOfCoolingAndScalingItems()
    {
        QFETCH(int, item);
        QFETCH(QString, block);
        QFETCH(int, row);
        QFETCH(bool, shown);
        plainBlock(5);
        if (block == QLatin1String("pair"))
            heatCoolPair(100 + 2);
        for (int c = 0; c < 20; ++c)
            InputType[100 + c] = block == QLatin1String("linear") ? int16_t(10 + c % 4) : int16_t(c % 10);
        w->setListIndex(w->tb4_BName, 5);
        SelectedItem = int16_t(item);
        w->tb4_BName_Click();
        const size_t r = size_t(row);
        for (QWidget *c : std::initializer_list<QWidget *>{w->Select_comand[r], w->Command_change2[r], w->Setdata_Para[r],
                                                          w->Command_change[r], w->settin_inf[r], w->Command_OUT[r],
                                                          w->Command_AT[r], w->Shape_OUT[r], w->Shape_AT[r]})
            QVERIFY2(c->isHidden() != shown, qPrintable(c->objectName()));
        QVERIFY(!w->label_setdata[r]->isHidden()); // the channel's name stays
    }

    void settingPageCoolingItemsAndUnconnectedRows()
    {
        plainBlock(4);
        heatCoolPair(82); // channels 2 and 3 of block 4
        ChannelConnected[85] = 0;
        w->setListIndex(w->tb4_BName, 4);
        SelectedItem = 27;
        w->tb4_BName_Click();
        QVERIFY(!w->Setdata_Para[2]->isHidden()); // the controlling channel owns the cooling settings
        QVERIFY(w->Setdata_Para[3]->isHidden());  // its cooling side has none
        QVERIFY(w->Setdata_Para[0]->isHidden());  // no cooling at all
        QVERIFY(w->settin_inf[4]->isHidden());
        SelectedItem = 1;
        w->tb4_BName_Click();
        QVERIFY(w->Setdata_Para[3]->isHidden()); // a pair's odd channel stays hidden
        QVERIFY(!w->Setdata_Para[4]->isHidden());
        QVERIFY(!w->Setdata_Para[5]->isEnabled()); // each row by its own channel
        QVERIFY(!w->Command_OUT[5]->isEnabled());
        QVERIFY(w->Setdata_Para[4]->isEnabled());
        QCOMPARE(w->label_setdata[5]->text(), QStringLiteral("Ch086"));
    }
};

QTEST_MAIN(RowRuleTest)
#include "tst_row_rules.moc"
