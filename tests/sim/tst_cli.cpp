// The plm870sim program: options, the "PTY" line, serving, the link and a clean stop.
#include "SimClient.h"
#include "SimTestFrames.h"

#include <QFileInfo>
#include <QProcess>
#include <QtTest>

using namespace simtest;

class TestCli : public QObject {
    Q_OBJECT

private slots:
    void badOptionsExitWithTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("unknown") << QStringList{"--bogus"};
        QTest::newRow("baud") << QStringList{"--baud", "4800"};
        QTest::newRow("baud text") << QStringList{"--baud", "fast"};
        QTest::newRow("probability") << QStringList{"--drop", "1.5"};
        QTest::newRow("missing value") << QStringList{"--late-ms"};
        QTest::newRow("block out of range") << QStringList{"--blocks", "0,16"};
        QTest::newRow("block range backwards") << QStringList{"--blocks", "5-2"};
        QTest::newRow("demo and blocks") << QStringList{"--demo", "--blocks", "0"};
    }
    void badOptionsExitWithTwo()
    {
        QFETCH(QStringList, args);
        QProcess p;
        p.start(PLM870SIM, args);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardOutput().isEmpty());
        QVERIFY(p.readAllStandardError().startsWith("plm870sim: "));
    }

    void servesUntilTerminated()
    {
        const QTemporaryDir dir;
        const QString link = dir.filePath("line");
        const QString trace = dir.filePath("trace.txt");
        const QString replies = dir.filePath("replies.txt");
        QProcess p;
        p.start(PLM870SIM, {"--blocks", "0,5", "--baud", "0", "--link", link, "--trace", trace,
                            "--reply-trace", replies});
        QVERIFY(p.waitForStarted());
        while (!p.canReadLine())
            QVERIFY(p.waitForReadyRead(10000));
        const QString line = QString::fromLatin1(p.readLine());
        QVERIFY2(line.startsWith("PTY /dev/") && line.endsWith('\n'), qPrintable(line));
        const QString slave = line.mid(4).trimmed();
        QCOMPARE(QFileInfo(link).symLinkTarget(), slave);

        std::string reply;
        {
            Client client(link.toStdString());
            QVERIFY(client.ok());
            client.send(readFrame(5, "00A1"));
            reply = client.readReply();
            QCOMPARE(reply.substr(0, 8), std::string("\x06% \"00A1"));
            QVERIFY(checksumOk(reply));
        }

        p.terminate();
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardOutput().isEmpty());   // exactly one line on stdout
        QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
        QFile traced(trace);
        QVERIFY(traced.open(QIODevice::ReadOnly));
        QCOMPARE(traced.readAll(), QByteArray("<STX>% \"00A1") + tobrel::MakeCheckSum("% \"00A1").c_str() + "<ETX>\n");
        // The reply trace holds the reply exactly as it crossed the line.
        QFile repliesTraced(replies);
        QVERIFY(repliesTraced.open(QIODevice::ReadOnly));
        const QByteArray expected = QByteArray("<ACK>") + QByteArray::fromStdString(reply.substr(1, reply.size() - 2)) + "<ETX>\n";
        QCOMPARE(repliesTraced.readAll(), expected);
    }

    void helpGoesToStdout()
    {
        QProcess p;
        p.start(PLM870SIM, {"--help"});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardOutput().contains("--bad-checksum P"));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
