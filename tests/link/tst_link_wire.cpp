// Checksum, frame and the field helpers of the link as a host calls them.
#include "MockLine.h"
#include "Replies.h"
#include "STDComm.h"

#include <QtTest>
#include <memory>

using tobrel::STDComm;

class LinkWireTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<STDComm> link = std::make_unique<STDComm>(std::make_unique<MockLine>());

    // A reply of the given command type with `digits` data characters "0123456789ABCDEF...".
    static QString replyWithData(char cmdType, int digits)
    {
        QByteArray data;
        for (int i = 0; i < digits; ++i)
            data += "0123456789ABCDEF"[i % 16];
        return text(replyBytes(tobrel::ACK, QByteArray("  ") + cmdType + "0080" + data));
    }

private slots:
    void checksumOfKnownTexts()
    {
        QCOMPARE(tobrel::MakeCheckSum(""), std::string("00"));
        QCOMPARE(tobrel::MakeCheckSum("abc"), std::string("DA"));
        // 0x20+0x20+0x22+0x30+0x30+0x41+0x30 = 0x133 -> complement of 0x33
        QCOMPARE(tobrel::MakeCheckSum("  \"00A0"), std::string("CD"));
        // below 0x10 keeps its leading zero
        QCOMPARE(tobrel::MakeCheckSum(std::string(1, static_cast<char>(0xF5))), std::string("0B"));
    }

    void fourteenCharacterReplyHasNoData()
    {
        const QString reply = text(replyBytes(tobrel::ACK, "  \"0080abc"));
        QCOMPARE(reply.size(), 14);
        QCOMPARE(link->GetNData(reply, 0), QString());
        QCOMPARE(link->GetNData(reply, 1), QString());
        QCOMPARE(link->isDataNum(reply), qint16(0));

        const QString fifteen = text(replyBytes(tobrel::ACK, "  \"0080abcd"));
        QCOMPARE(link->GetNData(fifteen, 0), QStringLiteral("abcd"));
        QCOMPARE(link->isDataNum(fifteen), qint16(1));
    }

    void fieldsOfAFullReadReply()
    {
        const QString reply = text(replyBytes(tobrel::ACK, readReplyBody()));
        QCOMPARE(reply.size(), 91);
        QCOMPARE(link->isDataNum(reply), qint16(20));
        QCOMPARE(link->GetNData(reply, 0).size(), 80);
        QCOMPARE(link->GetNData(reply, 1), QStringLiteral("0000"));
        QCOMPARE(link->GetNData(reply, 11), QStringLiteral("000A"));
        QCOMPARE(link->GetNData(reply, 20), QStringLiteral("0013"));
        QCOMPARE(link->GetNData(reply, 21), QString());
        QCOMPARE(link->GetNData(reply, -1), QString());
    }

    void unevenDataCountsNoFields()
    {
        const QString reply = replyWithData(0x22, 81);
        QCOMPARE(link->isDataNum(reply), qint16(0));
        QCOMPARE(link->GetNData(reply, 0).size(), 81);
        QCOMPARE(link->GetNData(reply, 20), QStringLiteral("CDEF"));
        QCOMPARE(link->GetNData(reply, 21), QString());
    }

    void widthsByCommandType_data()
    {
        QTest::addColumn<char>("cmdType");
        QTest::addColumn<int>("getWidth");   // 0: no field
        QTest::addColumn<int>("countWidth"); // 0: count 0
        QTest::newRow("0x20") << char(0x20) << 4 << 4;
        QTest::newRow("0x22") << char(0x22) << 4 << 4;
        QTest::newRow("0x60") << char(0x60) << 4 << 4;
        QTest::newRow("0x61") << char(0x61) << 4 << 4;
        QTest::newRow("0x62") << char(0x62) << 4 << 0;
        QTest::newRow("0x72") << char(0x72) << 0 << 4;
        QTest::newRow("0x21") << char(0x21) << 8 << 8;
        QTest::newRow("0x23") << char(0x23) << 8 << 8;
        QTest::newRow("0x52") << char(0x52) << 0 << 0;
        QTest::newRow("R") << 'R' << 0 << 0;
    }

    void widthsByCommandType()
    {
        QFETCH(char, cmdType);
        QFETCH(int, getWidth);
        QFETCH(int, countWidth);
        const QString reply = replyWithData(cmdType, 16);
        const QString data = QStringLiteral("0123456789ABCDEF");
        QCOMPARE(link->GetNData(reply, 0), data);
        QCOMPARE(link->GetNData(reply, 2), getWidth ? data.mid(getWidth, getWidth) : QString());
        QCOMPARE(link->isDataNum(reply), qint16(countWidth ? 16 / countWidth : 0));
    }
};

QTEST_GUILESS_MAIN(LinkWireTest)
#include "tst_link_wire.moc"
