// The log schedule: due times by interval and start, across midnight, with checks every
// 200 ms as the line timer makes them, and when the checks miss the due second.
#include "LogSchedule.h"

#include <QtTest>

namespace {

QTime at(const char *text)
{
    return QTime::fromString(QString::fromLatin1(text), QStringLiteral("HH:mm:ss.zzz"));
}

// Checks every 200 ms from `from` (exclusive) for `seconds` seconds, through midnight.
QList<QTime> ticks(const QTime &from, int seconds)
{
    QList<QTime> out;
    for (int ms = 200; ms <= seconds * 1000; ms += 200)
        out << from.addMSecs(ms);
    return out;
}

QStringList dueTimes(int intervalIndex, const QTime &start, const QList<QTime> &checks)
{
    LogSchedule schedule;
    schedule.LogTimeSet(intervalIndex, start);
    QStringList due;
    for (const QTime &t : checks)
        if (schedule.check(t))
            due << t.toString(QStringLiteral("HH:mm:ss"));
    return due;
}

} // namespace

class TestLogSchedule : public QObject {
    Q_OBJECT
private slots:
    void dueTimesWithRegularChecks_data()
    {
        QTest::addColumn<int>("intervalIndex");
        QTest::addColumn<QTime>("start");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QStringList>("due");
        QTest::newRow("10 sec across midnight") << 0 << at("23:59:55.000") << 25
                                                << QStringList{"00:00:05", "00:00:15"};
        QTest::newRow("10 sec started late in its second") << 0 << at("09:00:00.900") << 21
                                                           << QStringList{"09:00:10", "09:00:20"};
        QTest::newRow("30 sec carries into the minute") << 1 << at("09:59:45.000") << 61
                                                        << QStringList{"10:00:15", "10:00:45"};
        QTest::newRow("1 min") << 2 << at("12:34:56.000") << 125 << QStringList{"12:35:56", "12:36:56"};
        QTest::newRow("5 min carries into the hour") << 3 << at("09:58:30.000") << 301 << QStringList{"10:03:30"};
        QTest::newRow("1 h wraps at midnight") << 7 << at("23:30:00.000") << 3601 << QStringList{"00:30:00"};
        QTest::newRow("unlisted index is 10 sec") << 8 << at("08:00:00.000") << 20
                                                  << QStringList{"08:00:10", "08:00:20"};
        QTest::newRow("no index is 10 sec") << -1 << at("08:00:00.000") << 11 << QStringList{"08:00:10"};
        QTest::newRow("nothing before the first due time") << 4 << at("08:00:00.000") << 599 << QStringList{};
    }
    void dueTimesWithRegularChecks()
    {
        QFETCH(int, intervalIndex);
        QFETCH(QTime, start);
        QFETCH(int, seconds);
        QFETCH(QStringList, due);
        QCOMPARE(dueTimes(intervalIndex, start, ticks(start, seconds)), due);
    }

    void checksThatMissTheDueSecond_data()
    {
        QTest::addColumn<QTime>("start");
        QTest::addColumn<QList<QTime>>("checks");
        QTest::addColumn<QStringList>("due");
        QTest::newRow("busy over the due second: written at the next check")
            << at("09:00:00.000") << QList<QTime>{at("09:00:09.800"), at("09:00:11.200"), at("09:00:21.000")}
            << QStringList{"09:00:11", "09:00:21"};
        QTest::newRow("busy over midnight")
            << at("23:59:50.000") << QList<QTime>{at("23:59:59.800"), at("00:00:01.400"), at("00:00:11.000")}
            << QStringList{"00:00:01", "00:00:11"};
        QTest::newRow("a long stall writes one line, not one per missed interval")
            << at("09:00:00.000") << QList<QTime>{at("09:05:00.000"), at("09:05:00.200"), at("09:05:09.800")}
            << QStringList{"09:05:00"};
        QTest::newRow("five checks in the due second write once")
            << at("09:00:00.000")
            << QList<QTime>{at("09:00:10.000"), at("09:00:10.200"), at("09:00:10.400"), at("09:00:10.600"), at("09:00:10.800")}
            << QStringList{"09:00:10"};
        QTest::newRow("checks before the due time write nothing")
            << at("09:00:00.000") << QList<QTime>{at("09:00:00.200"), at("09:00:05.000"), at("09:00:09.999")}
            << QStringList{};
        QTest::newRow("clock set back passes the due time: written at once")
            << at("09:00:00.000") << QList<QTime>{at("08:00:00.000"), at("08:00:09.000"), at("08:00:10.000")}
            << QStringList{"08:00:00", "08:00:10"};
    }
    void checksThatMissTheDueSecond()
    {
        QFETCH(QTime, start);
        QFETCH(QList<QTime>, checks);
        QFETCH(QStringList, due);
        QCOMPARE(dueTimes(0, start, checks), due);
    }

    void logTimeSetKeepsNowAndNext()
    {
        LogSchedule schedule;
        schedule.LogTimeSet(7, at("23:59:59.500"));
        QCOMPARE(schedule.LogInterval, (LogTime{1, 0, 0}));
        QCOMPARE(schedule.LogNowTime, (LogTime{23, 59, 59}));
        QCOMPARE(schedule.LogNextTime, (LogTime{0, 59, 59}));
        QCOMPARE(AddLogInterval({23, 59, 59}, {0, 0, 10}), (LogTime{0, 0, 9}));
        QCOMPARE(AddLogInterval({22, 59, 30}, {1, 0, 30}), (LogTime{0, 0, 0}));
    }
};

QTEST_APPLESS_MAIN(TestLogSchedule)
#include "tst_log_schedule.moc"
