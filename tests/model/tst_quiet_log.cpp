// The quiet log as the journal sees it: per kind, the first line at once, then at most one line
// a minute carrying the count held back; kinds do not hold each other back.
#include "QuietLog.h"

#include <QtTest>

using PLM_INC::QuietLog;

class TestQuietLog : public QObject {
    Q_OBJECT
private slots:
    void floodsBecomeOneLineAMinute_data()
    {
        QTest::addColumn<QString>("told");     // "second:kind" told in order; "second:flush" flushes
        QTest::addColumn<QStringList>("said"); // what reached the journal
        QTest::newRow("one line") << "0:a" << QStringList{"a 0"};
        QTest::newRow("a flood, then quiet") << "0:a 0:a 1:a 59:a 61:flush 200:flush"
                                             << QStringList{"a 0", "a 59 (3 such lines in the last 61 s, the last of them shown)"};
        QTest::newRow("a minute later the first is said again") << "0:a 60:a" << QStringList{"a 0", "a 60"};
        QTest::newRow("another kind is said at once") << "0:a 1:b 2:a" << QStringList{"a 0", "b 1"};
        QTest::newRow("held back lines come with the next tell") << "0:a 30:a 70:b"
                                                                 << QStringList{"a 0", "a 30 (1 such lines in the last 70 s, the last of them shown)", "b 70"};
    }
    void floodsBecomeOneLineAMinute()
    {
        QFETCH(QString, told);
        QFETCH(QStringList, said);
        qint64 nowMs = 0;
        QStringList journal;
        QuietLog log([&journal](const QString &line) { journal << line; }, [&nowMs] { return nowMs; });
        for (const QString &step : told.split(QLatin1Char(' '))) {
            const QStringList parts = step.split(QLatin1Char(':'));
            nowMs = parts[0].toLongLong() * 1000;
            if (parts[1] == QLatin1String("flush"))
                log.flush();
            else
                log.tell(parts[1], parts[1] + QLatin1Char(' ') + parts[0]);
        }
        QCOMPARE(journal, said);
    }
};

QTEST_GUILESS_MAIN(TestQuietLog)
#include "tst_quiet_log.moc"
