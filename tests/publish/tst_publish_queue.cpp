// The queue in front of the broker: bounded, alarms kept before values, oldest values first to go.
#include "PublishQueue.h"

#include <QtTest>

class TestPublishQueue : public QObject {
    Q_OBJECT
private slots:
    void boundAndOrder_data()
    {
        QTest::addColumn<int>("bound");
        QTest::addColumn<QString>("pushed");   // v: value, a: alarm; numbered by position
        QTest::addColumn<QString>("taken");    // the order pop() gives them
        QTest::addColumn<int>("dropped");
        QTest::newRow("below the bound: alarms first") << 10 << "vvav" << "2,0,1,3" << 0;
        QTest::newRow("full of values: the oldest goes") << 3 << "vvvv" << "1,2,3" << 1;
        QTest::newRow("an alarm pushes out the oldest value") << 3 << "vvva" << "3,1,2" << 1;
        QTest::newRow("a value never pushes out an alarm") << 2 << "aav" << "0,1" << 1;
        QTest::newRow("alarms alone: the oldest alarm goes") << 2 << "aaa" << "1,2" << 1;
        QTest::newRow("mixed flood keeps every alarm") << 4 << "vavavava" << "1,3,5,7" << 4;
        QTest::newRow("no room at all") << 0 << "va" << "" << 0;
    }
    void boundAndOrder()
    {
        QFETCH(int, bound);
        QFETCH(QString, pushed);
        QFETCH(QString, taken);
        QFETCH(int, dropped);
        PublishQueue q(size_t(bound > 0 ? bound : 0));
        for (int i = 0; i < pushed.size(); ++i)
            q.push({QString::number(i), QByteArray(), 0, false, pushed[i] == QLatin1Char('a')});
        QCOMPARE(int(q.size()), std::min(bound, int(pushed.size())));
        QStringList order;
        while (auto m = q.pop())
            order << m->topic;
        QCOMPARE(order.join(QLatin1Char(',')), taken);
        QCOMPARE(int(q.dropped()), dropped);
    }

    void pushFrontReturnsAnAlarmToTheHead()
    {
        PublishQueue q(3);
        q.push({QStringLiteral("a1"), {}, 1, false, true});
        q.push({QStringLiteral("a2"), {}, 1, false, true});
        auto first = q.pop();
        QVERIFY(first);
        q.pushFront(*first);
        QCOMPARE(q.pop()->topic, QStringLiteral("a1"));
        QCOMPARE(q.pop()->topic, QStringLiteral("a2"));
        QVERIFY(!q.pop());
    }

    void memoryStaysBoundedUnderAnHourOfValues()
    {
        // An hour of 16 blocks x 20 channels once a second, with nobody taking: the bound holds.
        PublishQueue q(2000);
        for (int i = 0; i < 3600 * 20; ++i)
            q.push({QStringLiteral("v"), QByteArray(200, 'x'), 0, false, false});
        QCOMPARE(q.size(), size_t(2000));
        QCOMPARE(q.dropped(), size_t(3600 * 20 - 2000));
    }
};

QTEST_GUILESS_MAIN(TestPublishQueue)
#include "tst_publish_queue.moc"
