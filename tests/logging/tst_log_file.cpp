// The log file's pieces byte by byte: its name, the time stamps per locale, the lines, and
// the column titles and values of the checked blocks.
#include "ChartLogFixture.h"
#include "FileStamps.h"
#include "LogColumns.h"
#include "FileCodePage.h"
#include "LogFile.h"

#include <QtTest>

using namespace PLM_INC;

class TestLogFile : public QObject {
    Q_OBJECT
private slots:
    void fileNames_data()
    {
        QTest::addColumn<QDateTime>("at");
        QTest::addColumn<QString>("name");
        QTest::newRow("no leading zeros") << QDateTime(QDate(2003, 7, 4), QTime(9, 5, 0)) << "2003_7_4_9_5_0.txt";
        QTest::newRow("two-digit fields") << QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58)) << "2026_12_31_23_59_58.txt";
    }
    void fileNames()
    {
        QFETCH(QDateTime, at);
        QFETCH(QString, name);
        ChartLogFixture env;
        env.clock.at = at;
        QCOMPARE(MakeLogName(), env.logFolder() + QLatin1Char('/') + name);
    }

    // The stamps as the file holds them, byte by byte.
    void stampsAsTheLocaleWritesThem_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QByteArray>("stamp");
        QTest::newRow("C locale of a service") << QLocale::c() << QByteArray("2003/07/04 09:05:00");
        QTest::newRow("POSIX") << QLocale(QStringLiteral("POSIX")) << QByteArray("2003/07/04 09:05:00");
        QTest::newRow("US: month first, AM, no zone") << QLocale(QStringLiteral("en_US")) << QByteArray("7/4/03 9:05:00 AM");
        QTest::newRow("German") << QLocale(QStringLiteral("de_DE")) << QByteArray("04.07.03 09:05:00");
        QTest::newRow("Japanese: hour marks the page has not") << QLocale(QStringLiteral("ja_JP"))
                                                              << QByteArray("2003/07/04 9:05:00");
        QTest::newRow("Spanish: zone and its brackets gone") << QLocale(QStringLiteral("es_ES")) << QByteArray("4/7/03 9:05:00");
        QTest::newRow("Taiwan: day period Qt cannot write") << QLocale(QStringLiteral("zh_TW")) << QByteArray("2003/7/4 09:05:00");
        QTest::newRow("French: the page holds the whole stamp") << QLocale(QStringLiteral("fr_FR"))
                                                               << QByteArray("04/07/2003 09:05:00");
    }
    void stampsAsTheLocaleWritesThem()
    {
        QFETCH(QLocale, locale);
        QFETCH(QByteArray, stamp);
        const QDateTime at(QDate(2003, 7, 4), QTime(9, 5, 0));
        QCOMPARE(LogDataLine(FileStampText(at, locale), {}), "\"" + stamp + "\",\r\n");
        QCOMPARE(LogDateLine(at.date(), locale), "\"Data  : " + stamp.left(stamp.indexOf(' ')) + "\"\r\n");
    }

    void lines_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("title, no comma") << LogTitleLine() << QByteArray("\"PLM-870 Process variable data\"\r\n");
        QTest::newRow("columns of no block") << LogColumnLine({}) << QByteArray("\"Time\",\r\n");
        QTest::newRow("data, a comma after each field") << LogDataLine(QStringLiteral("s"), {"123.4", "-5", ""})
                                                       << QByteArray("\"s\",\"123.4\",\"-5\",\"\",\r\n");
        QTest::newRow("quotes are not escaped") << LogColumnLine({"a\"b"}) << QByteArray("\"Time\",\"a\"b\",\r\n");
        QTest::newRow("Windows-1252") << LogColumnLine({QStringLiteral("Zone \u00e41"), QStringLiteral("\u00b5A")})
                                      << QByteArray("\"Time\",\"Zone \xe4" "1\",\"\xb5" "A\",\r\n");
        QTest::newRow("a name stored with a character outside the page") << LogColumnLine({QStringLiteral("Zone \u01421")})
                                                                        << QByteArray("\"Time\",\"Zone ?1\",\r\n");
    }
    void lines()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, bytes);
        QCOMPARE(line, bytes);
    }

    void columnsAndValuesOfTheCheckedBlocks()
    {
        ChartLogFixture env;
        Prefs::set(QStringLiteral("Chname022"), QStringLiteral("Name of 12ch and more"));
        InputType[21] = 6;
        ProcessValue[21] = -15;
        const LoggedBlocks blocks{false, true, false, false, false, false, false, false,
                                  false, false, false, false, false, false, false, true};
        const QStringList titles = LogColumnTitles(blocks);
        QCOMPARE(titles.size(), 40);
        QCOMPARE(titles.mid(0, 2), (QStringList{"Ch021", "Name of 12ch"})); // cut to 12
        QCOMPARE(titles.last(), QStringLiteral("Ch320"));
        const QStringList values = LogValues(blocks);
        QCOMPARE(values.size(), 40);
        QCOMPARE(values[1], QStringLiteral("-1.5")); // as the pages show it
    }
};

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_log_file.moc"
