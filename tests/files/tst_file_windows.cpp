// The three setting file windows against the simulator: a channel, a block and an
// all-channel file saved, loaded into other channels and blocks, and sent by the load
// transfers; the frames on the line, the controller's values afterwards, and the buttons,
// progress bar and status panel while the transfer runs.
#include "ChannelFile.h"
#include "DataFileKind.h"
#include "FileMessages.h"
#include "FileWindowFixture.h"
#include "MainDisp.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "RecordFile.h"
#include "SubDisp_AllSaveLoad.h"
#include "SubDisp_BlockSaveLoad.h"
#include "SubDisp_Factoryadj.h"
#include "SubDisp_SaveLoad.h"

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace PLM_INC;

namespace {

// Every setting item of the transfer with its own value per block and channel; alarm actions,
// heating/cooling and the unit stay inside what their texts can say.
int16_t settingValue(int block, const QString &item, int ch)
{
    if (item == QLatin1String("0013") || item == QLatin1String("0014"))
        return int16_t((ch + block) % 13);
    if (item == QLatin1String("0012"))
        return int16_t((ch + block) % 2);
    if (item == QLatin1String("0011"))
        return int16_t(ch / 2 == 1 ? 1 : 0);
    const int slot = item.toInt(nullptr, 16);
    return int16_t((block + 1) * 1000 + slot * 20 + ch - (ch % 3 == 0 ? 5000 : 0));
}

sim::DeviceModel installation(std::initializer_list<int> present)
{
    sim::DeviceModel m = presentBlocks(present);
    for (int b : present)
        for (const QString &item : kChain + QStringList{"0005", "0006"})
            for (int ch = 0; ch < 20; ++ch)
                m.value(b, item.toStdString(), ch) = settingValue(b, item, ch);
    return m;
}

void click(QPushButton *button)
{
    QVERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
}

QStringList texts(const std::array<QLabel *, kChannelRows> &labels)
{
    QStringList out;
    for (QLabel *l : labels)
        out << l->text();
    return out;
}

QByteArray quotedLines(const QStringList &lines)
{
    QByteArray out;
    for (const QString &l : lines)
        out += '"' + l.toLatin1() + "\"\r\n";
    return out;
}

} // namespace

class FileWindowsTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FileWindowFixture> f;

    // Every file window's buttons (those that need no work area), the progress bar and panel 4.
    void checkTransferRunning(bool running)
    {
        MainDisp &w = *f->w;
        for (int i : {0, 3}) {
            QCOMPARE(w.subDispSaveLoad->Command1[size_t(i)]->isEnabled(), !running);
            QCOMPARE(w.subDispBlockSaveLoad->Command1[size_t(i)]->isEnabled(), !running);
        }
        for (int i : {0, 1})
            QCOMPARE(w.subDispAllSaveLoad->Command1[size_t(i)]->isEnabled(), !running);
        // "Return" closes a window whatever runs.
        QVERIFY(w.subDispSaveLoad->Command1[4]->isEnabled());
        QVERIFY(w.subDispBlockSaveLoad->Command1[4]->isEnabled());
        QVERIFY(w.subDispAllSaveLoad->Command1[2]->isEnabled());
        QCOMPARE(w.statusPanelText(4), running ? QString::fromLatin1(FileMessages::kDataChanging) : QString());
        QCOMPARE(w.ProgressBar1->isVisibleTo(&w), running);
        if (running)
            QCOMPARE(w.ProgressBar1->value(), 0);
    }

private slots:
    void init() { f = std::make_unique<FileWindowFixture>(); }
    void cleanup() { f.reset(); }

    void channelFileMovesAChannelToAnotherBlock()
    {
        QVERIFY(f->start(installation({0, 1})));
        MainDisp &w = *f->w;
        SubDisp_SaveLoad *d = w.subDispSaveLoad;
        w.menuAction(QStringLiteral("mnuSave_CH"))->trigger();
        QVERIFY(d->isVisible());
        QVERIFY(!d->isModal());
        QCOMPARE(d->SaveLoad_CHname->count(), 320);
        QCOMPARE(d->SaveLoad_CHname->currentIndex(), 0);

        d->SaveLoad_CHname->setCurrentIndex(3);
        d->SaveLoad_CHname_Click();
        QCOMPARE(d->Labeldata[0]->text(), QString::number(settingValue(0, "0001", 3)));
        QVERIFY(!d->Command1[1]->isEnabled());
        click(d->Command1[0]);
        QCOMPARE(texts(d->Labeldata_work), texts(d->Labeldata));
        QCOMPARE(d->Labeldata_work[13]->text(), QStringLiteral("Low limit alarm"));
        QCOMPARE(d->Labeldata_work[20]->text(), QStringLiteral("deg.F")); // the pair's unit

        const QString file = f->env.file(QStringLiteral("ch004.dat"));
        f->env.prompter.saveNames << f->env.file(QStringLiteral("ch004"));
        click(d->Command1[2]);
        QCOMPARE(ReadBytes(file), quotedLines(QStringList{"V203data"} + texts(d->Labeldata_work)));

        // Into channel 26 (block 1, channel 5) of another block.
        const int16_t neighbour = f->simValue(1, "0001", 4);
        d->SaveLoad_CHname->setCurrentIndex(25);
        d->SaveLoad_CHname_Click();
        f->env.prompter.openNames << file;
        click(d->Command1[3]);
        QCOMPARE(d->Msg_Label->text(), QString());
        f->env.prompter.answer = Answer::Yes;
        click(d->Command1[1]);
        QCOMPARE(f->env.prompter.questions.last(), QString::fromLatin1(FileMessages::kSendToChannel));
        QCOMPARE(texts(d->Labeldata), texts(d->Labeldata_work));
        QCOMPARE(LinkRequest, int16_t(3));
        QCOMPARE(RequestBlock, int16_t(1));
        checkTransferRunning(true);

        f->tick();
        QCOMPARE(f->line->summary(), Writes(1, kChainWithoutCooling));
        f->line->clear();
        f->finishTransfer(false);
        QCOMPARE(f->line->summary(), Writes(1, {"0005", "0006"}));
        checkTransferRunning(false);
        QVERIFY(d->Command1[1]->isEnabled());

        for (const QString &item : kChainWithoutCooling + QStringList{"0005", "0006"}) {
            const std::string code = item.toStdString();
            const int16_t expected = item == QLatin1String("0011") ? 1 : settingValue(0, item, 3);
            QVERIFY2(f->simValue(1, code.c_str(), 5) == expected, qPrintable(item));
        }
        QCOMPARE(f->simValue(1, "0001", 4), neighbour); // the block's other channels as they were
    }

    // Another file window's Return refills every name list; the windows still open act on the
    // channel and block they show.
    void windowsKeepTheirChoiceWhenTheNameListsAreRefilled()
    {
        QVERIFY(f->start(installation({0, 2})));
        MainDisp &w = *f->w;
        SubDisp_SaveLoad *d = w.subDispSaveLoad;
        w.menuAction(QStringLiteral("mnuSave_CH"))->trigger();
        d->SaveLoad_CHname->setCurrentIndex(44); // Ch045 (block 2)
        d->SaveLoad_CHname_Click();
        click(d->Command1[0]);
        w.menuAction(QStringLiteral("mnuFactory"))->trigger();
        w.subDispFactoryadj->Factory_Bname->setCurrentIndex(2);

        w.menuAction(QStringLiteral("mnuSave_BLK"))->trigger();
        click(w.subDispBlockSaveLoad->Command1[4]); // Return: the lists are filled again
        QCOMPARE(d->SaveLoad_CHname->currentIndex(), 44);
        QCOMPARE(w.subDispFactoryadj->Factory_Bname->currentIndex(), 2);

        f->env.prompter.answer = Answer::Yes;
        f->line->clear();
        click(d->Command1[1]);
        f->tick();
        QCOMPARE(f->line->summary(), Writes(2, kChainWithoutCooling)); // not block 0, channel 001
    }

    // Each file window's Return closes it while a transfer runs; the transfer goes on to its
    // second phase, and the windows opened again afterwards are usable.
    void returnClosesEveryFileWindowDuringATransfer()
    {
        QVERIFY(f->start(installation({0, 2})));
        MainDisp &w = *f->w;
        SubDisp_BlockSaveLoad *block = w.subDispBlockSaveLoad;
        w.menuAction(QStringLiteral("mnuSave_BLK"))->trigger();
        block->Block_Option1[2]->setChecked(true);
        click(block->Command1[0]);
        f->env.prompter.answer = Answer::Yes;
        click(block->Command1[1]);
        w.menuAction(QStringLiteral("mnuSave_CH"))->trigger();
        w.menuAction(QStringLiteral("mnuSave_ALL"))->trigger();
        checkTransferRunning(true);

        const std::array<QPair<QDialog *, QPushButton *>, 3> windows{
            {{w.subDispSaveLoad, w.subDispSaveLoad->Command1[4]},
             {w.subDispBlockSaveLoad, w.subDispBlockSaveLoad->Command1[4]},
             {w.subDispAllSaveLoad, w.subDispAllSaveLoad->Command1[2]}}};
        for (const auto &[window, returnButton] : windows) {
            QVERIFY(window->isVisible());
            click(returnButton);
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
        }

        f->tick();
        QCOMPARE(f->line->summary(), Writes(2, kChainWithoutCooling));
        f->line->clear();
        w.menuAction(QStringLiteral("mnuSave_BLK"))->trigger(); // opened again in the pause
        checkTransferRunning(true);
        f->finishTransfer(false);
        QCOMPARE(f->line->summary(), Writes(2, {"0005", "0006"}));
        checkTransferRunning(false);
    }

    void blockFileMovesABlockAndKeepsUnfittedPositions()
    {
        sim::DeviceModel model = installation({0, 1, 2});
        model.block(0).connected[1] = 0; // channels 2 and 3 not fitted in the source block
        QVERIFY(f->start(std::move(model)));
        MainDisp &w = *f->w;
        SubDisp_BlockSaveLoad *d = w.subDispBlockSaveLoad;
        Prefs::set(QStringLiteral("DvtoN01"), QStringLiteral("Furnace"));
        w.menuAction(QStringLiteral("mnuSave_BLK"))->trigger();
        QVERIFY(d->isVisible());
        QCOMPARE(d->Block_Option1[0]->text(), QStringLiteral("Furnace"));

        d->Block_Option1[0]->setChecked(true);
        click(d->Command1[0]);
        QCOMPARE(d->BlockName_Label->text(), QStringLiteral("Furnace"));
        QCOMPARE(d->BlockNo_Text[1]->text(), QStringLiteral("0"));
        const QString file = f->env.file(QStringLiteral("block1.dat"));
        f->env.prompter.saveNames << file;
        click(d->Command1[2]);
        const QByteArray bytes = ReadBytes(file);
        QCOMPARE(DataFileKind(bytes.size()), kBlockFileKind);
        QCOMPARE(bytes.count("\r\n"), 1 + 20 * 33);
        QVERIFY(bytes.startsWith("\"V203data\"\r\n"));

        // The file back into the work area, then to block 2.
        d->Block_Option1[1]->setChecked(true);
        click(d->Command1[0]); // the work area now holds block 1 ...
        f->env.prompter.openNames << file;
        click(d->Command1[3]); // ... and then the file again
        QCOMPARE(d->BlockName_Label->text(), QStringLiteral("block1.dat"));
        const int16_t unfitted = f->simValue(2, "0001", 2);
        d->Block_Option1[2]->setChecked(true);
        f->env.prompter.answer = Answer::Yes;
        click(d->Command1[1]);
        QCOMPARE(d->BlockNo_Text[0]->text(), QStringLiteral("2"));
        checkTransferRunning(true);
        f->tick();
        QCOMPARE(f->line->summary(), Writes(2, kChainWithoutCooling));
        f->line->clear();
        f->finishTransfer(false);
        QCOMPARE(f->line->summary(), Writes(2, {"0005", "0006"}));
        checkTransferRunning(false);

        for (int ch = 0; ch < 20; ++ch) {
            for (const QString &item : kChainWithoutCooling + QStringList{"0005", "0006"}) {
                const std::string code = item.toStdString();
                const int16_t expected = (ch == 2 || ch == 3) ? settingValue(2, item, ch) : settingValue(0, item, ch);
                QVERIFY2(f->simValue(2, code.c_str(), ch) == expected, qPrintable(QStringLiteral("%1 ch %2").arg(item).arg(ch)));
            }
        }
        QCOMPARE(f->simValue(2, "0001", 2), unfitted);
    }

    void allChannelFileRestoresEveryPresentBlock()
    {
        sim::DeviceModel model = installation({0, 2});
        model.block(2).optionWord.fill(0x0400); // block 2 has heating/cooling: its cooling items go too
        for (int ch = 0; ch < 20; ++ch)
            for (const char *item : {"001C", "001D", "001E", "001F", "0020"})
                model.value(2, item, ch) = int16_t(ch % 3);
        QVERIFY(f->start(std::move(model)));
        MainDisp &w = *f->w;
        SubDisp_AllSaveLoad *d = w.subDispAllSaveLoad;
        w.menuAction(QStringLiteral("mnuSave_ALL"))->trigger();
        QVERIFY(d->isVisible());
        QVERIFY(!d->isModal());
        const QString file = f->env.file(QStringLiteral("all.dat"));
        f->env.prompter.saveNames << file;
        click(d->Command1[0]);
        const QByteArray saved = ReadBytes(file);
        QCOMPARE(DataFileKind(saved.size()), kAllFileKind);
        QCOMPARE(saved.count("\r\n"), 1 + 320 * 33);

        // The settings change afterwards; loading the file puts back what was saved.
        for (int ch = 0; ch < kChannels; ++ch) {
            MainSetting[ch] = 1;
            Alarm1Value[ch] = 2;
            CoolProportionalCycle[ch] = 3;
        }
        f->env.prompter.openNames << file;
        f->env.prompter.answer = Answer::Yes;
        click(d->Command1[1]);
        QCOMPARE(f->env.prompter.questions.last(), QString::fromLatin1(FileMessages::kSendToAll));
        QCOMPARE(LinkRequest, int16_t(4));
        checkTransferRunning(true);
        f->tick();
        QCOMPARE(f->line->summary(), Writes(0, kChainWithoutCooling) + Writes(2, kChain));
        f->line->clear();
        f->finishTransfer(true);
        QCOMPARE(f->line->summary(), Writes(0, {"0005", "0006"}) + Writes(2, {"0005", "0006"}));
        checkTransferRunning(false);
        for (int b : {0, 2})
            for (int ch = 0; ch < 20; ++ch) {
                QCOMPARE(f->simValue(b, "0001", ch), settingValue(b, QStringLiteral("0001"), ch));
                QCOMPARE(f->simValue(b, "0005", ch), settingValue(b, QStringLiteral("0005"), ch));
            }
        QCOMPARE(f->simValue(2, "001D", 4), int16_t(1));
        QCOMPARE(MainSetting[45], settingValue(2, QStringLiteral("0001"), 5));
    }

    void shortFormChannelFileFitsOnlyWhereItsScalingFits_data()
    {
        QTest::addColumn<int>("divisor");
        QTest::addColumn<bool>("sent");
        QTest::newRow("whole-number scaling takes the defaults") << 1 << true;
        QTest::newRow("scaling in tenths cannot hold 10000 and nothing changes") << 10 << false;
    }
    void shortFormChannelFileFitsOnlyWhereItsScalingFits()
    {
        QFETCH(int, divisor);
        QFETCH(bool, sent);
        sim::DeviceModel model = installation({0});
        model.block(0).inputType[3] = 12; // channels 6 and 7: DC voltage
        QVERIFY(f->start(std::move(model)));
        MainDisp &w = *f->w;
        DecimalDivisor[6] = int16_t(divisor);
        ScaleHigh[6] = 900;
        ScaleLow[6] = 0;
        MainSetting[6] = 77;
        SubDisp_SaveLoad *d = w.subDispSaveLoad;
        w.menuAction(QStringLiteral("mnuSave_CH"))->trigger();
        d->SaveLoad_CHname->setCurrentIndex(6);
        d->SaveLoad_CHname_Click();
        QVERIFY(d->Option1[2]->isEnabled());
        QVERIFY(!d->Option1[1]->isEnabled());

        const QStringList standard = {"125", "1", "2", "35", "30", "240", "60", "100", "20", "0", "1", "15",
                                      "2", "No alarm action", "No alarm action", "100", "0", "1.0", "-15", "Heating",
                                      "deg.C", "8", "3"};
        const QString file = f->env.file(QStringLiteral("short.dat"));
        QVERIFY(WriteBytes(file, quotedLines(standard)));
        f->env.prompter.openNames << file;
        click(d->Command1[3]);
        QCOMPARE(texts(d->Labeldata_work).mid(23), QStringList({"1.0", "30", "0.0", "Air", "1.0", "10000", "0", "xxxx.", "%"}));
        const RawSettingRecord before = TakeRawRecord(6);
        f->env.prompter.answer = Answer::Yes;
        click(d->Command1[1]);
        QCOMPARE(DecimalDivisor[6], int16_t(divisor)); // "xxxx." names no decimal point place
        if (!sent) {
            QCOMPARE(d->Msg_Label->text(), QString::fromLatin1(FileMessages::kValueDoesNotFit));
            QVERIFY(TakeRawRecord(6) == before);
            QCOMPARE(LinkRequest, int16_t(1));
            QCOMPARE(Prefs::get(QStringLiteral("STLH007")), Prefs::defaultFor(QStringLiteral("STLH007")));
            return;
        }
        QCOMPARE(MainSetting[6], int16_t(125));
        QCOMPARE(ScaleHigh[6], int16_t(10000));
        QCOMPARE(UnitText[6], QStringLiteral("%"));
        QCOMPARE(Prefs::get(QStringLiteral("STLH007")), QStringLiteral("10000"));
        QCOMPARE(Prefs::get(QStringLiteral("DP007")), QStringLiteral("1"));
        f->tick();
        QCOMPARE(f->line->summary(), Writes(0, kChainWithoutCooling));
        // The controller gets the set value converted with the scaling that was sent.
        QCOMPARE(f->simValue(0, "0001", 6), int16_t(125));
    }
};

QTEST_MAIN(FileWindowsTest)
#include "tst_file_windows.moc"
