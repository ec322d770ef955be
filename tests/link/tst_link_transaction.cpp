// RWcomm on the mock line: what reaches the line, how replies are collected and judged,
// retries, time-outs and failures of the line.
#include "MockLine.h"
#include "Replies.h"
#include "STDComm.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>
#include <memory>

using tobrel::ACK;
using tobrel::CommError;
using tobrel::ESC;
using tobrel::ETX;
using tobrel::NAK;
using tobrel::STDComm;

namespace {
const QByteArray kProbeFrame("\x02\x20\x20\x22\x30\x30\x41\x30\x43\x44\x03", 11);

QList<QByteArray> byteByByte(const QByteArray &bytes)
{
    QList<QByteArray> chunks;
    for (char c : bytes)
        chunks << QByteArray(1, c);
    return chunks;
}
} // namespace

class LinkTransactionTest : public QObject {
    Q_OBJECT

    MockLine *line = nullptr;
    std::unique_ptr<STDComm> link;

    QString probe(qint16 tries = 1)
    {
        return link->RWcomm(QStringLiteral(" "), QStringLiteral(" "), QStringLiteral("\""), QStringLiteral("00A0"),
                            QString(), tries);
    }

    // Answers each frame written with the next entry of `replies` (the last one repeats).
    void answerWith(QList<QList<QByteArray>> replies)
    {
        line->answer = [replies, n = 0](const QByteArray &) mutable {
            const QList<QByteArray> chunks = replies.at(std::min<qsizetype>(n, replies.size() - 1));
            ++n;
            return chunks;
        };
    }

private slots:
    void init()
    {
        auto mock = std::make_unique<MockLine>();
        line = mock.get();
        link = std::make_unique<STDComm>(std::move(mock));
        link->setTimeOut(60);
        link->setEventsCheck(true);
        QVERIFY(link->PortOpen());
    }

    // The deadline runs on the installed clock: a reply on its way is never cut off while the
    // clock stands still, and a silent line times out after exactly TimeOut of clock time.
    void deadlineOnTheInstalledClock_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<int>("stepMs");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<int>("idleWaits");
        const QByteArray good = replyBytes(ACK, readReplyBody("00A0"));
        QTest::newRow("reply byte by byte") << byteByByte(good) << 10 << true << 0;
        QTest::newRow("silent line, 10 ms a wait") << QList<QByteArray>() << 10 << false << 6;
        QTest::newRow("silent line, 25 ms a wait") << QList<QByteArray>() << 25 << false << 3;
        QTest::newRow("half a reply, then silence") << QList<QByteArray>{good.left(20)} << 20 << false << 3;
    }
    void deadlineOnTheInstalledClock()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(int, stepMs);
        QFETCH(bool, answered);
        QFETCH(int, idleWaits);
        qint64 now = 1000;
        int waits = 0;
        line->idleWait = [&](int) {
            ++waits;
            now += stepMs;
        };
        link->setMillisecondClock([&now] { return now; });
        answerWith({chunks});
        const QString result = probe();
        QCOMPARE(!result.isEmpty(), answered);
        QCOMPARE(waits, idleWaits);
        link->setMillisecondClock({});
    }

    void probeFrameOnTheLine()
    {
        const QByteArray good = replyBytes(ACK, readReplyBody("00A0"));
        answerWith({{good}});
        QCOMPARE(probe(), text(good));
        QCOMPARE(line->written, QList<QByteArray>{kProbeFrame});
        QCOMPARE(link->OutputBuffer(), text(kProbeFrame));
        QCOMPARE(line->readLength(), 1);
    }

    void writeFrameCarriesData()
    {
        const QByteArray data = "0001000200030004";
        answerWith({{replyBytes(ACK, " !R0001")}});
        const QString reply = link->RWcomm(QStringLiteral(" "), QStringLiteral("!"), QStringLiteral("R"),
                                           QStringLiteral("0001"), QString::fromLatin1(data), 1);
        QCOMPARE(reply, text(replyBytes(ACK, " !R0001")));
        const QByteArray body = " !R0001" + data;
        QCOMPARE(line->written.value(0),
                 "\x02" + body + QByteArray::fromStdString(tobrel::MakeCheckSum(body.toStdString())) + "\x03");
    }

    void replyArrivingWholeOrInPieces_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        const QByteArray good = replyBytes(ACK, readReplyBody());
        QTest::newRow("whole") << QList<QByteArray>{good};
        QTest::newRow("in two") << QList<QByteArray>{good.left(40), good.mid(40)};
        QTest::newRow("byte by byte") << byteByByte(good);
        QTest::newRow("stray bytes first") << QList<QByteArray>{QByteArray("x\x03y\x02", 4), good};
        QTest::newRow("ETX before the ACK") << QList<QByteArray>{QByteArray(1, ETX), good};
        QTest::newRow("cut off, then again") << QList<QByteArray>{good.left(30), good};
        QTest::newRow("a NAK start replaced") << QList<QByteArray>{QByteArray(1, NAK) + "  ", good};
    }

    void replyArrivingWholeOrInPieces()
    {
        QFETCH(QList<QByteArray>, chunks);
        answerWith({chunks});
        QCOMPARE(link->RWcomm(" ", " ", "\"", "0080", "", 1), text(replyBytes(ACK, readReplyBody())));
        QCOMPARE(line->written.size(), 1);
    }

    void checksumMismatchGivesEscAfterEveryAttempt_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QByteArray lower = replyBytes(ACK, "  \"00A0" + QByteArray(80, '0')); // checksum "CD"
        lower.replace(lower.size() - 3, 2, "cd");
        QTest::newRow("lowercase checksum") << lower;
        QByteArray wrong = replyBytes(ACK, readReplyBody());
        wrong[10] = 'F';
        QTest::newRow("changed data") << wrong;
        QTest::newRow("ACK ETX") << QByteArray("\x06\x03");
        QTest::newRow("three characters") << QByteArray("\x06" "A\x03");
        QTest::newRow("NAK with a bad checksum") << QByteArray("\x15  \"00A000\x03");
    }

    void checksumMismatchGivesEscAfterEveryAttempt()
    {
        QFETCH(QByteArray, reply);
        answerWith({{reply}});
        QCOMPARE(probe(1), QString(QChar(ESC)));
        QCOMPARE(probe(3), QString(QChar(ESC)));
        QCOMPARE(line->written.size(), 4);
    }

    void nakIsAnAnswerAndNotRetried()
    {
        const QByteArray nak = replyBytes(NAK, "  \"00A0");
        answerWith({{nak}});
        QCOMPARE(probe(5), text(nak));
        QCOMPARE(line->written.size(), 1);
    }

    void aBadReplyThenAGoodOne()
    {
        QByteArray bad = replyBytes(ACK, readReplyBody());
        bad[20] = 'X';
        const QByteArray good = replyBytes(ACK, readReplyBody());
        answerWith({{bad}, byteByByte(good)});
        QCOMPARE(link->RWcomm(" ", " ", "\"", "0080", "", 1), QString(QChar(ESC)));
        QCOMPARE(link->RWcomm(" ", " ", "\"", "0080", "", 1), text(good));

        // Within one call the retry takes the good reply.
        answerWith({{bad}, {good}});
        QCOMPARE(link->RWcomm(" ", " ", "\"", "0080", "", 2), text(good));
        QCOMPARE(line->written.size(), 4);
    }

    void charactersAfterTheEtxWaitForTheNextRead()
    {
        const QByteArray good = replyBytes(ACK, readReplyBody());
        answerWith({{good + "\x06Z"}});
        QCOMPARE(probe(), text(good));
        // After a transaction one read takes one character.
        QCOMPARE(link->InputBuffer(), QStringLiteral("\x06"));
        QCOMPARE(link->InputBuffer(), QStringLiteral("Z"));
    }

    void leftoverCharactersStartTheNextReply()
    {
        const QByteArray good = replyBytes(ACK, readReplyBody());
        line->receive(good);
        answerWith({{}});
        QCOMPARE(probe(), text(good));
    }

    void silenceRetriesAndGivesEmpty()
    {
        link->setTimeOut(50);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(probe(3), QString());
        QVERIFY2(clock.elapsed() >= 125, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(line->written, (QList<QByteArray>{kProbeFrame, kProbeFrame, kProbeFrame}));
    }

    void theFramesOwnTimeCountsAgainstTheTimeOut()
    {
        link->setTimeOut(50);
        line->writeMs = 80;
        answerWith({{replyBytes(ACK, readReplyBody("00A0"))}});
        QCOMPARE(probe(1), QString());
        line->writeMs = 20;
        QCOMPARE(probe(1), text(replyBytes(ACK, readReplyBody("00A0"))));
    }

    void noAttemptsSendNothing_data()
    {
        QTest::addColumn<qint16>("tries");
        QTest::newRow("0") << qint16(0);
        QTest::newRow("-1") << qint16(-1);
        QTest::newRow("-32768") << qint16(-32768);
    }

    void noAttemptsSendNothing()
    {
        QFETCH(qint16, tries);
        answerWith({{replyBytes(ACK, "  \"00A0")}});
        QCOMPARE(probe(tries), QString());
        QVERIFY(line->written.isEmpty());
    }

    void aClosedPortRaisesTheLineError()
    {
        link->PortClose();
        try {
            probe(3);
            QFAIL("no error");
        } catch (const CommError &e) {
            QCOMPARE(e.number(), int(tobrel::LineErrorPortNotOpen));
        }
    }

    void aFailedWriteEndsTheCall()
    {
        line->failWrite = true;
        try {
            probe(3);
            QFAIL("no error");
        } catch (const CommError &e) {
            QCOMPARE(e.number(), int(tobrel::LineErrorWriteFailed));
        }
        QVERIFY(line->written.isEmpty());
    }

    void aVanishedDeviceEndsTheCallWithoutRetry()
    {
        line->vanishOnWait = true;
        try {
            probe(3);
            QFAIL("no error");
        } catch (const CommError &e) {
            QCOMPARE(e.number(), int(tobrel::LineErrorReadFailed));
        }
        QCOMPARE(line->written.size(), 1);
    }

    void eventsRunDuringTheWaitOnlyWithEventsCheckFalse()
    {
        bool ranDuringWait = false;
        QTimer::singleShot(0, this, [&] { ranDuringWait = line->written.size() == 1; });
        link->setEventsCheck(true);
        QCOMPARE(probe(), QString());
        QVERIFY(!ranDuringWait);
        QCoreApplication::processEvents();

        line->written.clear();
        link->setEventsCheck(false);
        QTimer::singleShot(0, this, [&] { ranDuringWait = line->written.size() == 1; });
        QCOMPARE(probe(), QString());
        QVERIFY(ranDuringWait);
    }
};

QTEST_GUILESS_MAIN(LinkTransactionTest)
#include "tst_link_transaction.moc"
