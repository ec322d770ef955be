// Work areas and file records into the image: the channel rows with their own decimal point
// place, all or nothing, and the scaling kept as preferences; block and all-channel records
// onto fitted channels only.
#include "ChannelFile.h"
#include "DataFileKind.h"
#include "FilesTestEnvironment.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "RecordFile.h"
#include "SettingFileIo.h"
#include "SettingSend.h"

#include <QtTest>

using namespace PLM_INC;

namespace {

void linearChannel(int ch, int divisor)
{
    ChannelConnected[ch] = 1;
    InputType[ch] = 12;
    DecimalDivisor[ch] = int16_t(divisor);
    ScaleHigh[ch] = 10000;
    ScaleLow[ch] = 0;
    UnitText[ch] = QStringLiteral("kPa");
}

// Every row of a standard channel as text, with the main set value and the scaling given.
ChannelRows rowsWith(const QString &mainSetting, const QString &decimalPoint, const QString &scaleHigh = QStringLiteral("1000"))
{
    ChannelRows rows;
    const QStringList texts = {
        mainSetting, "1.0", "2.0", "3.5", "3.0", "240", "60", "100", "20", "0.0", "1.0", "1.5", "2.0",
        "High limit alarm", "Process high alarm", "100", "0", "1.0", "-1.5", "Cooling", "deg.F",
        "8", "3.0", "1.0", "30", "0.0", "Water", "1.0", scaleHigh, "-5", decimalPoint, "mA"};
    for (int r = 0; r < kChannelRows; ++r)
        rows[size_t(r)] = texts[r];
    return rows;
}

struct ChannelState {
    RawSettingRecord record;
    int16_t unit;
    int16_t nextUnit;
    bool operator==(const ChannelState &o) const { return record == o.record && unit == o.unit && nextUnit == o.nextUnit; }
};

ChannelState stateOf(int ch)
{
    return {TakeRawRecord(ch), DisplayUnit[ch], DisplayUnit[ch + 1]};
}

} // namespace

class FileSendTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FilesTestEnvironment> env;

private slots:
    void init() { env = std::make_unique<FilesTestEnvironment>(); }
    void cleanup() { env.reset(); }

    void channelRowsUseTheirOwnDecimalPoint_data()
    {
        QTest::addColumn<int>("targetDivisor");
        QTest::addColumn<QString>("mainSetting");
        QTest::addColumn<QString>("decimalPoint");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<int>("raw");
        QTest::addColumn<int>("scaleLow");
        QTest::newRow("tenths file onto a /1000 channel") << 1000 << "123.4" << "XXX.X" << 10 << 1234 << -50;
        QTest::newRow("hundredths file onto a /1 channel") << 1 << "1.25" << "XX.XX" << 100 << 125 << -500;
        QTest::newRow("short-form placeholder keeps the divisor") << 1000 << "1.234" << "xxxx." << 1000 << 1234 << -5000;
    }
    void channelRowsUseTheirOwnDecimalPoint()
    {
        QFETCH(int, targetDivisor);
        QFETCH(QString, mainSetting);
        QFETCH(QString, decimalPoint);
        QFETCH(int, divisor);
        QFETCH(int, raw);
        QFETCH(int, scaleLow);
        const int ch = 44;
        linearChannel(ch, targetDivisor);
        QVERIFY(StoreChannelRows(rowsWith(mainSetting, decimalPoint, QStringLiteral("10")), ch));
        QCOMPARE(int(DecimalDivisor[ch]), divisor);
        QCOMPARE(int(MainSetting[ch]), raw);
        QCOMPARE(int(ScaleLow[ch]), scaleLow);
        QCOMPARE(Alarm2Action[ch], int16_t(9));
        QCOMPARE(HeatCoolAction[ch], int16_t(1));
        QCOMPARE(CoolActionMode[ch], int16_t(2));
        QCOMPARE(UnitSelect[ch], int16_t(1));
        QCOMPARE(DisplayUnit[ch + 1], int16_t(1));
        QCOMPARE(UnitText[ch], QStringLiteral("mA"));
        // The scaling is kept for the next start.
        QCOMPARE(Prefs::get(QStringLiteral("DP045")), QString::number(divisor));
        QCOMPARE(Prefs::get(QStringLiteral("STLL045")), QString::number(scaleLow));
        QCOMPARE(Prefs::get(QStringLiteral("STLH045")), QString::number(ScaleHigh[ch]));
        QCOMPARE(Prefs::get(QStringLiteral("UNIT045")), QStringLiteral("mA"));
    }

    void aValueThatDoesNotFitChangesNothing_data()
    {
        QTest::addColumn<int>("inputType");
        QTest::addColumn<QString>("mainSetting");
        QTest::addColumn<QString>("scaleHigh");
        QTest::newRow("set value beyond 16 bits in tenths") << 8 << "5000.0" << "1000";
        QTest::newRow("scaling high beyond 16 bits in tenths") << 0 << "100" << "9999"; // the last row to go in
    }
    void aValueThatDoesNotFitChangesNothing()
    {
        QFETCH(int, inputType);
        QFETCH(QString, mainSetting);
        QFETCH(QString, scaleHigh);
        const int ch = 61; // odd: its deg.C/deg.F reaches the next pair's channel 62 too
        linearChannel(ch, 10);
        InputType[ch] = int16_t(inputType);
        MainSetting[ch] = 77;
        DisplayUnit[ch] = 0;
        DisplayUnit[ch + 1] = 0;
        const ChannelState before = stateOf(ch);
        QVERIFY(!StoreChannelRows(rowsWith(mainSetting, QStringLiteral("XX.XX"), scaleHigh), ch));
        QVERIFY(stateOf(ch) == before);
        QCOMPARE(Prefs::get(QStringLiteral("DP062")), Prefs::defaultFor(QStringLiteral("DP062")));
    }

    // Units with characters beyond ASCII: written here as the plant's Windows PCs write them,
    // read back from such a file or from the same file saved as UTF-8 by a Linux editor, and
    // kept as preferences when sent.
    void unitsTravelInEitherCodePage_data()
    {
        QTest::addColumn<bool>("blockFile");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QByteArray>("windowsBytes");
        QTest::addColumn<bool>("savedAsUtf8");
        const QString degrees = QStringLiteral("\u00b0C");
        const QString micro = QStringLiteral("\u00b5" "A");
        QTest::newRow("block file with deg C written here") << true << degrees << QByteArray("\xb0" "C") << false;
        QTest::newRow("block file with deg C from a Linux editor") << true << degrees << QByteArray("\xb0" "C") << true;
        QTest::newRow("channel file with micro A written here") << false << micro << QByteArray("\xb5" "A") << false;
        QTest::newRow("channel file with micro A from a Linux editor") << false << micro << QByteArray("\xb5" "A") << true;
    }
    void unitsTravelInEitherCodePage()
    {
        QFETCH(bool, blockFile);
        QFETCH(QString, unit);
        QFETCH(QByteArray, windowsBytes);
        QFETCH(bool, savedAsUtf8);
        const QString path = env->file(QStringLiteral("units.dat"));
        const int ch = 25; // block 1, channel 5
        linearChannel(ch, 1);
        if (blockFile) {
            std::vector<RawSettingRecord> records(20);
            for (RawSettingRecord &r : records) {
                r.values[kConnectedIndex] = 1;
                r.values[31] = 1;
                r.unit = unit;
            }
            QVERIFY(SaveRecordFile(path, records));
        } else {
            ChannelRows rows = rowsWith(QStringLiteral("100"), QStringLiteral("XXXX."));
            rows[31] = unit;
            QVERIFY(SaveChannelFile(path, rows));
        }
        QByteArray bytes = ReadBytes(path);
        QCOMPARE(bytes.count("\"" + windowsBytes + "\"\r\n"), blockFile ? 20 : 1);
        if (savedAsUtf8)
            QVERIFY(WriteBytes(path, bytes.replace(windowsBytes, unit.toUtf8())));

        if (blockFile) {
            std::vector<RawSettingRecord> records;
            QCOMPARE(LoadRecordFile(path, kBlockFileKind, 20, records), LoadStatus::Ok);
            QCOMPARE(records[5].unit, unit);
            QCOMPARE(ApplyBlockRecords(records, 1), 20);
        } else {
            ChannelRows rows;
            QCOMPARE(LoadChannelFile(path, rows), LoadStatus::Ok);
            QCOMPARE(rows[31], unit);
            QVERIFY(StoreChannelRows(rows, ch));
        }
        QCOMPARE(UnitText[ch], unit);
        QCOMPARE(Prefs::get(QStringLiteral("UNIT") + ChannelDigits(ch)), unit);
    }

    void recordsGoOnlyToChannelsThatWereFitted()
    {
        std::vector<RawSettingRecord> records(20);
        for (int i = 0; i < 20; ++i) {
            records[size_t(i)].values.fill(int16_t(100 + i));
            records[size_t(i)].values[kConnectedIndex] = i % 3 == 0 ? 0 : 1;
            records[size_t(i)].values[31] = 10;
            records[size_t(i)].unit = QStringLiteral("V");
        }
        for (int ch = 60; ch < 80; ++ch)
            MainSetting[ch] = -1;
        QCOMPARE(ApplyBlockRecords(records, 3), 13);
        for (int i = 0; i < 20; ++i) {
            const int ch = 60 + i;
            const QString digits = ChannelDigits(ch);
            if (i % 3 == 0) {
                QCOMPARE(MainSetting[ch], int16_t(-1));
                QCOMPARE(UnitText[ch], QString());
                QCOMPARE(Prefs::get(QStringLiteral("UNIT") + digits), QStringLiteral("%")); // the default
            } else {
                QCOMPARE(MainSetting[ch], int16_t(100 + i));
                QCOMPARE(ChannelConnected[ch], int16_t(0)); // never written
                QCOMPARE(Prefs::get(QStringLiteral("UNIT") + digits), QStringLiteral("V"));
                QCOMPARE(Prefs::get(QStringLiteral("DP") + digits), QStringLiteral("10"));
                QCOMPARE(Prefs::get(QStringLiteral("STLH") + digits), QString::number(100 + i));
            }
        }
        QCOMPARE(ApplyBlockRecords(std::vector<RawSettingRecord>(19), 3), 0); // not a block's worth
        std::vector<RawSettingRecord> all(320);
        all[319].values[kConnectedIndex] = 1;
        all[319].values[0] = 5;
        QCOMPARE(ApplyAllRecords(all), 1);
        QCOMPARE(MainSetting[319], int16_t(5));
    }
};

QTEST_GUILESS_MAIN(FileSendTest)
#include "tst_file_send.moc"
