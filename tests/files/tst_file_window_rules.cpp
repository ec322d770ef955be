// The rules of the setting file windows without a controller: every refusal leaves the image,
// the link request and the work area as they were; which buttons and options are usable; the
// factory adjustment window and the version window.
#include "ChannelFile.h"
#include "FactoryAdjData.h"
#include "FileMessages.h"
#include "FileWindowFixture.h"
#include "MainDisp.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "RecordFile.h"
#include "SubDisp_About.h"
#include "SubDisp_AllSaveLoad.h"
#include "SubDisp_BlockSaveLoad.h"
#include "SubDisp_Factoryadj.h"
#include "SubDisp_SaveLoad.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QtTest>
#include <functional>

using namespace PLM_INC;

using Step = std::function<void(FileWindowFixture &)>;
Q_DECLARE_METATYPE(Step)

namespace {

const QString M(const char *text)
{
    return QString::fromLatin1(text);
}

// Every channel fitted with its own settings, every block present, the link polling.
void runningInstallation()
{
    for (int ch = 0; ch < kChannels; ++ch) {
        ChannelConnected[ch] = 1;
        DecimalDivisor[ch] = 1;
        MainSetting[ch] = int16_t(ch);
        ProportionalBand[ch] = 30;
        Alarm1Action[ch] = 1;
        UnitText[ch] = QStringLiteral("%");
    }
    BlockAbsent.fill(0);
    LinkRequest = 1;
}

struct ImageState {
    std::vector<RawSettingRecord> records;
    std::vector<int16_t> units;
    bool operator==(const ImageState &o) const { return records == o.records && units == o.units; }
};

ImageState image()
{
    ImageState s;
    for (int ch = 0; ch < kChannels; ++ch) {
        s.records.push_back(TakeRawRecord(ch));
        s.units.push_back(DisplayUnit[ch]);
    }
    return s;
}

std::vector<RawSettingRecord> records(int count)
{
    std::vector<RawSettingRecord> out;
    for (int i = 0; i < count; ++i)
        out.push_back(TakeRawRecord(i));
    return out;
}

QByteArray channelFileOfLength(int length)
{
    ChannelRows rows;
    rows.fill(QStringLiteral("1"));
    const int base = ChannelFileBytes(rows).size() - 1;
    rows[31] = QString(length - base, QLatin1Char('u'));
    return ChannelFileBytes(rows);
}

// The file as Notepad saves it as "Unicode": UTF-16 little-endian after its byte-order mark.
QByteArray asUtf16(const QByteArray &ascii)
{
    QByteArray out = "\xFF\xFE";
    for (const char c : ascii)
        out += QByteArray(1, c) + '\0';
    return out;
}

// Writes the files the rows offer to the windows.
void writeFiles(FileWindowFixture &f)
{
    QVERIFY(WriteBytes(f.env.file(QStringLiteral("block16.dat")), asUtf16(RecordFileBytes(records(20)))));
    QVERIFY(WriteBytes(f.env.file(QStringLiteral("all16.dat")), asUtf16(RecordFileBytes(records(320)))));
    QVERIFY(WriteBytes(f.env.file(QStringLiteral("c16.dat")), asUtf16(channelFileOfLength(800))));
    QVERIFY(WriteBytes(f.env.file(QStringLiteral("block.dat")), RecordFileBytes(records(20))));
    QVERIFY(WriteBytes(f.env.file(QStringLiteral("all.dat")), RecordFileBytes(records(320))));
    QVERIFY(WriteBytes(f.env.file(QStringLiteral("c1000.dat")), channelFileOfLength(1000)));
    QVERIFY(WriteBytes(f.env.file(QStringLiteral("c1001.dat")), channelFileOfLength(1001)));
    QByteArray early = channelFileOfLength(800);
    early.truncate(early.indexOf("\"1\"\r\n\"1\"\r\n\"1\"\r\n\"uuu"));
    QVERIFY(WriteBytes(f.env.file(QStringLiteral("early.dat")), early));
    QByteArray allHuge = RecordFileBytes(records(320));
    allHuge.replace("\r\n30\r\n", "\r\n300000\r\n");
    QVERIFY(WriteBytes(f.env.file(QStringLiteral("allhuge.dat")), allHuge));
    QByteArray blockEarly = RecordFileBytes(records(20));
    blockEarly.chop(300);
    QVERIFY(WriteBytes(f.env.file(QStringLiteral("blockearly.dat")), blockEarly));
}

SubDisp_SaveLoad &channelWindow(FileWindowFixture &f, int channel)
{
    SubDisp_SaveLoad &d = *f.w->subDispSaveLoad;
    d.mnuSave_CH_Click();
    d.SaveLoad_CHname->setCurrentIndex(channel);
    d.SaveLoad_CHname_Click();
    return d;
}

void fillChannelWork(FileWindowFixture &f, int channel)
{
    channelWindow(f, channel).Command1_Click(0);
}

SubDisp_BlockSaveLoad &blockWindow(FileWindowFixture &f, int block)
{
    SubDisp_BlockSaveLoad &d = *f.w->subDispBlockSaveLoad;
    d.mnuSave_BLK_Click();
    d.Block_Option1[size_t(block)]->setChecked(true);
    return d;
}

void open(FileWindowFixture &f, const char *name)
{
    f.env.prompter.openNames << f.env.file(QString::fromLatin1(name));
}

void save(FileWindowFixture &f, const char *name)
{
    f.env.prompter.saveNames << f.env.file(QString::fromLatin1(name));
}

} // namespace

class FileWindowRulesTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FileWindowFixture> f;

private slots:
    void init()
    {
        f = std::make_unique<FileWindowFixture>();
        runningInstallation();
        writeFiles(*f);
    }
    void cleanup() { f.reset(); }

    void refusalsChangeNothing_data()
    {
        QTest::addColumn<Step>("setup");
        QTest::addColumn<Step>("action");
        QTest::addColumn<int>("window"); // whose message line: 0 channel, 1 block, 2 all channels
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("questions");
        const Step none = [](FileWindowFixture &) {};
        const QStringList noText;
        const QStringList overwrite = {M(FileMessages::kOverwrite)};

        // --- channel window ---
        QTest::newRow("move from an unfitted channel")
            << Step([](FileWindowFixture &) { ChannelConnected[5] = 0; }) << Step([](FileWindowFixture &x) { channelWindow(x, 5).Command1_Click(0); })
            << 0 << M(FileMessages::kChannelNotFittedCopy) << noText << noText;
        QTest::newRow("send to an unfitted channel")
            << Step([](FileWindowFixture &x) { fillChannelWork(x, 4); ChannelConnected[5] = 0; })
            << Step([](FileWindowFixture &x) { channelWindow(x, 5).Command1_Click(1); }) << 0
            << M(FileMessages::kChannelNotFittedSend) << noText << noText;
        QTest::newRow("channel save during auto-tuning")
            << Step([](FileWindowFixture &x) { fillChannelWork(x, 4); StatusWord[4] = kStatusAutoTuning; })
            << Step([](FileWindowFixture &x) { save(x, "never.dat"); channelWindow(x, 4).Command1_Click(2); }) << 0 << QString()
            << QStringList{M(FileMessages::kSaveDuringAutoTuning)} << noText;
        QTest::newRow("channel send during auto-tuning")
            << Step([](FileWindowFixture &x) { fillChannelWork(x, 4); StatusWord[9] = kStatusAutoTuning; })
            << Step([](FileWindowFixture &x) { channelWindow(x, 9).Command1_Click(1); }) << 0 << QString()
            << QStringList{M(FileMessages::kLoadDuringAutoTuning)} << noText;
        QTest::newRow("channel send answered no")
            << Step([](FileWindowFixture &x) { fillChannelWork(x, 4); x.env.prompter.answer = Answer::No; })
            << Step([](FileWindowFixture &x) { channelWindow(x, 30).Command1_Click(1); }) << 0 << QString() << noText
            << QStringList{M(FileMessages::kSendToChannel)};
        QTest::newRow("channel send before the link runs")
            << Step([](FileWindowFixture &x) { fillChannelWork(x, 4); LinkRequest = 9; })
            << Step([](FileWindowFixture &x) { channelWindow(x, 30).Command1_Click(1); }) << 0
            << M(FileMessages::kLinkNotRunning) << noText << noText;
        QTest::newRow("block file into the channel window")
            << none << Step([](FileWindowFixture &x) { open(x, "block.dat"); channelWindow(x, 1).Command1_Click(3); }) << 0
            << QString() << QStringList{M(FileMessages::kNotChannelFile)} << noText;
        QTest::newRow("1001 bytes into the channel window")
            << none << Step([](FileWindowFixture &x) { open(x, "c1001.dat"); channelWindow(x, 1).Command1_Click(3); }) << 0
            << QString() << QStringList{M(FileMessages::kNotChannelFile)} << noText;
        QTest::newRow("channel file ending early")
            << none << Step([](FileWindowFixture &x) { open(x, "early.dat"); channelWindow(x, 1).Command1_Click(3); }) << 0
            << M(FileMessages::kFileUnreadable) << noText << noText;
        QTest::newRow("channel file saved as UTF-16")
            << none << Step([](FileWindowFixture &x) { open(x, "c16.dat"); channelWindow(x, 1).Command1_Click(3); }) << 0
            << M(FileMessages::kFileUtf16) << noText << noText;
        QTest::newRow("channel file removed after the dialog")
            << none << Step([](FileWindowFixture &x) { open(x, "gone.dat"); channelWindow(x, 1).Command1_Click(3); }) << 0
            << M(FileMessages::kFileUnreadable) << noText << noText;
        QTest::newRow("cancelled open dialog")
            << none << Step([](FileWindowFixture &x) { channelWindow(x, 1).Command1_Click(3); }) << 0 << QString() << noText << noText;
        QTest::newRow("cancelled save dialog")
            << Step([](FileWindowFixture &x) { fillChannelWork(x, 4); })
            << Step([](FileWindowFixture &x) { channelWindow(x, 4).Command1_Click(2); }) << 0 << QString() << noText << noText;
        QTest::newRow("overwrite declined")
            << Step([](FileWindowFixture &x) { fillChannelWork(x, 4); x.env.prompter.answer = Answer::No; })
            << Step([](FileWindowFixture &x) { save(x, "block.dat"); channelWindow(x, 4).Command1_Click(2); }) << 0 << QString()
            << QStringList{M(FileMessages::kNewFileName)} << overwrite;
        QTest::newRow("save into a folder that is not there")
            << Step([](FileWindowFixture &x) { fillChannelWork(x, 4); })
            << Step([](FileWindowFixture &x) { save(x, "none/x.dat"); channelWindow(x, 4).Command1_Click(2); }) << 0
            << M(FileMessages::kFileNotSaved) << noText << noText;

        // --- block window ---
        QTest::newRow("move from an absent block")
            << Step([](FileWindowFixture &) { BlockAbsent[3] = 1; }) << Step([](FileWindowFixture &x) { blockWindow(x, 3).Command1_Click(0); })
            << 1 << M(FileMessages::kBlockAbsentCopy) << noText << noText;
        QTest::newRow("send to an absent block")
            << Step([](FileWindowFixture &x) { blockWindow(x, 0).Command1_Click(0); BlockAbsent[3] = 1; })
            << Step([](FileWindowFixture &x) { blockWindow(x, 3).Command1_Click(1); }) << 1 << M(FileMessages::kBlockAbsentSend)
            << noText << noText;
        QTest::newRow("block send during auto-tuning")
            << Step([](FileWindowFixture &x) { blockWindow(x, 0).Command1_Click(0); StatusWord[79] = kStatusAutoTuning; })
            << Step([](FileWindowFixture &x) { blockWindow(x, 3).Command1_Click(1); }) << 1 << QString()
            << QStringList{M(FileMessages::kLoadDuringAutoTuning)} << QStringList{M(FileMessages::kSendToBlock)};
        QTest::newRow("block send answered no")
            << Step([](FileWindowFixture &x) { blockWindow(x, 0).Command1_Click(0); x.env.prompter.answer = Answer::No; })
            << Step([](FileWindowFixture &x) { blockWindow(x, 3).Command1_Click(1); }) << 1 << QString() << noText
            << QStringList{M(FileMessages::kSendToBlock)};
        QTest::newRow("block save during auto-tuning of the source")
            << Step([](FileWindowFixture &x) { blockWindow(x, 2).Command1_Click(0); StatusWord[40] = kStatusAutoTuning; })
            << Step([](FileWindowFixture &x) { save(x, "never.dat"); blockWindow(x, 0).Command1_Click(2); }) << 1 << QString()
            << QStringList{M(FileMessages::kSaveDuringAutoTuning)} << noText;
        QTest::newRow("channel file into the block window")
            << none << Step([](FileWindowFixture &x) { open(x, "c1000.dat"); blockWindow(x, 0).Command1_Click(3); }) << 1
            << QString() << QStringList{M(FileMessages::kNotBlockFile)} << noText;
        QTest::newRow("all-channel file into the block window")
            << none << Step([](FileWindowFixture &x) { open(x, "all.dat"); blockWindow(x, 0).Command1_Click(3); }) << 1
            << QString() << QStringList{M(FileMessages::kNotBlockFile)} << noText;
        QTest::newRow("block file ending early")
            << none << Step([](FileWindowFixture &x) { open(x, "blockearly.dat"); blockWindow(x, 0).Command1_Click(3); }) << 1
            << M(FileMessages::kFileUnreadable) << noText << noText;
        QTest::newRow("block file saved as UTF-16")
            << none << Step([](FileWindowFixture &x) { open(x, "block16.dat"); blockWindow(x, 0).Command1_Click(3); }) << 1
            << M(FileMessages::kFileUtf16) << noText << noText;

        // --- all-channel window ---
        QTest::newRow("block file into the all-channel window")
            << none << Step([](FileWindowFixture &x) { open(x, "block.dat"); x.w->subDispAllSaveLoad->Command1_Click(1); })
            << 2 << QString() << QStringList{M(FileMessages::kNotAllFile)} << noText;
        QTest::newRow("all-channel load during auto-tuning")
            << Step([](FileWindowFixture &) { StatusWord[319] = kStatusAutoTuning; })
            << Step([](FileWindowFixture &x) { open(x, "all.dat"); x.w->subDispAllSaveLoad->Command1_Click(1); }) << 2
            << QString() << QStringList{M(FileMessages::kLoadDuringAutoTuning)} << noText;
        QTest::newRow("all-channel save during auto-tuning")
            << Step([](FileWindowFixture &) { StatusWord[0] = kStatusAutoTuning; })
            << Step([](FileWindowFixture &x) { save(x, "never.dat"); x.w->subDispAllSaveLoad->Command1_Click(0); }) << 2
            << QString() << QStringList{M(FileMessages::kSaveDuringAutoTuning)} << noText;
        QTest::newRow("all-channel load answered no")
            << Step([](FileWindowFixture &x) { x.env.prompter.answer = Answer::No; for (int ch = 0; ch < kChannels; ++ch) MainSetting[ch] = 5; })
            << Step([](FileWindowFixture &x) { open(x, "all.dat"); x.w->subDispAllSaveLoad->Command1_Click(1); }) << 2
            << QString() << noText << QStringList{M(FileMessages::kSendToAll)};
        QTest::newRow("all-channel file saved as UTF-16")
            << none << Step([](FileWindowFixture &x) { open(x, "all16.dat"); x.w->subDispAllSaveLoad->Command1_Click(1); })
            << 2 << M(FileMessages::kFileUtf16) << noText << noText;
        QTest::newRow("all-channel file with a number beyond 16 bits")
            << none << Step([](FileWindowFixture &x) { open(x, "allhuge.dat"); x.w->subDispAllSaveLoad->Command1_Click(1); })
            << 2 << M(FileMessages::kFileUnreadable) << noText << noText;
    }
    void refusalsChangeNothing()
    {
        QFETCH(Step, setup);
        QFETCH(Step, action);
        QFETCH(int, window);
        QFETCH(QString, line);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, questions);
        setup(*f);
        const ImageState before = image();
        const int16_t request = LinkRequest;
        const QStringList channelWork = [&] {
            QStringList out;
            for (QLabel *l : f->w->subDispSaveLoad->Labeldata_work)
                out << l->text();
            return out;
        }();
        const auto blockWork = f->w->subDispBlockSaveLoad->workData();
        f->env.prompter.messages.clear();
        f->env.prompter.questions.clear();

        action(*f);

        QLabel *msg = window == 0 ? f->w->subDispSaveLoad->Msg_Label
                                  : window == 1 ? f->w->subDispBlockSaveLoad->Msg_Label : f->w->subDispAllSaveLoad->Msg_Label;
        QCOMPARE(msg->text(), line);
        QCOMPARE(f->env.prompter.messages, messages);
        QCOMPARE(f->env.prompter.questions, questions);
        QVERIFY(image() == before);
        QCOMPARE(LinkRequest, request);
        QVERIFY(!QFile::exists(f->env.file(QStringLiteral("never.dat"))));
        QStringList channelWorkAfter;
        for (QLabel *l : f->w->subDispSaveLoad->Labeldata_work)
            channelWorkAfter << l->text();
        QCOMPARE(channelWorkAfter, channelWork);
        QVERIFY(f->w->subDispBlockSaveLoad->workData() == blockWork);
        QCOMPARE(f->w->statusPanelText(4), QString());
    }

    void sendAndSaveNeedAFilledWorkArea()
    {
        SubDisp_SaveLoad &ch = channelWindow(*f, 4);
        SubDisp_BlockSaveLoad &block = blockWindow(*f, 1);
        for (QPushButton *b : {ch.Command1[1], ch.Command1[2], block.Command1[1], block.Command1[2]})
            QVERIFY(!b->isEnabled());
        block.Command1_Click(0);
        QVERIFY(block.Command1[1]->isEnabled());
        f->env.prompter.answer = Answer::Yes;
        block.Command1_Click(1);
        QCOMPARE(LinkRequest, int16_t(3));
        QCOMPARE(RequestBlock, int16_t(1));
        for (int i = 0; i < 4; ++i)
            QVERIFY(!ch.Command1[size_t(i)]->isEnabled());
        QVERIFY(ch.Command1[4]->isEnabled()); // Return closes the window; the transfer goes on
        // A click that reaches a window while the transfer runs does nothing, but Return.
        open(*f, "c1000.dat");
        ch.Command1_Click(3);
        QCOMPARE(f->env.prompter.openNames.size(), 1);

        f->w->transferFinished(false);
        QVERIFY(ch.Command1[0]->isEnabled());
        QVERIFY(ch.Command1[3]->isEnabled());
        QVERIFY(!ch.Command1[1]->isEnabled()); // nothing to send yet
        QVERIFY(!ch.Command1[2]->isEnabled());
        QVERIFY(block.Command1[1]->isEnabled());
        QVERIFY(f->w->subDispAllSaveLoad->Command1[1]->isEnabled());
    }

    void optionsFollowTheChannel_data()
    {
        QTest::addColumn<int>("optionWord");
        QTest::addColumn<int>("inputType");
        QTest::addColumn<bool>("cooling");
        QTest::addColumn<bool>("dcInput");
        QTest::addColumn<int>("shown"); // the group shown after choosing the channel
        QTest::newRow("heating/cooling DC channel keeps the chosen group") << 0x0400 << 11 << true << true << 2;
        QTest::newRow("no heating/cooling shows the standard items") << 0x0001 << 12 << false << true << 0;
        QTest::newRow("temperature input shows the standard items") << 0x0400 << 9 << true << false << 0;
        QTest::newRow("neither") << 0 << 0 << false << false << 0;
    }
    void optionsFollowTheChannel()
    {
        QFETCH(int, optionWord);
        QFETCH(int, inputType);
        QFETCH(bool, cooling);
        QFETCH(bool, dcInput);
        QFETCH(int, shown);
        OptionWord[8] = 0x0400;
        InputType[8] = 11;
        OptionWord[7] = int16_t(optionWord);
        InputType[7] = int16_t(inputType);
        SubDisp_SaveLoad &d = channelWindow(*f, 8);
        d.Option1[2]->click();
        QVERIFY(d.Frame_now[2]->isVisibleTo(&d));
        QVERIFY(d.Frame_work[2]->isVisibleTo(&d));
        d.SaveLoad_CHname->setCurrentIndex(7);
        d.SaveLoad_CHname_Click();
        QCOMPARE(d.Option1[1]->isEnabled(), cooling);
        QCOMPARE(d.Option1[2]->isEnabled(), dcInput);
        QVERIFY(d.Option1[size_t(shown)]->isChecked());
        QVERIFY(d.Frame_now[size_t(shown)]->isVisibleTo(&d));
        QVERIFY(d.Frame_work[size_t(shown)]->isVisibleTo(&d));
        // Coming to the front again shows the standard items.
        d.Form_Activate();
        QVERIFY(d.Frame_now[0]->isVisibleTo(&d));
    }

    void factoryAdjustmentBoxes_data()
    {
        QTest::addColumn<QList<int>>("boxes");
        QTest::addColumn<QString>("data");
        QTest::newRow("boxes 0 and 9") << QList<int>{0, 9}
                                       << QStringLiteral("0001") + QString(68, QLatin1Char('0')) + QStringLiteral("00010000");
        QTest::newRow("box 3 checked and unchecked") << QList<int>{3, 3} << QString(80, QLatin1Char('0'));
        QTest::newRow("no box") << QList<int>{} << QString(80, QLatin1Char('0'));
    }
    void factoryAdjustmentBoxes()
    {
        QFETCH(QList<int>, boxes);
        QFETCH(QString, data);
        SubDisp_Factoryadj &d = *f->w->subDispFactoryadj;
        f->w->menuAction(QStringLiteral("mnuFactory"))->trigger();
        QVERIFY(d.isVisible());
        QVERIFY(!d.isModal());
        QCOMPARE(d.Factory_Bname->count(), 16);
        QCOMPARE(d.Factory_Bname->currentIndex(), 0);
        for (int u : boxes)
            QTest::mouseClick(d.Check1[size_t(u)], Qt::LeftButton);
        QCOMPARE(FactoryAdjData, data);

        // Coming to the front again chooses no unit.
        d.Form_Activate();
        QCOMPARE(FactoryAdjData, QString(80, QLatin1Char('0')));
        for (QCheckBox *box : d.Check1)
            QVERIFY(!box->isChecked());
    }

    void factoryAdjustmentRefusals()
    {
        SubDisp_Factoryadj &d = *f->w->subDispFactoryadj;
        d.mnuFactory_Click();
        d.Factory_Bname->setCurrentIndex(2);
        AutoTuning[59] = 1;
        d.Command1_Click(0);
        QCOMPARE(f->env.prompter.messages, QStringList{M(FileMessages::kFactoryAutoTuning)});
        QVERIFY(f->env.prompter.questions.isEmpty());
        QVERIFY(d.isVisible());
        QCOMPARE(LinkRequest, int16_t(1));

        AutoTuning[59] = 0;
        f->env.prompter.answer = Answer::No;
        d.Command1_Click(0);
        QCOMPARE(f->env.prompter.questions, QStringList{M(FileMessages::kFactoryQuestion)});
        QVERIFY(d.isVisible());
        QCOMPARE(LinkRequest, int16_t(1));

        d.Command1_Click(1);
        QVERIFY(!d.isVisible());
    }

    void factoryAdjustmentGoesOnTheLine()
    {
        QVERIFY(f->start(presentBlocks({0, 1})));
        SubDisp_Factoryadj &d = *f->w->subDispFactoryadj;
        d.mnuFactory_Click();
        d.Factory_Bname->setCurrentIndex(1);
        QTest::mouseClick(d.Check1[0], Qt::LeftButton);
        QTest::mouseClick(d.Check1[9], Qt::LeftButton);
        f->env.prompter.answer = Answer::Yes;
        QTest::mouseClick(d.Command1[0], Qt::LeftButton);
        QVERIFY(!d.isVisible());
        QCOMPARE(LinkRequest, int16_t(7));
        QCOMPARE(RequestBlock, int16_t(1));
        d.mnuFactory_Click(); // opened again before the tick: what was confirmed is still sent
        f->tick();
        const QString expected = QStringLiteral("0001") + QString(68, QLatin1Char('0')) + QStringLiteral("00010000");
        QCOMPARE(f->line->summary(), QStringList{QStringLiteral("W 1 0040")});
        QCOMPARE(parseFrame(f->line->frames()[0]).data, expected);
        QCOMPARE(LinkRequest, int16_t(1));
    }

    void accessCodeShowsTheLoopBreak2Toolbar_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QList<bool>>("visibleAfterEachKey");
        QTest::newRow("letter by letter") << "plimsor" << QList<bool>{false, false, false, false, false, false, true};
        QTest::newRow("one more letter hides it") << "plimsorx" << QList<bool>{false, false, false, false, false, false, true, false};
        QTest::newRow("case matters") << "Plimsor" << QList<bool>{false, false, false, false, false, false, false};
    }
    void accessCodeShowsTheLoopBreak2Toolbar()
    {
        QFETCH(QString, typed);
        QFETCH(QList<bool>, visibleAfterEachKey);
        SubDisp_About &d = *f->w->subDispAbout;
        f->w->menuAction(QStringLiteral("numabout"))->trigger();
        QVERIFY(d.isVisible());
        QVERIFY(!d.isModal());
        QCOMPARE(d.windowTitle(), QStringLiteral("Version information"));
        QCOMPARE(d.Label_ver->text(), QStringLiteral("2.05"));
        QCOMPARE(d.Label_option->text(), QStringLiteral("Option N"));
        f->w->Toolbar3->setVisible(false);
        for (int i = 0; i < typed.size(); ++i) {
            QTest::keyClick(d.corvade_option, typed[i].toLatin1());
            QCOMPARE(!f->w->Toolbar3->isHidden(), visibleAfterEachKey[i]);
        }
        QTest::mouseClick(d.Command1, Qt::LeftButton);
        QVERIFY(!d.isVisible());
    }

    void menusOpenTheWindowsWithoutBlocking_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("title");
        QTest::newRow("channel") << "mnuSave_CH" << "SubDisp_SaveLoad" << "Setting value Save / Load (Channel)";
        QTest::newRow("block") << "mnuSave_BLK" << "SubDisp_BlockSaveLoad" << "Setting value Save / Load (Block)";
        QTest::newRow("all channels") << "mnuSave_ALL" << "SubDisp_AllSaveLoad" << "Setting value Save / Load (All channels)";
        QTest::newRow("factory") << "mnuFactory" << "SubDisp_Factoryadj" << "Factory adjsusted value";
        QTest::newRow("version") << "numabout" << "SubDisp_About" << "Version information";
    }
    void menusOpenTheWindowsWithoutBlocking()
    {
        QFETCH(QString, action);
        QFETCH(QString, window);
        QFETCH(QString, title);
        f->w->menuAction(action)->trigger();
        auto *d = f->w->findChild<QDialog *>(window);
        QVERIFY(d);
        QVERIFY(d->isVisible());
        QVERIFY(!d->isModal());
        QCOMPARE(d->windowTitle(), title);
        QVERIFY(f->w->findChildren<QDialog *>(QStringLiteral("LaterVersionNotice")).isEmpty());
    }
};

QTEST_MAIN(FileWindowRulesTest)
#include "tst_file_window_rules.moc"
