// plm870-gateway's Modbus TCP server as a SCADA meets it: the gateway runs as its own program on
// the simulator of a 16-block installation, and clients nobody here wrote (pymodbus, mbpoll)
// read every kind of register and get the simulator's values; writes are refused and never
// reach the line; a block switched off turns into exception 0B and back into values; clients
// that misbehave are dropped while the others and the polling go on.
#include "DeviceModel.h"
#include "ModbusMap.h"
#include "ModbusServer.h"
#include "PtyServer.h"

#include <QCoreApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <functional>
#include <memory>

using namespace modbus;

namespace {

constexpr int kStatusSettingsChanged = 0x1000;
constexpr char kReadCommand = 0x22; // the command type character of a request frame
// Input types of the blocks, by block number modulo 3: whole degrees, tenths, a linear input.
constexpr int16_t kTypes[3] = {0, 8, 12};

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QString hexItem(int code)
{
    return QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0')).toUpper();
}

// Waits (processing events) until f holds; false after `limitMs`. A limit, never a verdict on
// speed: the checks that follow say what was wrong.
bool waitUntil(const std::function<bool()> &f, int limitMs)
{
    QElapsedTimer t;
    t.start();
    while (!f()) {
        if (t.elapsed() > limitMs)
            return false;
        QTest::qWait(100);
    }
    return true;
}

} // namespace

class TestModbusPeers : public QObject {
    Q_OBJECT

    std::unique_ptr<sim::PtyServer> sim_;
    QTemporaryDir home_;
    QProcess gateway_;
    int port_ = 0;

    sim::DeviceModel model()
    {
        sim::DeviceModel m;
        QRandomGenerator rng(870);
        for (int b = 0; b < 16; ++b) {
            sim::BlockConfig &c = m.block(b);
            c.present = true;
            c.connected.fill(1);
            c.inputType.fill(kTypes[b % 3]);
            c.optionWord.fill(0x0401); // heater burnout option, heating/cooling pair
            if (b == 2)
                c.connected[9] = 0;
            m.setLive(false);
            for (int ch = 0; ch < 20; ++ch) {
                for (int code : {0x80, 0x81, 0x82, 0x83})
                    m.value(b, hexItem(code).toStdString(), ch) = int16_t(rng.bounded(-32768, 32768));
                m.value(b, "0083", ch) &= int16_t(~kStatusSettingsChanged);
                for (int code = 0x01; code <= 0x20; ++code)
                    m.value(b, hexItem(code).toStdString(), ch) = int16_t(rng.bounded(-32768, 32768));
            }
        }
        return m;
    }

    int16_t simValue(int block, const QString &item, int channel)
    {
        int16_t v = 0;
        sim_->withModel([&](sim::DeviceModel &m) { v = m.value(block, item.toStdString(), channel); });
        return v;
    }

    // What a register must read, from the simulator and the documented map.
    int expected(Table table, int block, int address)
    {
        const int ch = address % kChannels;
        const int kind = address / kChannels;
        if (table == Table::DiscreteInputs) {
            const int masks[kAlarmKinds] = {0x0002, 0x0004, 0x0008, 0x2000, 0x0010, 0x0020};
            return (simValue(block, QStringLiteral("0083"), ch) & masks[kind]) != 0 ? 1 : 0;
        }
        if (table == Table::InputRegisters) {
            switch (kind) {
            case Pv: return simValue(block, QStringLiteral("0080"), ch);
            case Mv: return simValue(block, QStringLiteral("0081"), ch);
            case HeaterCurrent: return simValue(block, QStringLiteral("0082"), ch);
            case Status: return simValue(block, QStringLiteral("0083"), ch);
            case AlarmBits: {
                int bits = 0;
                for (int k = 0; k < kAlarmKinds; ++k)
                    bits |= expected(Table::DiscreteInputs, block, k * kChannels + ch) << k;
                return bits;
            }
            case Fitted: return block == 2 && ch / 2 == 9 ? 0 : 1;
            case InputType: return kTypes[block % 3];
            case OptionWord: return 0x0401;
            }
            return -1;
        }
        const QString name = QString::fromLatin1(HoldingKindName(kind));
        if (name == QLatin1String("Scaling high limit setting"))
            return 10000; // the PC-side presentation fields at their defaults
        if (name == QLatin1String("Scaling low limit setting"))
            return 0;
        if (name == QLatin1String("Decimal point place selection"))
            return 100;
        return simValue(block, name, ch);
    }

    // The decimal places the pages show for some values, by the input type; -1 where any of
    // 0, 1 or 2 is right for this installation, or 65535 for a selection code the pages do
    // not know (the simulator holds random counts).
    int expectedDecimals(Table table, int block, int address)
    {
        const int kind = address / kChannels;
        const int type = kTypes[block % 3];
        const int absolute = type == 0 ? 0 : type == 8 ? 1 : 2; // PV and SV: degrees, tenths, DP 100
        const int relative = type >= 10 ? 2 : 1;                 // spans: tenths on temperature inputs
        if (table == Table::InputRegisters)
            return kind == Pv ? absolute : (kind == Mv || kind == HeaterCurrent) ? 1 : 0;
        const QString name = QString::fromLatin1(HoldingKindName(kind));
        if (name == QLatin1String("0001"))
            return absolute;
        if (name == QLatin1String("000B") || name == QLatin1String("000C"))
            return relative;
        if (name == QLatin1String("0002"))
            return 1;
        if (name == QLatin1String("0003"))
            return 0;
        if (name == QLatin1String("0013")) { // a selection: no places, or none shown for an unknown code
            const int code = simValue(block, name, address % kChannels);
            return code >= 0 && code <= 12 ? 0 : kNoDecimals;
        }
        return -1;
    }

    QStringList peer(const QStringList &specs)
    {
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"),
                QStringList{QStringLiteral(PLM_MODBUS_PEER_SCRIPT), QStringLiteral("127.0.0.1"), QString::number(port_)} + specs);
        if (!p.waitForFinished(120000))
            return {};
        return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QString one(const QString &spec)
    {
        const QStringList lines = peer({spec});
        return lines.isEmpty() ? QString() : lines.first();
    }

    QString okLine(Table table, int block, int first, int count)
    {
        QStringList values;
        for (int a = first; a < first + count; ++a)
            values << QString::number(uint16_t(expected(table, block, a)));
        return QStringLiteral("ok ") + values.join(QLatin1Char(' '));
    }

    // mbpoll's values "[n]: \tv" as unsigned 16-bit numbers; its error text on failure.
    QPair<QList<int>, QString> mbpoll(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral("mbpoll"), QStringList{QStringLiteral("-m"), QStringLiteral("tcp"), QStringLiteral("-p"),
                                                      QString::number(port_), QStringLiteral("-0"), QStringLiteral("-1"),
                                                      QStringLiteral("-o"), QStringLiteral("5")} + args);
        p.waitForFinished(60000);
        QList<int> values;
        static const QRegularExpression row(QStringLiteral("^\\[(\\d+)\\]:\\s+(-?\\d+)"));
        for (const QString &l : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
            const QRegularExpressionMatch m = row.match(l);
            if (m.hasMatch())
                values << (m.captured(2).toInt() & 0xFFFF);
        }
        return {values, p.exitCode() == 0 ? QString() : QString::fromUtf8(p.readAllStandardError()).trimmed()};
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(QStringLiteral("/usr/bin/mbpoll")), "mbpoll is not installed (scripts/install-deps.sh)");
        sim_ = std::make_unique<sim::PtyServer>(model(), sim::ServeOptions{});
        std::string error;
        QVERIFY2(sim_->start(&error), error.c_str());
        port_ = freePort();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PLM870_HOME"), home_.path());
        env.insert(QStringLiteral("PLM870_COM1"), QString::fromStdString(sim_->slavePath()));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
        gateway_.setProcessEnvironment(env);
        gateway_.setProcessChannelMode(QProcess::ForwardedChannels);
        gateway_.start(QCoreApplication::applicationDirPath() + QStringLiteral("/plm870-gateway"),
                       {QStringLiteral("--port"), QStringLiteral("COM1"), QStringLiteral("--modbus"),
                        QStringLiteral("127.0.0.1:%1").arg(port_)});
        QVERIFY(gateway_.waitForStarted(10000));
        // Values stand still in the simulator: once block 16's output values and heater
        // currents (read in alternate poll cycles) have both arrived, the image is whole.
        QVERIFY(waitUntil([&] {
            return one(QStringLiteral("16:ir:20:40")) == okLine(Table::InputRegisters, 15, 20, 40);
        }, 180000));
    }

    void pymodbusReadsEveryKindOfRegister()
    {
        struct Range {
            Table table;
            const char *name;
            int first, count;
        };
        std::vector<Range> ranges;
        const auto cover = [&](Table t, const char *name, int from, int values, int most) {
            for (int a = from; a < from + values; a += most)
                ranges.push_back({t, name, a, std::min(most, from + values - a)});
        };
        cover(Table::InputRegisters, "ir", 0, kAgeRegister, 125); // the age varies: read below
        cover(Table::InputRegisters, "ir", kDecimalsOffset, ValueCount(Table::InputRegisters), 125);
        cover(Table::HoldingRegisters, "hr", 0, ValueCount(Table::HoldingRegisters), 125);
        cover(Table::HoldingRegisters, "hr", kDecimalsOffset, ValueCount(Table::HoldingRegisters), 125);
        cover(Table::DiscreteInputs, "di", 0, ValueCount(Table::DiscreteInputs), 2000);
        QStringList specs;
        for (int b = 0; b < 16; ++b)
            for (const Range &r : ranges)
                specs << QStringLiteral("%1:%2:%3:%4").arg(b + 1).arg(QLatin1String(r.name)).arg(r.first).arg(r.count);
        const QStringList got = peer(specs);
        QCOMPARE(got.size(), specs.size());
        int checkedDecimals = 0;
        for (int i = 0; i < specs.size(); ++i) {
            const Range &r = ranges[size_t(i) % ranges.size()];
            const int block = i / int(ranges.size());
            const QStringList values = got[i].split(QLatin1Char(' ')).mid(1);
            QVERIFY2(got[i].startsWith(QLatin1String("ok ")), qPrintable(specs[i] + QStringLiteral(": ") + got[i]));
            QCOMPARE(values.size(), r.count);
            for (int k = 0; k < r.count; ++k) {
                const int address = r.first + k;
                const int v = values[k].toInt();
                if (address < kDecimalsOffset) {
                    QVERIFY2(v == uint16_t(expected(r.table, block, address)),
                             qPrintable(QStringLiteral("%1 address %2: %3").arg(specs[i]).arg(address).arg(v)));
                    continue;
                }
                const int want = expectedDecimals(r.table, block, address - kDecimalsOffset);
                QVERIFY2(want < 0 ? ((v >= 0 && v <= 2) || v == kNoDecimals) : v == want,
                         qPrintable(QStringLiteral("%1 decimals of %2: %3, not %4").arg(specs[i]).arg(address - kDecimalsOffset).arg(v).arg(want)));
                checkedDecimals += want >= 0;
            }
        }
        QVERIFY(checkedDecimals >= 16 * 20 * 8);
        // Beyond the map, and a block that cannot be there.
        QCOMPARE(peer({QStringLiteral("1:ir:162:1"), QStringLiteral("1:hr:700:1"), QStringLiteral("17:ir:0:1")}),
                 QStringList({QStringLiteral("exception 2"), QStringLiteral("exception 2"), QStringLiteral("exception 10")}));
    }

    void mbpollReadsAndCannotWrite()
    {
        const auto inputs = mbpoll({QStringLiteral("-a"), QStringLiteral("16"), QStringLiteral("-t"), QStringLiteral("3"),
                                    QStringLiteral("-r"), QStringLiteral("0"), QStringLiteral("-c"), QStringLiteral("125"),
                                    QStringLiteral("127.0.0.1")});
        QVERIFY2(inputs.second.isEmpty(), qPrintable(inputs.second));
        QCOMPARE(inputs.first.size(), 125);
        for (int a = 0; a < 125; ++a)
            QCOMPARE(inputs.first[a], int(uint16_t(expected(Table::InputRegisters, 15, a))));
        const auto settings = mbpoll({QStringLiteral("-a"), QStringLiteral("3"), QStringLiteral("-t"), QStringLiteral("4"),
                                      QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-c"), QStringLiteral("40"),
                                      QStringLiteral("127.0.0.1")});
        QVERIFY2(settings.second.isEmpty(), qPrintable(settings.second));
        QCOMPARE(settings.first.size(), 40);
        for (int a = 0; a < 40; ++a)
            QCOMPARE(settings.first[a], int(uint16_t(expected(Table::HoldingRegisters, 2, 100 + a))));

        sim_->clearReceived();
        const int before = simValue(2, QString::fromLatin1(HoldingKindName(0)), 0);
        const auto writeRegister = mbpoll({QStringLiteral("-a"), QStringLiteral("3"), QStringLiteral("-t"), QStringLiteral("4"),
                                           QStringLiteral("-r"), QStringLiteral("0"), QStringLiteral("127.0.0.1"),
                                           QString::number(uint16_t(before + 1))});
        QVERIFY2(writeRegister.second.contains(QLatin1String("Illegal function")), qPrintable(writeRegister.second));
        const auto writeCoil = mbpoll({QStringLiteral("-a"), QStringLiteral("3"), QStringLiteral("-t"), QStringLiteral("0"),
                                       QStringLiteral("-r"), QStringLiteral("0"), QStringLiteral("127.0.0.1"), QStringLiteral("1")});
        QVERIFY2(writeCoil.second.contains(QLatin1String("Illegal function")), qPrintable(writeCoil.second));
        // Polling went on meanwhile, and not one frame of it was a write.
        QVERIFY(waitUntil([&] { return sim_->receivedFrames().size() >= 48; }, 60000));
        for (const std::string &frame : sim_->receivedFrames())
            QVERIFY2(frame.size() > 3 && frame[3] == kReadCommand, frame.c_str());
        QCOMPARE(simValue(2, QString::fromLatin1(HoldingKindName(0)), 0), before);
        QCOMPARE(one(QStringLiteral("3:hr:0:1")), QStringLiteral("ok %1").arg(uint16_t(before)));
    }

    void switchedOffBlockGivesTargetFailedThenValues()
    {
        sim_->withModel([](sim::DeviceModel &m) { m.block(5).present = false; });
        QVERIFY(waitUntil([&] { return one(QStringLiteral("6:ir:0:20")) == QLatin1String("exception 11"); }, 180000));
        QCOMPARE(one(QStringLiteral("6:ir:161:1")), QStringLiteral("ok 1")); // stale, and says so
        // The other blocks answer as before.
        QCOMPARE(one(QStringLiteral("5:ir:0:20")), okLine(Table::InputRegisters, 4, 0, 20));
        sim_->withModel([](sim::DeviceModel &m) { m.block(5).present = true; });
        QVERIFY(waitUntil([&] { return one(QStringLiteral("6:ir:0:20")) == okLine(Table::InputRegisters, 5, 0, 20); }, 180000));
    }

    void misbehavingClientsAreDroppedOthersServed()
    {
        const size_t framesBefore = sim_->receivedFrames().size();
        const QByteArray request("\x00\x01\x00\x00\x00\x06\x01\x04\x00\x00\x00\x01", 12);
        // Eight at once are served; the ninth is refused at once, not kept waiting.
        std::vector<std::unique_ptr<QTcpSocket>> held;
        for (int i = 0; i < ModbusServer::kMaxClients; ++i) {
            held.push_back(std::make_unique<QTcpSocket>());
            held.back()->bind(QHostAddress(i % 2 ? QStringLiteral("127.0.0.2") : QStringLiteral("127.0.0.1"))); // half a slot each
            held.back()->connectToHost(QHostAddress::LocalHost, quint16(port_));
            QVERIFY(held.back()->waitForConnected(10000));
        }
        for (auto &s : held) {
            s->write(request);
            QVERIFY(s->waitForReadyRead(10000));
            QCOMPARE(s->readAll().size(), 11); // header, function, byte count, one register
        }
        QTcpSocket ninth;
        ninth.connectToHost(QHostAddress::LocalHost, quint16(port_));
        QVERIFY(ninth.waitForConnected(10000));
        QVERIFY(ninth.state() == QAbstractSocket::UnconnectedState || ninth.waitForDisconnected(10000));
        held.clear();

        // Garbage: dropped as soon as it shows.
        QTcpSocket garbage;
        garbage.connectToHost(QHostAddress::LocalHost, quint16(port_));
        QVERIFY(garbage.waitForConnected(10000));
        garbage.write("GET / HTTP/1.1\r\nHost: gateway\r\n\r\n");
        QVERIFY(garbage.waitForDisconnected(10000));

        // A client that stops in the middle of a frame keeps nobody waiting, and goes.
        QTcpSocket stuck;
        stuck.connectToHost(QHostAddress::LocalHost, quint16(port_));
        QVERIFY(stuck.waitForConnected(10000));
        stuck.write(request.left(9));
        // Written already (then there is nothing left to wait for), or written within the wait.
        QVERIFY(stuck.bytesToWrite() == 0 || stuck.waitForBytesWritten(10000) || stuck.bytesToWrite() == 0);
        QCOMPARE(one(QStringLiteral("1:ir:0:20")), okLine(Table::InputRegisters, 0, 0, 20));
        QVERIFY(stuck.state() == QAbstractSocket::UnconnectedState || stuck.waitForDisconnected(30000));
        QVERIFY(sim_->receivedFrames().size() > framesBefore);
        QCOMPARE(gateway_.state(), QProcess::Running);
    }

    void cleanupTestCase()
    {
        if (gateway_.state() == QProcess::Running) {
            ::kill(pid_t(gateway_.processId()), SIGTERM);
            QVERIFY(gateway_.waitForFinished(30000));
            QCOMPARE(gateway_.exitCode(), 0);
        }
    }
};

QTEST_GUILESS_MAIN(TestModbusPeers)
#include "tst_modbus_peers.moc"
