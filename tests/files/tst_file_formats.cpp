// The setting data file formats: the field rules of the reader, the channel file of display
// texts and the block / all-channel files of raw values, written and read byte for byte.
#include "ChannelFile.h"
#include "DataFileKind.h"
#include "PLM_INC.h"
#include "RecordFile.h"
#include "SettingFields.h"

#include <QtTest>

using namespace PLM_INC;

namespace {

constexpr int kCh = 42;

QStringList allFields(const QByteArray &bytes, bool *failed)
{
    SettingFieldReader reader(bytes);
    QStringList out;
    while (const std::optional<QString> f = reader.nextText())
        out << *f;
    *failed = reader.failed();
    return out;
}

QByteArray quotedLines(const QStringList &texts)
{
    QByteArray out;
    for (const QString &t : texts)
        out += '"' + t.toLatin1() + "\"\r\n";
    return out;
}

// A thermocouple K channel in deg.F whose every row has its own value.
void setTemperatureChannel(int ch)
{
    ChannelConnected[ch] = 1;
    InputType[ch] = 0;
    MainSetting[ch] = 250;
    Alarm1Value[ch] = 10;
    Alarm2Value[ch] = -5;
    HeaterBurnoutValue[ch] = 35;
    ProportionalBand[ch] = 30;
    IntegralTime[ch] = 240;
    DerivativeTime[ch] = 60;
    AntiResetWindup[ch] = 100;
    ProportionalCycle[ch] = 20;
    PdReset[ch] = 0;
    OnOffHysteresis[ch] = 10;
    Alarm1Hysteresis[ch] = 15;
    Alarm2Hysteresis[ch] = 20;
    Alarm1Action[ch] = 2;
    Alarm2Action[ch] = 0;
    OutputHighLimit[ch] = 100;
    OutputLowLimit[ch] = 0;
    PvFilterTime[ch] = 10;
    SensorCorrection[ch] = -15;
    HeatCoolAction[ch] = 0;
    UnitSelect[ch] = 1;
    DisplayUnit[ch] = 1;
    LoopBreakTime[ch] = 8;
    LoopBreakSpan[ch] = 30;
    CoolProportionalBand[ch] = 10;
    CoolProportionalCycle[ch] = 30;
    OverlapDeadBand[ch] = 0;
    CoolActionMode[ch] = 1;
    CoolOnOffHysteresis[ch] = 10;
    ScaleHigh[ch] = 10000;
    ScaleLow[ch] = 0;
    DecimalDivisor[ch] = 100;
    UnitText[ch] = QStringLiteral("%");
}

const QStringList kTemperatureRows = {
    "250", "10", "-5", "3.5", "3.0", "240", "60", "100", "20", "0.0", "1.0", "1.5", "2.0",
    "High limit alarm with standby", "No alarm action", "100", "0", "1.0", "-1.5", "Heating", "deg.F",
    "8", "3.0", "1.0", "30", "0.0", "Oil", "1.0", "1000.0", "0.0", "XX.XX", "%"};

RawSettingRecord numberedRecord(int seed, bool fitted = true)
{
    RawSettingRecord r;
    for (int i = 0; i < kRecordValues; ++i)
        r.values[size_t(i)] = int16_t((seed * 37 + i * 11) % 2000 - 1000);
    r.values[kConnectedIndex] = fitted ? 1 : 0;
    r.unit = QStringLiteral("u%1").arg(seed);
    return r;
}

} // namespace

class FileFormatsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ResetImage(); }

    void fieldRules_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<bool>("fails");
        QTest::newRow("quoted lines with CR LF") << QByteArray("\"a\"\r\n\"b c\"\r\n") << QStringList{"a", "b c"} << false;
        QTest::newRow("commas separate fields") << QByteArray("1,2,3\r\n") << QStringList{"1", "2", "3"} << false;
        QTest::newRow("blanks around unquoted fields dropped") << QByteArray("  12 ,\t-3\t\r\n") << QStringList{"12", "-3"} << false;
        QTest::newRow("blanks inside quotes kept") << QByteArray("\"H   \"\r\n") << QStringList{"H   "} << false;
        QTest::newRow("comma inside quotes kept") << QByteArray("\"a,b\",c") << QStringList{"a,b", "c"} << false;
        QTest::newRow("quoted field runs over a line end") << QByteArray("\"a\r\nb\"\r\nc") << QStringList{"a\r\nb", "c"} << false;
        QTest::newRow("line feed alone ends a line") << QByteArray("\"a\"\n-15\n") << QStringList{"a", "-15"} << false;
        QTest::newRow("carriage return alone ends a line") << QByteArray("\"a\"\r-15\r") << QStringList{"a", "-15"} << false;
        QTest::newRow("blank lines hold no field") << QByteArray("1\r\n\r\n  \r\n2") << QStringList{"1", "2"} << false;
        QTest::newRow("comma before a line end gives an empty field") << QByteArray("1,\r\n2") << QStringList{"1", "", "2"} << false;
        QTest::newRow("two commas give an empty field") << QByteArray("1,,2") << QStringList{"1", "", "2"} << false;
        QTest::newRow("trailing comma at the end") << QByteArray("1,") << QStringList{"1", ""} << false;
        QTest::newRow("text after the closing quote dropped") << QByteArray("\"a\"xyz,\"b\"") << QStringList{"a", "b"} << false;
        QTest::newRow("empty quoted field") << QByteArray("\"\"\r\n\"x\"") << QStringList{"", "x"} << false;
        QTest::newRow("no final line end") << QByteArray("\"a\"") << QStringList{"a"} << false;
        QTest::newRow("empty data") << QByteArray() << QStringList{} << false;
        QTest::newRow("quote that never closes") << QByteArray("\"a\"\r\n\"b\r\n") << QStringList{"a"} << true;
        QTest::newRow("binary bytes are one field") << QByteArray("\x01\x02\xff", 3) << QStringList{QStringLiteral("\u0001\u0002\u00ff")} << false;
    }
    void fieldRules()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, fields);
        QFETCH(bool, fails);
        bool failed = false;
        QCOMPARE(allFields(bytes, &failed), fields);
        QCOMPARE(failed, fails);
    }

    void integerFields_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("negative") << QByteArray("-15") << true << -15;
        QTest::newRow("plus sign") << QByteArray("+7") << true << 7;
        QTest::newRow("blanks around") << QByteArray(" 42 ") << true << 42;
        QTest::newRow("leading zeros") << QByteArray("00012") << true << 12;
        QTest::newRow("largest") << QByteArray("32767") << true << 32767;
        QTest::newRow("smallest") << QByteArray("-32768") << true << -32768;
        QTest::newRow("one above 16 bits") << QByteArray("32768") << false << 0;
        QTest::newRow("one below 16 bits") << QByteArray("-32769") << false << 0;
        QTest::newRow("huge") << QByteArray(4000, '9') << false << 0;
        QTest::newRow("decimal point") << QByteArray("1.0") << false << 0;
        QTest::newRow("empty") << QByteArray("") << false << 0;
        QTest::newRow("sign only") << QByteArray("-") << false << 0;
        QTest::newRow("trailing letter") << QByteArray("12a") << false << 0;
        QTest::newRow("blank inside") << QByteArray("1 2") << false << 0;
    }
    void integerFields()
    {
        QFETCH(QByteArray, field);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const std::optional<int16_t> v = ParseInt16Field(field);
        QCOMPARE(v.has_value(), valid);
        if (valid)
            QCOMPARE(int(*v), value);
    }

    void valueNumberTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("number");
        QTest::newRow("whole") << "250" << true;
        QTest::newRow("tenths negative") << "-1.5" << true;
        QTest::newRow("blanks around") << " 12.34 " << true;
        QTest::newRow("no digit before point") << ".25" << true;
        QTest::newRow("largest that rounds into 16 bits") << "32767.4" << true;
        QTest::newRow("rounds beyond 16 bits") << "32767.6" << false;
        QTest::newRow("far beyond") << "100000" << false;
        QTest::newRow("huge") << QString(400, QLatin1Char('9')) << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("word") << "Air" << false;
        QTest::newRow("unit after number") << "12 C" << false;
        QTest::newRow("two points") << "1.2.3" << false;
        QTest::newRow("exponent") << "1e3" << false;
    }
    void valueNumberTexts()
    {
        QFETCH(QString, text);
        QFETCH(bool, number);
        QCOMPARE(IsValueNumberText(text), number);
    }

    void fileKindByLength_data()
    {
        QTest::addColumn<qint64>("length");
        QTest::addColumn<int>("kind");
        QTest::newRow("empty") << qint64(0) << 0;
        QTest::newRow("1000 bytes is a channel file") << qint64(1000) << 0;
        QTest::newRow("1001 bytes is a block file") << qint64(1001) << 1;
        QTest::newRow("20000 bytes is a block file") << qint64(20000) << 1;
        QTest::newRow("20001 bytes is an all-channel file") << qint64(20001) << 2;
        QTest::newRow("beyond 32 bits") << (qint64(1) << 33) << 2;
    }
    void fileKindByLength()
    {
        QFETCH(qint64, length);
        QFETCH(int, kind);
        QCOMPARE(DataFileKind(length), kind);
    }

    void channelFileIsTheMarkerAndThirtyTwoQuotedRows()
    {
        setTemperatureChannel(kCh);
        const ChannelRows rows = ChannelRowsOf(kCh);
        QCOMPARE(QStringList(rows.begin(), rows.end()), kTemperatureRows);
        const QByteArray expected = quotedLines(QStringList{"V203data"} + kTemperatureRows);
        QCOMPARE(ChannelFileBytes(rows), expected);
        QCOMPARE(expected.count("\r\n"), 33);
        QCOMPARE(ReadChannelFile(expected), std::optional<ChannelRows>(rows));
    }

    void channelRowsFollowTheChannelsDecimalPoint_data()
    {
        QTest::addColumn<int>("inputType");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<QString>("mainSetting");
        QTest::addColumn<QString>("sensorCorrection");
        QTest::addColumn<QString>("decimalPoint");
        QTest::newRow("K whole degrees") << 0 << 100 << "1234" << "-1.5" << "XX.XX";
        QTest::newRow("Pt100 tenths") << 8 << 100 << "123.4" << "-1.5" << "XX.XX";
        QTest::newRow("linear /1000") << 12 << 1000 << "1.234" << "-0.015" << "X.XXX";
        QTest::newRow("linear /1") << 11 << 1 << "1234" << "-15" << "XXXX.";
    }
    void channelRowsFollowTheChannelsDecimalPoint()
    {
        QFETCH(int, inputType);
        QFETCH(int, divisor);
        QFETCH(QString, mainSetting);
        QFETCH(QString, sensorCorrection);
        QFETCH(QString, decimalPoint);
        setTemperatureChannel(kCh);
        InputType[kCh] = int16_t(inputType);
        DecimalDivisor[kCh] = int16_t(divisor);
        MainSetting[kCh] = 1234;
        const ChannelRows rows = ChannelRowsOf(kCh);
        QCOMPARE(rows[0], mainSetting);
        QCOMPARE(rows[18], sensorCorrection);
        QCOMPARE(rows[30], decimalPoint);
        QCOMPARE(ReadChannelFile(ChannelFileBytes(rows)), std::optional<ChannelRows>(rows));
    }

    void channelRowTexts_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("alarm 1 long name") << 13 << 9 << "Process high alarm";
        QTest::newRow("alarm 2 long name") << 14 << 12 << "Process low alarm with standby";
        QTest::newRow("alarm code outside the table") << 13 << 13 << "";
        QTest::newRow("heating") << 19 << 0 << "Heating";
        QTest::newRow("any other value is cooling") << 19 << 5 << "Cooling";
        QTest::newRow("deg.C from the pair's unit") << 20 << 0 << "deg.C";
        QTest::newRow("deg.F from the pair's unit") << 20 << 1 << "deg.F";
        QTest::newRow("cooling mode water") << 26 << 2 << "Water";
    }
    void channelRowTexts()
    {
        QFETCH(int, row);
        QFETCH(int, raw);
        QFETCH(QString, text);
        setTemperatureChannel(kCh);
        switch (row) {
        case 13: Alarm1Action[kCh] = int16_t(raw); break;
        case 14: Alarm2Action[kCh] = int16_t(raw); break;
        case 19: HeatCoolAction[kCh] = int16_t(raw); break;
        case 20: DisplayUnit[kCh] = int16_t(raw); UnitSelect[kCh] = int16_t(1 - raw); break;
        default: CoolActionMode[kCh] = int16_t(raw); break;
        }
        QCOMPARE(ChannelRowText(row, kCh), text);
    }

    void channelFileReading_data()
    {
        const QStringList standard = kTemperatureRows.mid(0, 23);
        const QStringList shortDefaults = {"1.0", "30", "0.0", "Air", "1.0", "10000", "0", "xxxx.", "%"};
        QByteArray unquoted = standard.join(QLatin1Char(',')).toLatin1() + "\r\n";
        QByteArray lineFeeds = quotedLines(QStringList{"V203data"} + kTemperatureRows);
        lineFeeds.replace("\r\n", "\n");

        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("marker form") << quotedLines(QStringList{"V203data"} + kTemperatureRows) << true << kTemperatureRows;
        QTest::newRow("line feeds only") << lineFeeds << true << kTemperatureRows;
        QTest::newRow("short form takes 23 rows and the defaults")
            << quotedLines(standard) << true << standard + shortDefaults;
        QTest::newRow("short form on one line with commas") << unquoted << true << standard + shortDefaults;
        QTest::newRow("fields after the last row are ignored")
            << quotedLines(QStringList{"V203data"} + kTemperatureRows + QStringList{"extra"}) << true << kTemperatureRows;
        QTest::newRow("marker form ending early")
            << quotedLines(QStringList{"V203data"} + kTemperatureRows.mid(0, 31)) << false << QStringList{};
        QTest::newRow("short form ending early") << quotedLines(standard.mid(0, 22)) << false << QStringList{};
        QTest::newRow("empty") << QByteArray() << false << QStringList{};
        QStringList word = kTemperatureRows;
        word[4] = QStringLiteral("abc");
        QTest::newRow("a number row holds a word")
            << quotedLines(QStringList{"V203data"} + word) << false << QStringList{};
        QStringList huge = kTemperatureRows;
        huge[0] = QStringLiteral("99999999999999999999");
        QTest::newRow("a number too large for any channel")
            << quotedLines(QStringList{"V203data"} + huge) << false << QStringList{};
        QStringList empty = kTemperatureRows;
        empty[28] = QString();
        QTest::newRow("an empty number row") << quotedLines(QStringList{"V203data"} + empty) << false << QStringList{};
        QTest::newRow("a quote that never closes")
            << quotedLines(QStringList{"V203data"} + kTemperatureRows.mid(0, 31)) + "\"%\r\n" << false << QStringList{};
        QStringList texts = kTemperatureRows;
        texts[13] = QStringLiteral("anything");
        texts[26] = QStringLiteral("Steam");
        QTest::newRow("text rows take any text") << quotedLines(QStringList{"V203data"} + texts) << true << texts;
    }
    void channelFileReading()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, readable);
        QFETCH(QStringList, rows);
        const std::optional<ChannelRows> read = ReadChannelFile(bytes);
        QCOMPARE(read.has_value(), readable);
        if (readable)
            QCOMPARE(QStringList(read->begin(), read->end()), rows);
    }

    void recordFileIsRawValuesWithQuotedUnits()
    {
        RawSettingRecord a;
        for (int i = 0; i < kRecordValues; ++i)
            a.values[size_t(i)] = int16_t(i * 10);
        a.values[18] = -15;
        a.values[kConnectedIndex] = 1;
        a.unit = QStringLiteral("deg");
        RawSettingRecord b = numberedRecord(5, false);
        QByteArray expected("\"V203data\"\r\n");
        for (int16_t v : a.values)
            expected += QByteArray::number(v) + "\r\n";
        expected += "\"deg\"\r\n";
        for (int16_t v : b.values)
            expected += QByteArray::number(v) + "\r\n";
        expected += "\"u5\"\r\n";
        const QByteArray bytes = RecordFileBytes({a, b});
        QCOMPARE(bytes, expected);
        QVERIFY(bytes.contains("\r\n-15\r\n"));
        QCOMPARE(bytes.count("\r\n"), 1 + 2 * 33);
        const auto read = ReadRecordFile(bytes, 2);
        QVERIFY(read);
        QCOMPARE(read->at(0), a);
        QCOMPARE(read->at(1), b);
    }

    void blockAndAllChannelFilesHaveTheirKindsLength()
    {
        std::vector<RawSettingRecord> block;
        for (int i = 0; i < kChannelsPerBlock; ++i)
            block.push_back(numberedRecord(i));
        std::vector<RawSettingRecord> all;
        for (int i = 0; i < kChannels; ++i)
            all.push_back(numberedRecord(i));
        const QByteArray blockBytes = RecordFileBytes(block);
        const QByteArray allBytes = RecordFileBytes(all);
        QCOMPARE(blockBytes.count("\r\n"), 1 + 20 * 33);
        QCOMPARE(allBytes.count("\r\n"), 1 + 320 * 33);
        QCOMPARE(DataFileKind(blockBytes.size()), kBlockFileKind);
        QCOMPARE(DataFileKind(allBytes.size()), kAllFileKind);
        QCOMPARE(*ReadRecordFile(allBytes, kChannels), all);
    }

    void recordFileReading_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("readable");
        const RawSettingRecord a = numberedRecord(1);
        const QByteArray good = RecordFileBytes({a, a});
        QByteArray shortForm;
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < kShortFormValues; ++i)
                shortForm += QByteArray::number(i) + ",";
        QTest::newRow("marker form") << good << 2 << true;
        QTest::newRow("short form on comma-separated fields") << shortForm << 2 << true;
        QTest::newRow("one record fewer than needed") << RecordFileBytes({a}) << 2 << false;
        QTest::newRow("unit missing at the end") << good.left(good.lastIndexOf("\"u1\"")) << 2 << false;
        QTest::newRow("a value that is not a number")
            << QByteArray(good).replace("\r\n1\r\n", "\r\none\r\n") << 2 << false;
        QTest::newRow("a value beyond 16 bits") << QByteArray(good).replace("\r\n1\r\n", "\r\n40000\r\n") << 2 << false;
        QTest::newRow("a decimal value") << QByteArray(good).replace("\r\n1\r\n", "\r\n1.5\r\n") << 2 << false;
        QTest::newRow("a unit quote that never closes") << good.left(good.size() - 3) << 2 << false;
        QTest::newRow("unquoted unit is still the unit") << QByteArray(good).replace("\"u1\"", "u1") << 2 << true;
        QTest::newRow("empty") << QByteArray() << 1 << false;
        QTest::newRow("ten million digits") << QByteArray(10'000'000, '7') << 320 << false;
    }
    void recordFileReading()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, count);
        QFETCH(bool, readable);
        const auto read = ReadRecordFile(bytes, count);
        QCOMPARE(read.has_value(), readable);
        if (readable)
            QCOMPARE(int(read->size()), count);
    }

    void shortFormRecordsTakeTheDefaults()
    {
        QByteArray bytes;
        for (int i = 0; i < kShortFormValues; ++i)
            bytes += QByteArray::number(i == 18 ? -15 : i + 1) + "\r\n";
        const auto read = ReadRecordFile(bytes, 1);
        QVERIFY(read);
        const RawSettingRecord &r = read->front();
        QCOMPARE(r.values[0], int16_t(1));
        QCOMPARE(r.values[18], int16_t(-15));
        QCOMPARE(r.values[kConnectedIndex], int16_t(24));
        const std::array<int16_t, 8> defaults = {10, 30, 0, 0, 10, 10000, 0, 1};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(r.values[size_t(kShortFormValues + i)], defaults[size_t(i)]);
        QCOMPARE(r.unit, QStringLiteral("%"));
    }

    void recordsComeFromAndGoToTheImage()
    {
        setTemperatureChannel(kCh);
        ChannelConnected[kCh] = 1;
        const RawSettingRecord taken = TakeRawRecord(kCh);
        QCOMPARE(taken.values[0], int16_t(250));
        QCOMPARE(taken.values[18], int16_t(-15));
        QCOMPARE(taken.values[20], int16_t(1));
        QCOMPARE(taken.values[kConnectedIndex], int16_t(1));
        QCOMPARE(taken.values[31], int16_t(100));
        QCOMPARE(taken.unit, QStringLiteral("%"));

        // Onto an even channel: every field but the fitted flag, and the pair's unit.
        const int target = 100;
        ChannelConnected[target] = 7;
        QVERIFY(ApplyRawRecord(taken, target));
        RawSettingRecord back = TakeRawRecord(target);
        QCOMPARE(back.values[kConnectedIndex], int16_t(7));
        back.values[kConnectedIndex] = 1;
        QCOMPARE(back, taken);
        QCOMPARE(DisplayUnit[target], int16_t(1));
        QCOMPARE(DisplayUnit[target + 1], int16_t(1));

        // A record of an unfitted channel changes nothing.
        RawSettingRecord unfitted = numberedRecord(3, false);
        const RawSettingRecord before = TakeRawRecord(target + 2);
        QVERIFY(!ApplyRawRecord(unfitted, target + 2));
        QCOMPARE(TakeRawRecord(target + 2), before);
        QCOMPARE(UnitText[target + 2], QString());
    }
};

QTEST_GUILESS_MAIN(FileFormatsTest)
#include "tst_file_formats.moc"
