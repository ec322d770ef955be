// The device model as a peer sees it: request frames in, reply bytes out.
#include "DeviceModel.h"
#include "SimTestFrames.h"

#include <QtTest>

using namespace simtest;
using sim::DeviceModel;

class TestDeviceModel : public QObject {
    Q_OBJECT

private:
    static DeviceModel frozen(int blocks = 2)
    {
        DeviceModel m = DeviceModel::allBlocks(blocks);
        m.setLive(false);
        return m;
    }
    static int16_t field(const std::string &reply, int n)
    {
        return *tobrel::DecodeValue(dataOf(reply).substr(static_cast<size_t>(n - 1) * 4, 4));
    }

private slots:
    void readReplyCarriesTwentyFields_data()
    {
        QTest::addColumn<QString>("item");
        for (const char *item : {"0080", "0081", "0082", "0083", "0001", "000A", "0013", "0020"})
            QTest::newRow(item) << QString(item);
    }
    void readReplyCarriesTwentyFields()
    {
        QFETCH(QString, item);
        const std::string code = item.toStdString();
        DeviceModel m = frozen();
        for (int ch = 0; ch < 20; ++ch)
            m.value(1, code, ch) = static_cast<int16_t>(ch * 1000 - 7000);

        const std::string reply = m.handleFrame(readFrame(1, code));
        QCOMPARE(reply.substr(0, 8), std::string("\x06! \"") + code);
        QCOMPARE(reply.back(), tobrel::ETX);
        QVERIFY(checksumOk(reply));
        QCOMPARE(dataOf(reply).size(), size_t(80));
        for (int ch = 0; ch < 20; ++ch)
            QCOMPARE(field(reply, ch + 1), static_cast<int16_t>(ch * 1000 - 7000));
    }

    void configurationReadsDescribeChannelPairs()
    {
        DeviceModel m = frozen();
        sim::BlockConfig &c = m.block(0);
        for (int k = 0; k < 10; ++k) {
            c.inputType[static_cast<size_t>(k)] = static_cast<int16_t>(k + 3);
            c.optionWord[static_cast<size_t>(k)] = static_cast<int16_t>(k % 2 ? 0x0401 : 0x0003);
            c.connected[static_cast<size_t>(k)] = static_cast<int16_t>(k == 4 ? 0 : 1);
        }
        const std::string flags = m.handleFrame(readFrame(0, "00A0"));
        const std::string types = m.handleFrame(readFrame(0, "00A1"));
        QVERIFY(checksumOk(flags));
        QVERIFY(checksumOk(types));
        QCOMPARE(dataOf(flags).size(), size_t(80));
        QCOMPARE(dataOf(types).size(), size_t(80));
        for (int k = 0; k < 10; ++k) {
            QCOMPARE(field(flags, 2 * k + 1), static_cast<int16_t>(k == 4 ? 0 : 1));
            QCOMPARE(field(flags, 2 * k + 2), int16_t(0));
            QCOMPARE(field(types, 2 * k + 1), static_cast<int16_t>(k + 3));
            QCOMPARE(field(types, 2 * k + 2), static_cast<int16_t>(k % 2 ? 0x0401 : 0x0003));
        }
    }

    void configurationReadClearsSettingsChangedOfItsBlockOnly()
    {
        DeviceModel m = frozen();
        m.value(0, "0083", 3) = 0x1402;
        m.value(1, "0083", 0) = 0x1000;
        QCOMPARE(field(m.handleFrame(readFrame(0, "0083")), 4), int16_t(0x1402));  // a status read keeps it
        m.handleFrame(readFrame(0, "00A1"));
        QCOMPARE(field(m.handleFrame(readFrame(0, "0083")), 4), int16_t(0x0402));
        QCOMPARE(m.value(1, "0083", 0), int16_t(0x1000));
    }

    void absentBlockStaysSilent()
    {
        DeviceModel m = frozen(2);
        QCOMPARE(m.handleFrame(readFrame(5, "0080")), std::string());
        QCOMPARE(m.handleFrame(writeFrame(5, "0001", twenty(1))), std::string());
        const std::string noBlock = tobrel::MakeFrame("0", " ", "\"", "0080", "");  // address of no block
        QCOMPARE(m.handleFrame(noBlock), std::string());
        QVERIFY(!DeviceModel().handleFrame(readFrame(0, "00A0")).size());
    }

    void framesOfAnotherDeviceGetNoAnswer_data()
    {
        QTest::addColumn<QByteArray>("frame");
        auto row = [](const char *name, const std::string &f) {
            QTest::newRow(name) << QByteArray(f.data(), static_cast<int>(f.size()));
        };
        auto withSub = [](int block, char sub, char cmd, const std::string &item, const std::string &data = {}) {
            return tobrel::MakeFrame(std::string(1, tobrel::BlockAddress(block)), std::string(1, sub), std::string(1, cmd),
                                     item, data);
        };
        row("read, sub-address 0x21", withSub(0, '!', 0x22, "0080"));
        row("read, sub-address 0x30", withSub(1, '0', 0x22, "0001"));
        row("read, sub-address NUL", withSub(0, '\0', 0x22, "00A0"));
        row("write, sub-address 0x21", withSub(0, '!', 0x52, "0001", twenty(7)));
        row("factory write, sub-address 0x40", withSub(1, '@', 0x52, "0040", std::string(80, 'A')));
        row("sub-address 0x21, bad checksum", withSub(0, '!', 0x22, "0080").replace(8, 2, "00"));
        row("absent block", readFrame(5, "0080"));
    }
    void framesOfAnotherDeviceGetNoAnswer()
    {
        QFETCH(QByteArray, frame);
        DeviceModel m = frozen(2);
        const std::string before = m.handleFrame(readFrame(0, "0001"));
        QCOMPARE(m.handleFrame(frame.toStdString()), std::string());
        QCOMPARE(m.handleFrame(readFrame(0, "0001")), before); // nothing was written either
        QCOMPARE(m.factoryData(1), std::string(80, '0'));
    }

    void nakBlockRefusesEverything()
    {
        DeviceModel m = frozen();
        m.block(1).nakAll = true;
        const std::string reply = m.handleFrame(readFrame(1, "00A1"));
        QCOMPARE(reply, std::string("\x15! \"00A1") + tobrel::MakeCheckSum("! \"00A1") + "\x03");
        QCOMPARE(m.handleFrame(writeFrame(1, "0001", twenty(5)))[0], tobrel::NAK);
        QCOMPARE(m.value(1, "0001", 0), DeviceModel::allBlocks(2).value(1, "0001", 0));
    }

    void refusedRequestsGetNak_data()
    {
        QTest::addColumn<QByteArray>("frame");
        auto row = [](const char *name, const std::string &f) {
            QTest::newRow(name) << QByteArray(f.data(), static_cast<int>(f.size()));
        };
        row("unknown item", readFrame(0, "0021"));
        row("unknown monitored item", readFrame(0, "0084"));
        row("lowercase item", readFrame(0, "000a"));
        row("read with data", request(0, 0x22, "0080", "0000"));
        row("unknown command", request(0, 'X', "0080"));
        row("short write", writeFrame(0, "0001", twenty(1).substr(4)));
        row("long write", writeFrame(0, "0001", twenty(1) + "0000"));
        row("write not hex", writeFrame(0, "0001", "00G0" + twenty(1).substr(4)));
        row("write monitored item", writeFrame(0, "0080", twenty(1)));
        row("write configuration", writeFrame(0, "00A1", twenty(1)));
        row("short factory data", writeFrame(0, "0040", std::string(79, '0')));
        row("factory control character", writeFrame(0, "0040", std::string(79, '0') + "\x02"));
        std::string badSum = readFrame(0, "0080");
        badSum[badSum.size() - 2] = badSum[badSum.size() - 2] == '0' ? '1' : '0';
        row("bad checksum", badSum);
        std::string lowerSum = readFrame(0, "0001");   // the right checksum "DD" written in lowercase
        lowerSum.replace(lowerSum.size() - 3, 2, "dd");
        row("lowercase checksum", lowerSum);
        row("too short for an item", std::string("\x02 \x03"));
    }
    void refusedRequestsGetNak()
    {
        QFETCH(QByteArray, frame);
        DeviceModel m = frozen();
        const std::string before = m.handleFrame(readFrame(0, "0001"));
        const std::string reply = m.handleFrame(frame.toStdString());
        QCOMPARE(reply.front(), tobrel::NAK);
        QCOMPARE(reply.back(), tobrel::ETX);
        QCOMPARE(reply[1], ' ');
        QVERIFY(checksumOk(reply));
        QCOMPARE(m.handleFrame(readFrame(0, "0001")), before);
        QCOMPARE(m.factoryData(0), std::string(80, '0'));
    }

    void writeIsStoredAndReadBack()
    {
        DeviceModel m = frozen();
        std::string data;
        for (int ch = 0; ch < 20; ++ch)
            data += tobrel::EncodeValue(static_cast<int16_t>(ch % 2 ? -ch : ch * 100));
        data.replace(4, 4, "ffff");   // lowercase digits are read as well

        const std::string ack = m.handleFrame(writeFrame(1, "0005", data));
        QCOMPARE(ack, std::string("\x06! R0005") + tobrel::MakeCheckSum("! R0005") + "\x03");
        const std::string back = m.handleFrame(readFrame(1, "0005"));
        QVERIFY(checksumOk(back));
        QCOMPARE(field(back, 2), int16_t(-1));
        for (int ch = 2; ch < 20; ++ch)
            QCOMPARE(field(back, ch + 1), static_cast<int16_t>(ch % 2 ? -ch : ch * 100));
        QCOMPARE(m.value(1, "0005", 19), int16_t(-19));
        QCOMPARE(m.value(0, "0005", 19), DeviceModel::allBlocks(2).value(0, "0005", 19));
    }

    void factoryWriteIsStoredUnchanged()
    {
        DeviceModel m = frozen();
        std::string text;
        for (int u = 0; u < 10; ++u)
            text += (u == 3 ? "00010000" : "00000000");
        const std::string ack = m.handleFrame(writeFrame(1, "0040", text));
        QCOMPARE(ack, std::string("\x06! R0040") + tobrel::MakeCheckSum("! R0040") + "\x03");
        QCOMPARE(m.factoryData(1), text);
        QCOMPARE(m.factoryData(0), std::string(80, '0'));
    }

    void frozenModelDoesNotMove()
    {
        DeviceModel m = frozen();
        m.value(0, "0080", 0) = 1234;
        m.value(0, "0083", 0) = 0x0012;
        const std::string before = m.handleFrame(readFrame(0, "0080")) + m.handleFrame(readFrame(0, "0083"));
        m.handleFrame(writeFrame(0, "000A", twenty(1)));
        m.advance(100);
        QCOMPARE(m.handleFrame(readFrame(0, "0080")) + m.handleFrame(readFrame(0, "0083")), before);
    }

    void processFollowsSetValue()
    {
        DeviceModel m = DeviceModel::allBlocks(1);
        m.handleFrame(writeFrame(0, "0001", twenty(300)));
        m.advance(150);
        QVERIFY(std::abs(m.value(0, "0080", 5) - 300) <= 2);
        QVERIFY(m.value(0, "0083", 5) & 0x0400);
        QVERIFY(m.value(0, "0081", 5) > 0 && m.value(0, "0081", 5) <= 1000);

        m.handleFrame(writeFrame(0, "0009", twenty(0)));   // control output off: cools down, no output
        m.advance(150);
        QVERIFY(m.value(0, "0080", 5) < 40);
        QCOMPARE(m.value(0, "0083", 5) & 0x0401, 0);
        QCOMPARE(m.value(0, "0081", 5), int16_t(0));
    }

    void autoTuningEndsByItself()
    {
        DeviceModel m = DeviceModel::allBlocks(1);
        std::string data = twenty(0);
        data.replace(8, 4, "0001");   // channel 2 only
        m.handleFrame(writeFrame(0, "000A", data));
        m.advance(1);
        QVERIFY(m.value(0, "0083", 2) & 0x0080);
        QCOMPARE(m.value(0, "0083", 1) & 0x0080, 0);
        QCOMPARE(m.value(0, "000A", 2), int16_t(1));
        m.advance(120);
        QCOMPARE(m.value(0, "0083", 2) & 0x0080, 0);
        QCOMPARE(field(m.handleFrame(readFrame(0, "000A")), 3), int16_t(0));
    }

    void alarmsFollowDeviation()
    {
        DeviceModel m = DeviceModel::allBlocks(1);   // alarm 1: high limit, 10 above the set value
        m.advance(150);
        QCOMPARE(m.value(0, "0083", 0) & 0x0002, 0);
        m.value(0, "0019", 0) = 40;                   // the sensor now reads 40 high
        m.advance(1);
        QVERIFY(m.value(0, "0083", 0) & 0x0002);
        QCOMPARE(m.value(0, "0083", 1) & 0x0002, 0);
        m.value(0, "0019", 0) = 0;
        m.advance(1);
        QCOMPARE(m.value(0, "0083", 0) & 0x0002, 0);
    }

    void heaterBurnoutNeedsTheOption()
    {
        DeviceModel m = DeviceModel::allBlocks(1);
        m.block(0).optionWord[0] = 0x0001;
        m.value(0, "0008", 0) = 100;    // 10.0 A wanted, the heater draws less
        m.value(0, "0008", 2) = 100;    // same setting on a unit without the option
        m.advance(5);
        QVERIFY(m.value(0, "0082", 0) > 0);
        QVERIFY(m.value(0, "0083", 0) & 0x0008);
        QCOMPARE(m.value(0, "0082", 2), int16_t(0));
        QCOMPARE(m.value(0, "0083", 2) & 0x0008, 0);
        m.value(0, "0008", 0) = 10;
        m.advance(1);
        QCOMPARE(m.value(0, "0083", 0) & 0x0008, 0);
    }

    void linearInputScaleLimits()
    {
        DeviceModel m = DeviceModel::allBlocks(1);
        m.block(0).inputType[1] = 11;
        m.value(0, "0001", 2) = 6000;
        m.advance(200);
        QVERIFY(std::abs(m.value(0, "0080", 2) - 6000) <= 10);
        QCOMPARE(m.value(0, "0083", 2) & 0x0030, 0);
        m.value(0, "0019", 2) = 9000;
        m.advance(1);
        QVERIFY(m.value(0, "0083", 2) & 0x0010);
        m.value(0, "0019", 2) = -9000;
        m.advance(1);
        QVERIFY(m.value(0, "0083", 2) & 0x0020);
        QCOMPARE(m.value(0, "0083", 2) & 0x0010, 0);
    }

    void demoInstallation()
    {
        DeviceModel m = DeviceModel::demo();
        QList<int> present;
        for (int b = 0; b < 16; ++b) {
            if (m.handleFrame(readFrame(b, "00A1")).size())
                present << b;
        }
        QCOMPARE(present, QList<int>({0, 1, 3, 5}));
        QVERIFY(m.block(1).optionWord[0] & 0x0400);
        QVERIFY(m.block(0).optionWord[0] & 0x0001);
        QCOMPARE(m.block(3).connected[9], int16_t(0));
        QCOMPARE(m.block(3).inputType[8], int16_t(11));

        // Within two minutes alarm 1 of the first channel both comes and goes, and someone
        // changes a setting at the front panel of block 5.
        int raised = 0, cleared = 0;
        bool before = false, panelChange = false;
        for (int s = 0; s < 125; ++s) {
            m.advance(1);
            for (int ch = 0; ch < 20; ++ch)
                panelChange = panelChange || (m.value(5, "0083", ch) & 0x1000);
            const bool on = field(m.handleFrame(readFrame(0, "0083")), 1) & 0x0002;
            raised += on && !before;
            cleared += !on && before;
            before = on;
        }
        QVERIFY(raised >= 1);
        QVERIFY(cleared >= 1);
        QVERIFY(panelChange);
    }
};

QTEST_GUILESS_MAIN(TestDeviceModel)
#include "tst_devicemodel.moc"
