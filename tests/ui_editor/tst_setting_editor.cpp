// The setting editor as an operator uses it: toolbar, change buttons, the numeric and the
// selection dialogs and the output/auto-tuning buttons, with the frames they put on the line
// of a simulated installation of blocks 0, 1 and 2 while polling goes on.
#include "DeviceModel.h"
#include "MainDisp.h"
#include "MonitorComm.h"
#include "NameFieldCodePage.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "STDComm.h"
#include "Select_Disp.h"
#include "SettingEditor.h"
#include "Setting_Disp.h"
#include "SimulatedLine.h"
#include "UiTestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolBar>
#include <QtTest>
#include <memory>

using namespace PLM_INC;

namespace {

constexpr int kWait = 30000; // only an upper bound: each wait ends as soon as its frame is seen

QString hex4(int v)
{
    return QStringLiteral("%1").arg(uint16_t(v), 4, 16, QLatin1Char('0')).toUpper();
}

// The 20 values of a field for a block, as a write frame carries them.
QString blockData(const ChannelTable &field, int block)
{
    QString data;
    for (int c = 0; c < kChannelsPerBlock; ++c)
        data += hex4(field[block * kChannelsPerBlock + c]);
    return data;
}

// The write frames received, as "W <block> <item> <data>".
QStringList writes(SimulatedLine &line)
{
    QStringList out;
    for (const std::string &f : line.frames()) {
        const RequestFrame r = parseFrame(f);
        if (r.command == 0x52) // write
            out << QStringLiteral("W %1 %2 %3").arg(r.block).arg(r.item, r.data);
    }
    return out;
}

} // namespace

class SettingEditorTest : public QObject {
    Q_OBJECT
    std::unique_ptr<UiTestEnvironment> env;
    std::unique_ptr<SimulatedLine> line;
    std::unique_ptr<MainDisp> w;

    SettingEditor &editor() { return *w->settingEditor; }
    Setting_Disp &numeric() { return editor().settingDialog(); }
    QStringList &messages() { return env->prompter.messages; }

    void chooseItem(QToolBar *, QAction *button) { button->trigger(); }
    void clickRow(std::array<QPushButton *, 20> &buttons, int row) { QTest::mouseClick(buttons[size_t(row)], Qt::LeftButton); }
    void type(const QString &keys)
    {
        for (const QChar k : keys)
            QTest::mouseClick(numeric().Ten_key[size_t(k.digitValue())], Qt::LeftButton);
    }

private slots:
    void init()
    {
        env = std::make_unique<UiTestEnvironment>();
        line = std::make_unique<SimulatedLine>(presentBlocks({0, 1, 2}));
        QVERIFY(line->start());
        w = std::make_unique<MainDisp>();
        w->regRead();
        markPresent({0, 1, 2});
        for (int n = 0; n < 3 * kChannelsPerBlock; ++n) {
            ChannelConnected[n] = 1;
            DecimalDivisor[n] = 1;
            ScaleHigh[n] = 10000;
        }
        bool opened = false;
        runOnLink(w->comm(), [&opened](tobrel::STDComm &link) {
            link.setPort(QStringLiteral("COM1"));
            link.setBaudRate(QStringLiteral("9600"));
            opened = link.PortOpen();
        });
        QVERIFY(opened);
        w->show();
        w->SSTab1->setCurrentIndex(4);
        w->comm().timer4().start();
        line->clear();
    }

    void cleanup()
    {
        w->comm().timer4().stop();
        w->comm().closePort();
        w.reset();
        line.reset();
        env.reset();
    }

    void mainSetValueTypedKeyByKeyAndWritten()
    {
        MainSetting[0] = 20;
        chooseItem(w->Toolbar2, w->Toolbar2_Button[1]);
        QCOMPARE(w->Frame_main->title(), QStringLiteral("Main setting value"));
        clickRow(w->Command_change, 0);
        QVERIFY(numeric().isVisible());
        QCOMPARE(numeric().Limit_data->text(), QStringLiteral("-200 to 1370"));
        type(QStringLiteral("150"));
        QVERIFY(messages().isEmpty());
        type(QStringLiteral("0"));
        QCOMPARE(messages(), QStringList{QStringLiteral("It is out of the setting range.")});
        QCOMPARE(numeric().Disp_setdata->text(), QStringLiteral(" 150"));
        QTest::keyClick(numeric().Disp_setdata, Qt::Key_Return); // Enter does what OK does
        QVERIFY(!numeric().isVisible());
        QCOMPARE(MainSetting[0], int16_t(150));
        const QString expected = QStringLiteral("W 0 0001 ") + blockData(MainSetting, 0);
        QTRY_VERIFY_WITH_TIMEOUT(writes(*line).contains(expected), kWait);
        // The write is read back at once.
        const auto frameAfterWrite = [this] {
            const QStringList trace = line->summary();
            return trace.value(int(trace.indexOf(QStringLiteral("W 0 0001"))) + 1);
        };
        QTRY_VERIFY_WITH_TIMEOUT(!frameAfterWrite().isEmpty(), kWait);
        QCOMPARE(frameAfterWrite(), QStringLiteral("R 0 0001"));
        QCOMPARE(MainSetting[0], int16_t(150));
    }

    void emptyEntryAndOutOfRangeAreRefusedAtOk()
    {
        OutputLowLimit[21] = 20;
        chooseItem(w->Toolbar2, w->Toolbar2_Button[16]);
        w->setListIndex(w->tb4_BName, 1);
        clickRow(w->Command_change, 1);
        QCOMPARE(numeric().Limit_data->text(), QStringLiteral("20 to 105"));
        QTest::mouseClick(numeric().Command3, Qt::LeftButton);
        QCOMPARE(messages(), QStringList{QStringLiteral("Check the Input value.")});
        type(QStringLiteral("5")); // leads towards 50: taken
        QTest::mouseClick(numeric().Command3, Qt::LeftButton);
        QCOMPARE(messages().last(), QStringLiteral("It is out of the setting range."));
        QVERIFY(numeric().isVisible());
        type(QStringLiteral("0"));
        QTest::mouseClick(numeric().Command3, Qt::LeftButton);
        QVERIFY(!numeric().isVisible());
        QCOMPARE(OutputHighLimit[21], int16_t(50));
        QTRY_VERIFY_WITH_TIMEOUT(line->summary().contains(QStringLiteral("W 1 000E")), kWait);
    }

    void retargetingClearsTheEntryAndOkKeepsTheOpenedItem()
    {
        ProportionalCycle[3] = 30;
        chooseItem(w->Toolbar2, w->Toolbar2_Button[9]);
        clickRow(w->Command_change, 2);
        type(QStringLiteral("12"));
        clickRow(w->Command_change, 3); // the open dialog now edits channel 004
        QVERIFY(numeric().Disp_setdata->text().isEmpty());
        QCOMPARE(numeric().channel(), 3);
        type(QStringLiteral("45"));
        chooseItem(w->Toolbar2, w->Toolbar2_Button[1]); // the toolbar moves on meanwhile
        QTest::mouseClick(numeric().Command3, Qt::LeftButton);
        QCOMPARE(ProportionalCycle[3], int16_t(45));
        QCOMPARE(ProportionalCycle[2], int16_t(0));
        QCOMPARE(MainSetting[3], int16_t(0));
        QTRY_VERIFY_WITH_TIMEOUT(line->summary().contains(QStringLiteral("W 0 0007")), kWait);
        QVERIFY(!line->summary().contains(QStringLiteral("W 0 0001")));
    }

    void scalingLowLimitGoesToPreferencesOnly()
    {
        InputType[0] = 12;
        chooseItem(w->Toolbar4, w->Toolbar4_Button[7]);
        clickRow(w->Command_change, 0);
        QCOMPARE(numeric().Limit_data->text(), QStringLiteral("-2000 to 10000"));
        QTest::mouseClick(numeric().Command1, Qt::LeftButton); // "+/-" on empty: 0
        type(QStringLiteral("5"));
        QTest::mouseClick(numeric().Command1, Qt::LeftButton);
        QTest::mouseClick(numeric().Command3, Qt::LeftButton);
        QCOMPARE(ScaleLow[0], int16_t(-5));
        QCOMPARE(Prefs::get(QStringLiteral("STLL001")), QStringLiteral("-5"));
        QCOMPARE(messages().size(), 1);
        QVERIFY(messages()[0].startsWith(QStringLiteral("This software has a scaling function.If high and low")));
        QVERIFY(messages()[0].endsWith(QStringLiteral("reset each value described above.")));
        // Two full poll cycles later still nothing was written.
        QTRY_VERIFY_WITH_TIMEOUT(line->summary().count(QStringLiteral("R 2 0083")) >= 2, kWait);
        QVERIFY(writes(*line).isEmpty());
    }

    void outputTogglesReachTheLineInOrder()
    {
        chooseItem(w->Toolbar2, w->Toolbar2_Button[24]);
        QVERIFY(!w->Frame_sub1[2]->isHidden());
        QVERIFY(w->Frame_sub1[0]->isHidden());
        w->setListIndex(w->tb4_BName, 2);
        clickRow(w->Command_OUT, 3);
        QCOMPARE(OutputOnOff[43], int16_t(1));
        clickRow(w->Command_AT, 4); // output of channel 045 is off: refused
        QCOMPARE(AutoTuning[44], int16_t(0));
        w->setListIndex(w->tb4_BName, 1);
        clickRow(w->Command_OUT, 5);
        clickRow(w->Command_OUT, 5); // toggled back before its write: the write carries the last state
        QCOMPARE(OutputOnOff[25], int16_t(0));
        const QString first = QStringLiteral("W 2 0009 ") + blockData(OutputOnOff, 2);
        const QString second = QStringLiteral("W 1 0009 ") + blockData(OutputOnOff, 1);
        QTRY_VERIFY_WITH_TIMEOUT(writes(*line).contains(second), kWait);
        const QStringList sent = writes(*line);
        QCOMPARE(sent, (QStringList{first, second}));
        QCOMPARE(OutputOnOff[43], int16_t(1)); // read back from the controller
        QVERIFY(messages().isEmpty());
    }

    void unitSelectionSetsThePair()
    {
        chooseItem(w->Toolbar2, w->Toolbar2_Button[21]);
        QVERIFY(w->Command_change2[7]->isHidden()); // the odd row shares the pair's unit
        clickRow(w->Command_change2, 6);
        Select_Disp &select = editor().selectDialog();
        QVERIFY(select.isVisible());
        QVERIFY(select.Select_cf->isVisibleTo(&select));
        QVERIFY(!select.Select_alarm->isVisibleTo(&select));
        QVERIFY(select.Option_cf[0]->isChecked());
        select.Option_cf[1]->click();
        QTest::mouseClick(select.Command1, Qt::LeftButton);
        QVERIFY(!select.isVisible());
        QCOMPARE(UnitSelect[6], int16_t(1));
        QCOMPARE(DisplayUnit[6], int16_t(1));
        QCOMPARE(DisplayUnit[7], int16_t(1));
        QTRY_VERIFY_WITH_TIMEOUT(writes(*line).contains(QStringLiteral("W 0 0011 ") + blockData(UnitSelect, 0)), kWait);
    }

    // The unit text goes into the setting files as the names do: a character Windows-1252 has
    // not is taken out again with the names' message.
    void unitTextRefusesCharactersOutsideTheFilesCodePage()
    {
        Select_Disp &select = editor().selectDialog();
        select.openFor(35, 4);
        select.Text_unit->clear();
        for (const QChar c : QStringLiteral("k\u03a9\u00b5"))
            QTest::sendKeyEvent(QTest::Click, select.Text_unit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(select.Text_unit->text(), QStringLiteral("k\u00b5"));
        QCOMPARE(messages(), QStringList{NameCharactersRefusedText(QStringLiteral("\u03a9"))});
    }

    void toolbarsMarkTheItemAndLoopBreakTwoNeedsTheAccessCode()
    {
        QVERIFY(w->Toolbar3->isHidden());
        chooseItem(w->Toolbar4, w->Toolbar4_Button[4]);
        QCOMPARE(SelectedItem, int16_t(28));
        QVERIFY(!w->Frame_sub2[1]->isHidden());
        QVERIFY(w->Toolbar4_Button[4]->isChecked());
        w->setToolbar3Visible(true);
        chooseItem(w->Toolbar3, w->Toolbar3_Button[2]);
        QCOMPARE(SelectedItem, int16_t(31));
        QCOMPARE(w->Frame_main->title(), QStringLiteral("Loop break alarm2 action span setting"));
        QVERIFY(!w->Frame_sub1[0]->isHidden());
        QVERIFY(!w->Toolbar4_Button[4]->isChecked());
        QVERIFY(w->Toolbar3_Button[2]->isChecked());
        w->resetSettingEditor(); // the block re-read clears the editor
        QVERIFY(!w->Toolbar3_Button[2]->isChecked());
        QCOMPARE(SelectedItem, int16_t(0));
    }

    void monitorPageOutputButtons()
    {
        w->SSTab1->setCurrentIndex(2);
        w->setListIndex(w->tb2_BName, 1);
        StatusWord[27] = kStatusAutoTuning;
        QTest::mouseClick(w->tb2_OUT[7], Qt::LeftButton); // auto-tuning running: refused
        QTest::mouseClick(w->tb2_OUT[8], Qt::LeftButton);
        QCOMPARE(OutputOnOff[27], int16_t(0));
        QCOMPARE(OutputOnOff[28], int16_t(1));
        QCOMPARE(w->tb2_OUT[8]->text(), QStringLiteral("ON ")); // the page is laid out again at once
        w->SSTab1->setCurrentIndex(1);
        w->setListIndex(w->tb1_BName[1], 2);
        QTest::mouseClick(w->Comm_OUT[20 + 9], Qt::LeftButton);
        QCOMPARE(OutputOnOff[49], int16_t(1));
        QTRY_VERIFY_WITH_TIMEOUT(writes(*line).size() == 2, kWait);
        QCOMPARE(line->summary().filter(QStringLiteral("W ")), (QStringList{QStringLiteral("W 1 0009"), QStringLiteral("W 2 0009")}));
    }
};

QTEST_MAIN(SettingEditorTest)
#include "tst_setting_editor.moc"
