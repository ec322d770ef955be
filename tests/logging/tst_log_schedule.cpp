// The log schedule: due times by interval and start, across midnight, with checks every
// 200 ms as the line timer makes them, and when the checks miss the due second.
#include "LogSchedule.h"

#include <QtTest>

namespace {

QTime at(const char *text)
{
    return QTime::fromString(QString::fromLatin1(text), QStringLiteral("HH:mm:ss.zzz"));
}

// Checks every 200 ms after `from` for `seconds` seconds, through midnight.
QList<QTime> ticks(const QTime &from, int seconds)
{
    QList<QTime> out;
    for (int ms = 200; ms <= seconds * 1000; ms += 200)
        out << from.addMSecs(ms);
    return out;
}

} // namespace

class TestLogSchedule : public QObject {
    Q_OBJECT
private slots:
    void dueTimes_data()
    {
        QTest::addColumn<int>("intervalIndex");
        QTest::addColumn<QTime>("start");
        QTest::addColumn<QList<QTime>>("checks");
        QTest::addColumn<QStringList>("due");
        const QTime t = at("09:00:00.000");
        QTest::newRow("10 sec across midnight") << 0 << at("23:59:55.000") << ticks(at("23:59:55.000"), 25)
                                                << QStringList{"00:00:05", "00:00:15"};
        QTest::newRow("started late in its second") << 0 << at("09:00:00.900") << ticks(at("09:00:00.900"), 21)
                                                    << QStringList{"09:00:10", "09:00:20"};
        QTest::newRow("30 sec carries into the minute") << 1 << at("09:59:45.000") << ticks(at("09:59:45.000"), 61)
                                                        << QStringList{"10:00:15", "10:00:45"};
        QTest::newRow("1 min") << 2 << at("09:00:30.000") << ticks(at("09:00:30.000"), 121)
                               << QStringList{"09:01:30", "09:02:30"};
        QTest::newRow("5 min carries into the hour") << 3 << at("09:58:30.000") << ticks(at("09:58:30.000"), 301)
                                                     << QStringList{"10:03:30"};
        QTest::newRow("10 min") << 4 << at("09:55:00.000") << ticks(at("09:55:00.000"), 1801)
                                << QStringList{"10:05:00", "10:15:00", "10:25:00"};
        QTest::newRow("15 min") << 5 << at("09:55:00.000") << ticks(at("09:55:00.000"), 1801)
                                << QStringList{"10:10:00", "10:25:00"};
        QTest::newRow("30 min") << 6 << at("23:45:00.000") << ticks(at("23:45:00.000"), 3601)
                                << QStringList{"00:15:00", "00:45:00"};
        QTest::newRow("1 h wraps at midnight") << 7 << at("23:30:00.000") << ticks(at("23:30:00.000"), 3601)
                                               << QStringList{"00:30:00"};
        QTest::newRow("unlisted index is 10 sec") << 8 << t << ticks(t, 20) << QStringList{"09:00:10", "09:00:20"};
        QTest::newRow("busy over the due second: at the next check")
            << 0 << t << QList<QTime>{at("09:00:09.800"), at("09:00:11.200"), at("09:00:21.000")}
            << QStringList{"09:00:11", "09:00:21"};
        QTest::newRow("busy over midnight") << 0 << at("23:59:50.000")
                                            << QList<QTime>{at("23:59:59.800"), at("00:00:01.400"), at("00:00:11.000")}
                                            << QStringList{"00:00:01", "00:00:11"};
        QTest::newRow("a long stall writes one line, not a backlog")
            << 0 << t << QList<QTime>{at("09:05:00.000"), at("09:05:00.200"), at("09:05:09.800")} << QStringList{"09:05:00"};
        QTest::newRow("five checks in the due second write once")
            << 0 << t << QList<QTime>{at("09:00:10.000"), at("09:00:10.400"), at("09:00:10.800")} << QStringList{"09:00:10"};
        QTest::newRow("clock set back past the due time: written at once")
            << 0 << t << QList<QTime>{at("08:00:00.000"), at("08:00:09.000"), at("08:00:10.000")}
            << QStringList{"08:00:00", "08:00:10"};
    }
    void dueTimes()
    {
        QFETCH(int, intervalIndex);
        QFETCH(QTime, start);
        QFETCH(QList<QTime>, checks);
        QFETCH(QStringList, due);
        LogSchedule schedule;
        schedule.LogTimeSet(intervalIndex, start);
        QStringList written;
        for (const QTime &check : checks)
            if (schedule.check(check))
                written << check.toString(QStringLiteral("HH:mm:ss"));
        QCOMPARE(written, due);
    }
};

QTEST_APPLESS_MAIN(TestLogSchedule)
#include "tst_log_schedule.moc"
