// The log file byte by byte: its name, the time stamps per locale, the four kinds of line,
// the header of a new file, appending, the column titles and values of the checked blocks.
#include "LogColumns.h"
#include "LogFile.h"
#include "ChartLogFixture.h"

#include <QtTest>

using namespace PLM_INC;

Q_DECLARE_METATYPE(LoggedBlocks)

namespace {

LoggedBlocks only(std::initializer_list<int> checked)
{
    LoggedBlocks blocks{};
    for (int b : checked)
        blocks[size_t(b)] = true;
    return blocks;
}

} // namespace

class TestLogFile : public QObject {
    Q_OBJECT
private slots:
    void fileNames_data()
    {
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<QString>("name");
        QTest::newRow("no leading zeros") << QDateTime(QDate(2003, 7, 4), QTime(9, 5, 0)) << "2003_7_4_9_5_0.txt";
        QTest::newRow("two-digit fields") << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)) << "2026_12_31_23_59_58.txt";
        QTest::newRow("midnight") << QDateTime(QDate(2027, 1, 1), QTime(0, 0, 0)) << "2027_1_1_0_0_0.txt";
    }
    void fileNames()
    {
        QFETCH(QDateTime, at);
        QFETCH(QString, name);
        QCOMPARE(LogFileBaseName(at), name);
        ChartLogFixture env;
        env.clock.at = at;
        QCOMPARE(MakeLogName(), env.logFolder() + QLatin1Char('/') + name);
    }

    void stampsAsTheLocaleWritesThem_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("stamp");
        const QDateTime at(QDate(2003, 7, 4), QTime(9, 5, 0));
        QTest::newRow("C locale of a service") << QLocale::c() << "2003/07/04" << "2003/07/04 09:05:00";
        QTest::newRow("POSIX") << QLocale(QStringLiteral("POSIX")) << "2003/07/04" << "2003/07/04 09:05:00";
        QTest::newRow("US: month first, AM, no zone") << QLocale(QStringLiteral("en_US")) << "7/4/03" << "7/4/03 9:05:00 AM";
        QTest::newRow("German") << QLocale(QStringLiteral("de_DE")) << "04.07.03" << "04.07.03 09:05:00";
        QTest::newRow("British") << QLocale(QStringLiteral("en_GB")) << "04/07/2003" << "04/07/2003 09:05:00";
        QTest::newRow("Japanese") << QLocale(QStringLiteral("ja_JP")) << "2003/07/04"
                                  << QStringLiteral("2003/07/04 9\u664205\u520600\u79d2");
    }
    void stampsAsTheLocaleWritesThem()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, date);
        QFETCH(QString, stamp);
        const QDateTime at(QDate(2003, 7, 4), QTime(9, 5, 0));
        QCOMPARE(LogDateText(at.date(), locale), date);
        QCOMPARE(LogStampText(at, locale), stamp);
        QCOMPARE(LogDateLine(at.date(), locale), (QStringLiteral("\"Data  : ") + date + QStringLiteral("\"\r\n")).toLocal8Bit());
    }

    void lines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("title") << LogTitleLine() << QByteArray("\"PLM-870 Process variable data\"\r\n");
        QTest::newRow("date, two blanks before the colon")
            << LogDateLine(QDate(2026, 12, 6), QLocale::c()) << QByteArray("\"Data  : 2026/12/06\"\r\n");
        QTest::newRow("columns of no block") << LogColumnLine({}) << QByteArray("\"Time\",\r\n");
        QTest::newRow("columns") << LogColumnLine({"Ch001", "Oven zone 1"})
                                 << QByteArray("\"Time\",\"Ch001\",\"Oven zone 1\",\r\n");
        QTest::newRow("data of no block") << LogDataLine(QStringLiteral("2026/12/06 09:05:07"), {})
                                          << QByteArray("\"2026/12/06 09:05:07\",\r\n");
        QTest::newRow("data") << LogDataLine(QStringLiteral("s"), {"123.4", "-5", ""})
                              << QByteArray("\"s\",\"123.4\",\"-5\",\"\",\r\n");
        QTest::newRow("quotes are not escaped") << LogColumnLine({"a\"b"}) << QByteArray("\"Time\",\"a\"b\",\r\n");
        QTest::newRow("names in the local 8-bit code page")
            << LogColumnLine({QStringLiteral("Ofen \u00c4")})
            << QByteArray("\"Time\",\"") + QStringLiteral("Ofen \u00c4").toLocal8Bit() + QByteArray("\",\r\n");
    }
    void lines()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, bytes);
        QCOMPARE(line, bytes);
    }

    void headerReplacesAnOldFileAndAppendAddsLines()
    {
        ChartLogFixture env;
        const QString path = env.logFolder() + QStringLiteral("/a.txt");
        ChartLogFixture::write(path, "old content that is longer than the new header, all of it goes\r\n");
        QVERIFY(WriteLogHeader(path, QDate(2026, 12, 6), QLocale::c(), {"Ch001", "Ch002"}));
        QVERIFY(AppendLogLine(path, LogDataLine(QStringLiteral("2026/12/06 09:05:07"), {"1", "2"})));
        QVERIFY(AppendLogLine(path, LogDataLine(QStringLiteral("2026/12/06 09:05:17"), {"3", "4"})));
        QCOMPARE(ChartLogFixture::bytes(path), QByteArray("\"PLM-870 Process variable data\"\r\n"
                                                         "\"Data  : 2026/12/06\"\r\n"
                                                         "\"Time\",\"Ch001\",\"Ch002\",\r\n"
                                                         "\"2026/12/06 09:05:07\",\"1\",\"2\",\r\n"
                                                         "\"2026/12/06 09:05:17\",\"3\",\"4\",\r\n"));
    }

    void writesThatCannotBeDone_data()
    {
        QTest::addColumn<QString>("relativePath"); // under the temporary home; empty = no name
        QTest::newRow("no name") << "";
        QTest::newRow("folder missing") << "/missing/a.txt";
        QTest::newRow("a folder of that name") << "/logging";
    }
    void writesThatCannotBeDone()
    {
        QFETCH(QString, relativePath);
        ChartLogFixture env;
        const QString path = relativePath.isEmpty() ? QString() : env.home() + relativePath;
        QVERIFY(!AppendLogLine(path, LogTitleLine()));
        QVERIFY(!WriteLogHeader(path, QDate(2026, 12, 6), QLocale::c(), {}));
    }

    void columnsOfTheCheckedBlocks_data()
    {
        QTest::addColumn<LoggedBlocks>("blocks");
        QTest::addColumn<QStringList>("firstTitles");
        QTest::addColumn<int>("count");
        QTest::newRow("none") << only({}) << QStringList{} << 0;
        QTest::newRow("block 02 only") << only({1}) << QStringList{"Ch021", "Name of 12ch"} << 20;
        QTest::newRow("blocks in block order") << only({15, 0}) << QStringList{"Ch001", "Ch002"} << 40;
    }
    void columnsOfTheCheckedBlocks()
    {
        QFETCH(LoggedBlocks, blocks);
        QFETCH(QStringList, firstTitles);
        QFETCH(int, count);
        ChartLogFixture env;
        Prefs::set(QStringLiteral("Chname022"), QStringLiteral("Name of 12ch and more"));
        const QStringList titles = LogColumnTitles(blocks);
        QCOMPARE(titles.size(), count);
        QCOMPARE(titles.mid(0, firstTitles.size()), firstTitles);
        if (count == 40)
            QCOMPARE(titles.last(), QStringLiteral("Ch320"));
    }

    void valuesAsThePagesShowThem()
    {
        ChartLogFixture env;
        InputType[20] = 0;
        ProcessValue[20] = 1234;
        InputType[21] = 6;
        ProcessValue[21] = -15;
        InputType[39] = 12;
        DecimalDivisor[39] = 100;
        ProcessValue[39] = 5;
        const QStringList values = LogValues(only({1}));
        QCOMPARE(values.size(), 20);
        QCOMPARE(values[0], QStringLiteral("1234"));
        QCOMPARE(values[1], QStringLiteral("-1.5"));
        QCOMPARE(values[19], QStringLiteral("0.05"));
    }
};

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_log_file.moc"
