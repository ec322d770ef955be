// The Modbus server's rules without a network: which request gets which exception, how a byte
// stream is cut into frames, and that every register, scaled by its decimal places register,
// reads as the pages show the value.
#include "ItemTable.h"
#include "LinkHealth.h"
#include "ModbusBlockLink.h"
#include "ModbusFramer.h"
#include "ModbusMap.h"
#include "ModbusRequest.h"
#include "PLM_INC.h"
#include "ValueText.h"

#include <QRandomGenerator>
#include <QtTest>
#include <vector>

using namespace modbus;

namespace {

std::vector<uint8_t> frame(uint16_t transaction, uint8_t unit, std::vector<uint8_t> pdu)
{
    const size_t length = pdu.size() + 1;
    std::vector<uint8_t> f = {uint8_t(transaction >> 8), uint8_t(transaction), 0, 0,
                              uint8_t(length >> 8),      uint8_t(length),      unit};
    for (uint8_t b : pdu)
        f.push_back(b);
    return f;
}

std::vector<uint8_t> readFrame(uint8_t unit, uint8_t function, int first, int count)
{
    return frame(1, unit, {function, uint8_t(first >> 8), uint8_t(first), uint8_t(count >> 8), uint8_t(count)});
}

void randomImage(QRandomGenerator &rng)
{
    namespace P = PLM_INC;
    const int divisors[] = {1, 10, 100, 1000, 10000, 7};
    for (int n = 0; n < P::kChannels; ++n) {
        for (const P::ItemInfo &item : P::ItemTable())
            if (item.field)
                (*item.field)[n] = int16_t(rng.bounded(-32768, 32768));
        P::StatusWord[n] = int16_t(rng.bounded(-32768, 32768));
        P::InputType[n] = int16_t(rng.bounded(0, 14));
        P::DecimalDivisor[n] = int16_t(divisors[rng.bounded(6)]);
        P::Alarm1Action[n] = int16_t(rng.bounded(-1, 14));
        P::Alarm2Action[n] = int16_t(rng.bounded(0, 13));
        P::CoolActionMode[n] = int16_t(rng.bounded(0, 4));
    }
}

// The display item a value register shows, by the documented map: input kinds 0..2 are
// display items 0..2; holding kind k is the k-th setting of the item table.
int displayItemOf(Table table, int address)
{
    const int kind = address / kChannels;
    if (table == Table::InputRegisters)
        return kind <= HeaterCurrent ? kind : -1;
    int k = 0;
    for (const PLM_INC::ItemInfo &item : PLM_INC::ItemTable()) {
        if (!item.field || item.code.startsWith(QLatin1String("008")))
            continue;
        if (k++ == kind)
            return item.displayItem;
    }
    return -1;
}

QString scaled(int16_t count, uint16_t decimals)
{
    int divisor = 1;
    for (uint16_t d = 0; d < decimals; ++d)
        divisor *= 10;
    return PLM_INC::FormatByDivisor(count, divisor);
}

} // namespace

class TestModbusRequests : public QObject {
    Q_OBJECT
private slots:
    void exceptions_data()
    {
        QTest::addColumn<QByteArray>("pdu");
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("link");
        QTest::addColumn<int>("exception");
        const auto read = [](uint8_t function, int first, int count) {
            const std::vector<uint8_t> f = readFrame(1, function, first, count);
            return QByteArray(reinterpret_cast<const char *>(f.data()) + kHeaderLength, int(f.size()) - kHeaderLength);
        };
        const int live = int(BlockLink::Live);
        const int inputs = ValueCount(Table::InputRegisters);
        const int settings = ValueCount(Table::HoldingRegisters);
        QTest::newRow("input registers, first 125") << read(4, 0, 125) << 1 << live << int(kNone);
        QTest::newRow("last holding register") << read(3, settings - 1, 1) << 16 << live << int(kNone);
        QTest::newRow("last 125 decimals of input registers") << read(4, kDecimalsOffset + inputs - 125, 125) << 1 << live << int(kNone);
        QTest::newRow("all discrete inputs") << read(2, 0, ValueCount(Table::DiscreteInputs)) << 1 << live << int(kNone);
        QTest::newRow("write single register") << QByteArray("\x06\x00\x00\x00\x01", 5) << 1 << live << int(kIllegalFunction);
        QTest::newRow("write multiple registers") << QByteArray("\x10\x00\x00\x00\x01\x02\x00\x07", 8) << 1 << live << int(kIllegalFunction);
        QTest::newRow("write single coil") << QByteArray("\x05\x00\x00\xff\x00", 5) << 1 << live << int(kIllegalFunction);
        QTest::newRow("write multiple coils") << QByteArray("\x0f\x00\x00\x00\x01\x01\x01", 7) << 1 << live << int(kIllegalFunction);
        QTest::newRow("mask write register") << QByteArray("\x16\x00\x00\xff\xff\x00\x00", 7) << 1 << live << int(kIllegalFunction);
        QTest::newRow("read/write registers") << QByteArray("\x17\x00\x00\x00\x01\x00\x00\x00\x01\x02\x00\x01", 12) << 1 << live << int(kIllegalFunction);
        QTest::newRow("write to an absent block is still a write") << QByteArray("\x06\x00\x00\x00\x01", 5) << 1 << int(BlockLink::Absent) << int(kIllegalFunction);
        QTest::newRow("coils: none") << read(1, 0, 1) << 1 << live << int(kIllegalFunction);
        QTest::newRow("device identification") << QByteArray("\x2b\x0e\x01\x00", 4) << 1 << live << int(kIllegalFunction);
        QTest::newRow("126 registers") << read(4, 0, 126) << 1 << live << int(kIllegalDataValue);
        QTest::newRow("no register") << read(3, 0, 0) << 1 << live << int(kIllegalDataValue);
        QTest::newRow("2001 bits") << read(2, 0, 2001) << 1 << live << int(kIllegalDataValue);
        QTest::newRow("read PDU one byte short") << QByteArray("\x03\x00\x00\x00", 4) << 1 << live << int(kIllegalDataValue);
        QTest::newRow("read PDU one byte long") << QByteArray("\x03\x00\x00\x00\x01\x00", 6) << 1 << live << int(kIllegalDataValue);
        QTest::newRow("past the input values") << read(4, inputs - 1, 2) << 1 << live << int(kIllegalDataAddress);
        QTest::newRow("in the gap") << read(4, 500, 1) << 1 << live << int(kIllegalDataAddress);
        QTest::newRow("across values and decimals") << read(3, settings - 10, 125) << 1 << live << int(kIllegalDataAddress);
        QTest::newRow("past the decimals") << read(3, kDecimalsOffset + settings - 1, 2) << 1 << live << int(kIllegalDataAddress);
        QTest::newRow("bits have no decimals") << read(2, kDecimalsOffset, 1) << 1 << live << int(kIllegalDataAddress);
        QTest::newRow("top address") << read(3, 65535, 1) << 1 << live << int(kIllegalDataAddress);
        QTest::newRow("unit 0") << read(4, 0, 1) << 0 << live << int(kGatewayPathUnavailable);
        QTest::newRow("unit 17") << read(4, 0, 1) << 17 << live << int(kGatewayPathUnavailable);
        QTest::newRow("unit 255") << read(4, 0, 1) << 255 << live << int(kGatewayPathUnavailable);
        QTest::newRow("absent block") << read(3, 0, 1) << 4 << int(BlockLink::Absent) << int(kGatewayPathUnavailable);
        QTest::newRow("stale block") << read(4, 0, 20) << 4 << int(BlockLink::NoValues) << int(kGatewayTargetFailed);
        QTest::newRow("stale block: age and quality alone") << read(4, kAgeRegister, 2) << 4 << int(BlockLink::NoValues) << int(kNone);
        QTest::newRow("stale block: a value and the quality") << read(4, kAgeRegister - 1, 2) << 4 << int(BlockLink::NoValues) << int(kGatewayTargetFailed);
        QTest::newRow("stale block, bad address first") << read(4, 500, 1) << 4 << int(BlockLink::NoValues) << int(kIllegalDataAddress);
    }
    void exceptions()
    {
        QFETCH(QByteArray, pdu);
        QFETCH(int, unit);
        QFETCH(int, link);
        QFETCH(int, exception);
        std::vector<uint8_t> adu = frame(7, uint8_t(unit), std::vector<uint8_t>(pdu.begin(), pdu.end()));
        int asked = -1;
        const Answer a = AnswerRequest(adu.data(), int(adu.size()), [&](int block) {
            asked = block;
            return BlockLink(link);
        });
        QCOMPARE(int(a.exception), exception);
        if (exception == kNone) {
            QCOMPARE(a.block, unit - 1);
            QCOMPARE(asked, unit - 1);
            QCOMPARE(a.first, (uint8_t(pdu[1]) << 8) | uint8_t(pdu[2]));
            QCOMPARE(a.count, (uint8_t(pdu[3]) << 8) | uint8_t(pdu[4]));
        }
    }

    // Block 1..16 as the gateway sees it: absent from the start-up read, stale once its values
    // are older than the stale limit (5 s here), nothing before the start-up read ends.
    void blockLink_data()
    {
        QTest::addColumn<bool>("startedUp");
        QTest::addColumn<bool>("absent");
        QTest::addColumn<int>("silentMs");
        QTest::addColumn<int>("link");
        QTest::newRow("answering") << true << false << 0 << int(BlockLink::Live);
        QTest::newRow("at the stale limit") << true << false << 5000 << int(BlockLink::Live);
        QTest::newRow("past the stale limit") << true << false << 5001 << int(BlockLink::NoValues);
        QTest::newRow("absent") << true << true << 0 << int(BlockLink::Absent);
        QTest::newRow("before the start-up read") << false << false << 0 << int(BlockLink::NoValues);
        QTest::newRow("absent before the start-up read") << false << true << 0 << int(BlockLink::NoValues);
    }
    void blockLink()
    {
        QFETCH(bool, startedUp);
        QFETCH(bool, absent);
        QFETCH(int, silentMs);
        QFETCH(int, link);
        PLM_INC::ResetImage();
        PLM_INC::BlockAbsent[6] = absent ? 1 : 0;
        qint64 now = 0;
        LinkHealth health;
        health.setMonotonicClock([&now] { return now; });
        health.noteTransaction(6, ReplyKind::Ack);
        now = silentMs;
        QCOMPARE(int(LinkOfBlock(6, startedUp, health).link), link);
    }

    // Whole, split in two at every byte, byte by byte: the same frames; garbage is found as
    // soon as it shows and never mistaken for a frame.
    void framing_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<int>("frames");
        QTest::addColumn<bool>("garbage");
        const auto bytes = [](const std::vector<uint8_t> &f) { return QByteArray(reinterpret_cast<const char *>(f.data()), int(f.size())); };
        const QByteArray one = bytes(readFrame(3, 4, 0, 10));
        QTest::newRow("one frame") << one << 1 << false;
        QTest::newRow("three frames back to back") << one + bytes(readFrame(1, 3, 5, 1)) + one << 3 << false;
        QTest::newRow("half a frame") << one.left(9) << 0 << false;
        QTest::newRow("frame then HTTP") << one + QByteArray("GET / HTTP/1.1\r\n\r\n") << 1 << true;
        QTest::newRow("protocol id 1") << QByteArray("\x00\x01\x00\x01\x00\x06\x01\x04\x00\x00\x00\x01", 12) << 0 << true;
        QTest::newRow("length 1: no PDU") << QByteArray("\x00\x01\x00\x00\x00\x01\x01", 7) << 0 << true;
        QTest::newRow("length 255") << QByteArray("\x00\x01\x00\x00\x00\xff\x01", 7) << 0 << true;
        QTest::newRow("an exception answer as request") << QByteArray("\x00\x01\x00\x00\x00\x03\x01\x83\x02", 9) << 0 << true;
        QTest::newRow("function 0") << QByteArray("\x00\x01\x00\x00\x00\x02\x01\x00", 8) << 0 << true;
    }
    void framing()
    {
        QFETCH(QByteArray, stream);
        QFETCH(int, frames);
        QFETCH(bool, garbage);
        const auto cut = [&](const std::vector<int> &pieces) {
            ModbusFramer framer;
            std::vector<uint8_t> f;
            int whole = 0;
            bool refused = false;
            int at = 0;
            for (int piece : pieces) {
                framer.append(reinterpret_cast<const uint8_t *>(stream.constData()) + at, size_t(piece));
                at += piece;
                for (;;) {
                    const ModbusFramer::Status s = framer.next(f);
                    if (s == ModbusFramer::Status::Frame) {
                        QVERIFY(stream.mid(0, at).contains(QByteArray(reinterpret_cast<const char *>(f.data()), int(f.size()))));
                        ++whole;
                        continue;
                    }
                    refused = refused || s == ModbusFramer::Status::Garbage;
                    break;
                }
                if (refused)
                    break;
            }
            QCOMPARE(whole, frames);
            QCOMPARE(refused, garbage);
        };
        cut({int(stream.size())});
        for (int split = 1; split < stream.size(); ++split)
            cut({split, int(stream.size()) - split});
        cut(std::vector<int>(size_t(stream.size()), 1));
    }

    // Over random images: a register is the image field of its channel, and its count scaled
    // by its decimal places register reads exactly as the pages show it.
    void registersReadAsThePagesShow()
    {
        QRandomGenerator rng(2406);
        for (int round = 0; round < 20; ++round) {
            randomImage(rng);
            const int block = rng.bounded(16);
            for (Table table : {Table::InputRegisters, Table::HoldingRegisters}) {
                for (int address = 0; address < ValueCount(table); ++address) {
                    const int channel = block * kChannels + address % kChannels;
                    const int16_t count = int16_t(RegisterValue(table, block, address));
                    const uint16_t decimals = RegisterValue(table, block, address + kDecimalsOffset);
                    const int item = displayItemOf(table, address);
                    if (item >= 0) {
                        const PLM_INC::ItemInfo *info = PLM_INC::ItemByDisplay(item);
                        QCOMPARE(count, (*info->field)[channel]);
                    }
                    const QString page = item >= 0 ? PLM_INC::MakeItemText(item, channel) : QString();
                    bool number = false;
                    page.toDouble(&number);
                    if (number)
                        QCOMPARE(scaled(count, decimals), page);
                    else if (page.isEmpty() && item >= 0)
                        QCOMPARE(decimals, kNoDecimals);
                    else
                        QCOMPARE(decimals, uint16_t(0));
                }
            }
            for (int address = 0; address < ValueCount(Table::DiscreteInputs); ++address) {
                const int channel = block * kChannels + address % kChannels;
                const int kind = address / kChannels;
                // bit k of the alarm bits register is discrete input kind k
                const uint16_t bits = RegisterValue(Table::InputRegisters, block, AlarmBits * kChannels + address % kChannels);
                QCOMPARE(BitValue(block, address), ((bits >> kind) & 1) != 0);
                QCOMPARE(int16_t(RegisterValue(Table::InputRegisters, block, Status * kChannels + address % kChannels)),
                         PLM_INC::StatusWord[channel]);
                // as many alarm bits as the status word has alarm and scale conditions
                namespace P = PLM_INC;
                const int conditions = P::kStatusAlarm1 | P::kStatusAlarm2 | P::kStatusHeaterBurnout
                                       | P::kStatusLoopBreak | P::kStatusOverscale | P::kStatusUnderscale;
                QCOMPARE(qPopulationCount(bits), qPopulationCount(quint16(P::StatusWord[channel] & conditions)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestModbusRequests)
#include "tst_modbus_requests.moc"
