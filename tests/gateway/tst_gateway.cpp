// plm870-gateway: what its command line accepts, and the program against the simulator and a
// broker of the test's own: it starts, reads the installation, publishes, and stops cleanly on
// SIGTERM with "offline" on its status topic and a complete history file; the window program
// ends as boundedly with a disk that never answers.
#include "DeviceModel.h"
#include "GatewayOptions.h"
#include "LocalBroker.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "PtyServer.h"
#include "SimulatedLine.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

namespace {

// The gateway with a home (history, preferences) of the test's own.
void startGateway(QProcess &gateway, const QTemporaryDir &home, const QStringList &args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PLM870_HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    gateway.setProcessEnvironment(env);
    gateway.start(QCoreApplication::applicationDirPath() + QStringLiteral("/plm870-gateway"), args);
}

} // namespace

class TestGateway : public QObject {
    Q_OBJECT
private slots:
    void options_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("nothing: no broker") << QStringList{} << "" << "" << 1883 << "plm870";
        QTest::newRow("host and port in one") << QStringList{"--broker", "127.0.0.1:1999"} << "" << "127.0.0.1" << 1999 << "plm870";
        QTest::newRow("prefix") << QStringList{"--broker", "127.0.0.1", "--prefix", "hall2/line4"} << "" << "127.0.0.1" << 1883 << "hall2/line4";
        QTest::newRow("speed 19200") << QStringList{"--speed", "19200"} << "" << "" << 1883 << "plm870";
        QTest::newRow("bad speed") << QStringList{"--speed", "4800"} << "The speed \"4800\" is not 9600 or 19200." << "" << 0 << "";
        QTest::newRow("bad broker port") << QStringList{"--broker", "127.0.0.1:http"}
                                         << "The broker port \"http\" is not a number from 1 to 65535. Nothing is published." << "" << 0 << "";
        QTest::newRow("missing value") << QStringList{"--port"} << "--port needs a value." << "" << 0 << "";
        QTest::newRow("unknown option") << QStringList{"--write", "x"} << "Unknown option \"--write\"." << "" << 0 << "";
    }
    void options()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, error);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(QString, prefix);
        QTemporaryDir config;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
        Prefs::reopen();
        const GatewayOptions o = ParseGatewayOptions(args);
        QCOMPARE(o.error, error);
        if (!error.isEmpty())
            return;
        QCOMPARE(o.broker.settings.host, host);
        QCOMPARE(o.broker.enabled(), !host.isEmpty());
        QCOMPARE(o.broker.settings.port, port);
        QCOMPARE(o.broker.settings.prefix, prefix);
    }

    // With a disk that never answers the history line, the end still comes, 5 s after the
    // line thread's, and says on standard error what may not have reached the disk.
    void startsPublishesAndStopsOnSigterm_data()
    {
        QTest::addColumn<bool>("silentDisk");
        QTest::newRow("the disk answers") << false;
        QTest::newRow("the disk never answers") << true;
    }
    void startsPublishesAndStopsOnSigterm()
    {
        QFETCH(bool, silentDisk);
        LocalBroker broker;
        QVERIFY2(broker.start(), qPrintable(broker.error()));
        Subscriber sub(broker.port(), QStringLiteral("gw/#"), "sub-gateway");
        QVERIFY(sub.waitSubscribed());

        SimulatedLine line(presentBlocks({0}));
        QVERIFY(line.start());
        line.server().withModel([](sim::DeviceModel &m) {
            m.value(0, "0080", 2) = 345;
            m.value(0, "0083", 2) = PLM_INC::kStatusAlarm1;
        });
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PLM870_HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        if (silentDisk) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
            QSKIP("a sanitizer's runtime refuses a library preloaded ahead of it; the release build runs this row");
#endif
            env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(PLM_SILENT_DISK));
        }
        QProcess gateway;
        gateway.setProcessEnvironment(env);
        gateway.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        gateway.start(QCoreApplication::applicationDirPath() + QStringLiteral("/plm870-gateway"),
                      {QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("--speed"), QStringLiteral("9600"),
                       QStringLiteral("--broker"), QStringLiteral("127.0.0.1:%1").arg(broker.port()),
                       QStringLiteral("--prefix"), QStringLiteral("gw")});
        QVERIFY(gateway.waitForStarted(10000));

        // The start-up read reads all sixteen blocks (fifteen time out) before polling begins.
        const auto has = [&sub](const QString &topic) {
            return [&sub, topic](const QList<ReceivedMessage> &) { return !sub.on(topic).isEmpty(); };
        };
        QVERIFY(sub.waitFor(has(QStringLiteral("gw/status")), 30000));
        QCOMPARE(sub.on(QStringLiteral("gw/status")).first().payload, QByteArray("online"));
        QVERIFY(sub.waitFor(has(QStringLiteral("gw/ch/003")), 120000));
        QVERIFY(sub.waitFor(has(QStringLiteral("gw/alarm")), 60000));
        const QJsonObject pv = QJsonDocument::fromJson(sub.on(QStringLiteral("gw/ch/003")).last().payload).object();
        QCOMPARE(pv.value(QStringLiteral("alarm1")).toBool(), true);
        const QJsonObject alarm = QJsonDocument::fromJson(sub.on(QStringLiteral("gw/alarm")).first().payload).object();
        QCOMPARE(alarm.value(QStringLiteral("content")).toString(), QStringLiteral("Alarm 1 was turned on."));
        QCOMPARE(alarm.value(QStringLiteral("ch")).toInt(), 3);

        ::kill(pid_t(gateway.processId()), SIGTERM);
        QVERIFY2(gateway.waitForFinished(30000), "the gateway did not end within 30 s");
        const QString said = QString::fromLocal8Bit(gateway.readAllStandardError());
        QVERIFY2(said.contains(QStringLiteral("(the disk did not answer within 5 s): ")) == silentDisk, qPrintable(said));
        QCOMPARE(gateway.exitStatus(), QProcess::NormalExit);
        QCOMPARE(gateway.exitCode(), 0);
        QVERIFY(sub.waitFor([&sub](const QList<ReceivedMessage> &) {
            return sub.on(QStringLiteral("gw/status")).last().payload == "offline";
        }));
        // The history file of the run holds the alarm line.
        const QStringList files = QDir(home.filePath(QStringLiteral("hystory"))).entryList({QStringLiteral("*.hys")});
        QCOMPARE(files.size(), 1);
        QFile f(home.filePath(QStringLiteral("hystory/")) + files.first());
        QVERIFY(f.open(QIODevice::ReadOnly));
        // A disk that never answers holds the writer at the first line it syncs (the change
        // record's start): the alarm's line is then the one told on standard error.
        QVERIFY(f.readAll().contains("Alarm 1 was turned on.") || (silentDisk && said.contains(QStringLiteral("Alarm 1 was turned on."))));
        // The change record holds the run: its start, then its end.
        if (!silentDisk) {
            const QDir changes(home.filePath(QStringLiteral("changes")));
            const QStringList months = changes.entryList({QStringLiteral("*.csv")});
            QCOMPARE(months.size(), 1);
            QFile record(changes.filePath(months.first()));
            QVERIFY(record.open(QIODevice::ReadOnly));
            const QByteArray lines = record.readAll();
            const qsizetype started = lines.indexOf("\"program started\",\"plm870-gateway\",\"\"");
            QVERIFY2(started > 0 && lines.indexOf("\"program ended\",\"plm870-gateway\",\"\"") > started, lines.constData());
        }
    }

    // SIGHUP reloads: the same password says so and stays connected; a new one in the file
    // connects again; SIGTERM still ends it cleanly.
    void sighupReloadsThePassword()
    {
        LocalBroker broker;
        QVERIFY2(broker.start(), qPrintable(broker.error()));
        QTemporaryDir home;
        const QString secret = home.filePath(QStringLiteral("password"));
        const auto writeSecret = [&secret](const QByteArray &word) {
            QFile f(secret);
            return f.open(QIODevice::WriteOnly) && f.write(word) == word.size()
                   && f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        };
        QVERIFY(writeSecret("first"));
        QProcess gateway;
        startGateway(gateway, home,
                      {QStringLiteral("--port"), QStringLiteral("/dev/ttyNOPE"), QStringLiteral("--broker"),
                       QStringLiteral("127.0.0.1:%1").arg(broker.port()), QStringLiteral("--user"), QStringLiteral("u"),
                       QStringLiteral("--password-file"), secret});
        QByteArray err;
        const auto waitFor = [&](const QByteArray &text, int times) {
            return QTest::qWaitFor([&] { err += gateway.readAllStandardError(); return err.count(text) >= times; }, 30000);
        };
        QVERIFY2(waitFor("Connected to the broker", 1), err.constData());
        ::kill(pid_t(gateway.processId()), SIGHUP);
        QVERIFY2(waitFor("nothing changed.", 1), err.constData());
        QVERIFY(writeSecret("second"));
        ::kill(pid_t(gateway.processId()), SIGHUP);
        QVERIFY2(waitFor("they changed; connecting to 127.0.0.1", 1), err.constData());
        QVERIFY2(waitFor("Connected to the broker", 2), err.constData());
        QCOMPARE(gateway.state(), QProcess::Running);
        ::kill(pid_t(gateway.processId()), SIGTERM);
        QVERIFY(gateway.waitForFinished(30000));
        err += gateway.readAllStandardError();
        QCOMPARE(gateway.exitCode(), 0);
        QVERIFY2(err.contains("Stopped"), err.constData());
    }

    // The window program's end leaves such a disk behind too: the start-up read's checksum
    // failures are history lines, and the program ends by itself after a screenshot.
    void theWindowProgramLeavesASilentDiskBehind()
    {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
        QSKIP("a sanitizer's runtime refuses a library preloaded ahead of it; the release build runs this");
#endif
        SimulatedLine line(presentBlocks({0}));
        QVERIFY(line.start());
        line.server().setFaults(sim::Faults{0, 0.3}); // bad checksums
        QTemporaryDir home;
        const QString shot = home.filePath(QStringLiteral("shot.png"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PLM870_HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(PLM_SILENT_DISK));
        env.insert(QStringLiteral("PLM870_SCREENSHOT"), shot);
        QProcess window;
        window.setProcessEnvironment(env);
        window.start(QCoreApplication::applicationDirPath() + QStringLiteral("/PLM870_Monitor"));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(shot) || window.state() == QProcess::NotRunning, 120000);
        QVERIFY2(window.waitForFinished(30000), "the window program did not end within 30 s of its screenshot");
        const QString said = QString::fromLocal8Bit(window.readAllStandardError());
        QVERIFY2(said.contains(QStringLiteral("(the disk did not answer within 5 s): ")), qPrintable(said));
    }

    // A run killed after its history line and before its alarm memory: the next run reads the
    // line back, so an alarm still on is not recorded again, and one gone off is recorded. A
    // memory that fails its checksum, or says otherwise than its history, is not trusted (it
    // would invent a "turned off" for an alarm the history has off), and the journal says why.
    void alarmMemoryAcrossAKill_data()
    {
        QTest::addColumn<bool>("stillOn");
        QTest::addColumn<QString>("memory"); // sound, tampered (Ch001 alarm 1 on), belied (on, history: off)
        QTest::addColumn<int>("turnedOff");  // lines "Alarm 1 was turned off." of Ch001, both runs
        QTest::newRow("still on") << true << "sound" << 0;
        QTest::newRow("gone off while away") << false << "sound" << 1;
        QTest::newRow("a changed memory") << false << "tampered" << 0;
        QTest::newRow("a memory its history belies") << false << "belied" << 1;
    }
    void alarmMemoryAcrossAKill()
    {
        QFETCH(bool, stillOn);
        QFETCH(QString, memory);
        QFETCH(int, turnedOff);
        SimulatedLine line(presentBlocks({0}));
        QVERIFY(line.start());
        line.server().withModel([stillOn](sim::DeviceModel &m) {
            m.value(0, "0083", 0) = stillOn ? PLM_INC::kStatusAlarm1 : 0;
            m.value(0, "0083", 1) = PLM_INC::kStatusAlarm1; // the line that says the reply was read
        });
        QTemporaryDir home;
        QDir(home.path()).mkpath(QStringLiteral("hystory"));
        const QByteArray before = "\"PLM-870 Alarm hystory\",\"    Data  : \",\"2026/1/1\"\r\n\"Time\",\"Channel\",\"Contain\"\r\n";
        const QByteArray on = "\"1:0:0 AM\",\"Ch001\",\"Alarm 1 was turned on.\"\r\n";
        const QByteArray off = "\"1:0:1 AM\",\"Ch001\",\"Alarm 1 was turned off.\"\r\n";
        const bool belied = memory == QLatin1String("belied");
        QFile old(home.filePath(QStringLiteral("hystory/2026_1_1_0_0.hys")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(before + on + (belied ? off : QByteArray()));
        old.close();
        // Sound: written before the line "turned on". Belied: after both lines, saying on.
        QByteArray content = "PLM-870 gateway alarm memory: per channel alarm 1, alarm 2, HB, LP, UPS, DOWNS\n2026_1_1_0_0.hys "
                             + QByteArray::number(belied ? old.size() : before.size()) + '\n'
                             + (belied ? "100000\n" : "000000\n") + QByteArray(319, 'x').replace('x', "000000\n");
        const QByteArray checksum = "sha256 " + QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex() + '\n';
        if (memory == QLatin1String("tampered"))
            content.replace(content.indexOf("\n000000\n"), 8, "\n100000\n"); // after the checksum was made
        QFile memoryFile(home.filePath(QStringLiteral("hystory/alarm-memory")));
        QVERIFY(memoryFile.open(QIODevice::WriteOnly));
        memoryFile.write(content + checksum);
        memoryFile.close();
        QProcess gateway;
        startGateway(gateway, home,
                      {QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("--speed"), QStringLiteral("9600")});
        const auto history = [&home] {
            QByteArray all;
            for (const QString &name : QDir(home.filePath(QStringLiteral("hystory"))).entryList({QStringLiteral("*.hys")})) {
                QFile f(home.filePath(QStringLiteral("hystory/") + name));
                all += f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            }
            return all;
        };
        QVERIFY2(QTest::qWaitFor([&] { return history().count("\"Ch002\",\"Alarm 1 was turned on.\"") == 1; }, 120000),
                 "the gateway recorded nothing");
        ::kill(pid_t(gateway.processId()), SIGTERM);
        QVERIFY(gateway.waitForFinished(30000));
        QCOMPARE(history().count("\"Ch001\",\"Alarm 1 was turned on.\""), 1);
        QCOMPARE(history().count("\"Ch001\",\"Alarm 1 was turned off.\""), turnedOff);
        QCOMPARE(gateway.readAllStandardError().contains("The alarm memory"), memory != QLatin1String("sound"));
    }

    // A setting changed at the unit while the gateway was stopped is recorded at its next start,
    // from the settings memory the first run kept beside the record; a memory that fails its
    // checksum is refused with its reason, and then nothing is claimed. The broker is away for
    // the first run and back for the second: every line of the record reaches it, in
    // order, numbered; what a subscriber kept then checks against the record, and names a line
    // removed from the end of the file.
    void changesWhileStopped_data()
    {
        QTest::addColumn<bool>("tampered");
        QTest::newRow("the memory as the gateway kept it") << false;
        QTest::newRow("a memory changed after it was kept") << true;
    }
    void changesWhileStopped()
    {
        QFETCH(bool, tampered);
        LocalBroker broker;
        QVERIFY2(broker.start(), qPrintable(broker.error()));
        Subscriber witness(broker.port(), QStringLiteral("gw/changes"), "sub-witness"); // kept while away
        QVERIFY(witness.waitSubscribed());
        broker.stop();
        SimulatedLine line(presentBlocks({0}));
        QVERIFY(line.start());
        line.server().withModel([](sim::DeviceModel &m) { m.value(0, "0001", 2) = 200; });
        QTemporaryDir home;
        const QDir changes(home.filePath(QStringLiteral("changes")));
        const auto file = [](const QString &path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const auto record = [&] {
            QByteArray all;
            for (const QString &month : changes.entryList({QStringLiteral("*.csv")}))
                all += file(changes.filePath(month));
            return all;
        };
        const QString memory = changes.filePath(QStringLiteral("settings-memory"));
        const QStringList args = {QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("--speed"),
                                  QStringLiteral("9600"), QStringLiteral("--broker"),
                                  QStringLiteral("127.0.0.1:%1").arg(broker.port()), QStringLiteral("--prefix"),
                                  QStringLiteral("gw")};
        QProcess first;
        startGateway(first, home, args);
        // Kept once the start-up read confirmed block 0: its line of item 0001 holds Ch003's 200.
        QVERIFY2(QTest::qWaitFor([&] { return file(memory).contains("\n0001 ") && file(memory).contains(",200,"); }, 120000),
                 file(memory).constData());
        ::kill(pid_t(first.processId()), SIGTERM);
        QVERIFY(first.waitForFinished(30000));
        line.server().withModel([](sim::DeviceModel &m) { m.value(0, "0001", 2) = 205; });
        if (tampered) {
            QFile f(memory);
            QByteArray bytes = file(memory);
            bytes.replace(",200,", ",201,");
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(bytes);
        }
        // The broker back before the second run, the witness first: the broker does not keep
        // what comes before the subscriber is back.
        QVERIFY2(broker.start(), qPrintable(broker.error()));
        QVERIFY(QTest::qWaitFor([&] { return witness.subscriptions() == 2; }, 20000));
        QProcess second;
        second.setProcessChannelMode(QProcess::SeparateChannels);
        startGateway(second, home, args);
        // The second start-up read is over once the memory holds the new value.
        QVERIFY2(QTest::qWaitFor([&] { return file(memory).contains(",205,"); }, 120000), record().constData());
        ::kill(pid_t(second.processId()), SIGTERM);
        QVERIFY(second.waitForFinished(30000));
        const QByteArray lines = record();
        QCOMPARE(lines.count("\"program started\""), 2);
        QCOMPARE(lines.count("\"program ended\""), 2);
        QCOMPARE(lines.count("while the program was stopped"), tampered ? 0 : 1);
        if (!tampered) {
            const qsizetype at = lines.indexOf("while the program was stopped");
            QByteArray change = lines.mid(lines.lastIndexOf('\n', at) + 1);
            change = change.left(change.indexOf('\n')).replace(".", "");
            QVERIFY2(at > lines.lastIndexOf("\"program started\"") && change.contains(",\"3\",\"0001\",")
                         && change.contains(",\"200\",\"205\",\"at the unit, while the program was stopped\""),
                     lines.constData());
        }
        QCOMPARE(second.readAllStandardError().contains("The settings memory"), tampered);

        const int written = int(lines.count('\n')) - 1; // the column line aside
        const auto got = [&witness] {
            QByteArray all;
            for (const ReceivedMessage &m : witness.messages())
                all += m.payload + '\n';
            return all;
        };
        QVERIFY2(witness.waitFor([written](const QList<ReceivedMessage> &ms) { return ms.size() >= written; }, 60000),
                 (lines + "\nkept:\n" + got()).constData());
        QByteArray kept;
        QList<qint64> numbers;
        for (const ReceivedMessage &m : witness.messages()) {
            kept += m.topic.toUtf8() + ' ' + m.payload + '\n';
            const qint64 seq = QJsonDocument::fromJson(m.payload).object().value(QStringLiteral("seq")).toInteger();
            if (!numbers.contains(seq)) // a message delivered twice (QoS 1) counts once
                numbers << seq;
        }
        QList<qint64> expected;
        for (int n = 1; n <= written; ++n)
            expected << n;
        QCOMPARE(numbers, expected);
        const QString keptPath = home.filePath(QStringLiteral("kept.txt"));
        QFile keptFile(keptPath);
        QVERIFY(keptFile.open(QIODevice::WriteOnly));
        keptFile.write(kept);
        keptFile.close();
        const auto verify = [&](QByteArray *said) {
            QProcess check;
            check.start(QCoreApplication::applicationDirPath() + QStringLiteral("/PLM870_Monitor"),
                        {QStringLiteral("--verify-changes"), changes.path(), QStringLiteral("--against"), keptPath});
            check.waitForFinished(60000);
            *said = check.readAllStandardOutput() + check.readAllStandardError();
            return check.exitCode();
        };
        QByteArray said;
        QVERIFY2(verify(&said) == 0, said.constData());
        const QString month = changes.filePath(changes.entryList({QStringLiteral("*.csv")}).last());
        QByteArray monthBytes = file(month);
        QFile cut(month);
        QVERIFY(cut.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cut.write(monthBytes.left(monthBytes.lastIndexOf('\n', monthBytes.size() - 2) + 1));
        cut.close();
        QVERIFY2(verify(&said) == 1 && said.contains(QByteArray("Sequence number ") + QByteArray::number(written)
                                                     + " (from message line " + QByteArray::number(written)
                                                     + "): among the messages kept, not in the record"),
                 said.constData());
    }
};

QTEST_GUILESS_MAIN(TestGateway)
#include "tst_gateway.moc"
