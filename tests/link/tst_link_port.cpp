// The serial port object: settings checks, open, close and the buffers, on the mock line.
#include "MockLine.h"
#include "STDComm.h"

#include <QElapsedTimer>
#include <QtTest>
#include <memory>

using tobrel::CommError;
using tobrel::STDComm;

namespace {
const QString kOpenFailed = QStringLiteral("通信コントロールの接続中に原因不明エラーが発生しました。");
const QString kInvalidPort = QStringLiteral("このプロパティにはCOM1～COM8までの値を代入してください。");
const QString kInvalidFlow =
    QStringLiteral("このプロパティには None, Xon/Xoff, RTS/CTS, RTSXonXoff 中の一つを代入してください");
const QString kCtsMessage = QStringLiteral("Communications port cannot be opend.(通信ポートをオープン出来ません！)");
} // namespace

// Runs the call and checks the error it raises; a description "" is not compared.
#define EXPECT_COMM_ERROR(call, expectedNumber, expectedText)                          \
    do {                                                                                \
        bool raised_ = false;                                                           \
        try {                                                                           \
            call;                                                                       \
        } catch (const CommError &e) {                                                  \
            raised_ = true;                                                             \
            QCOMPARE(e.number(), int(expectedNumber));                                  \
            if (!QString(expectedText).isEmpty())                                       \
                QCOMPARE(e.description(), QString(expectedText));                       \
        }                                                                               \
        QVERIFY2(raised_, "expected error " #expectedNumber);                           \
    } while (false)

class LinkPortTest : public QObject {
    Q_OBJECT

    MockLine *line = nullptr;
    std::unique_ptr<STDComm> link;
    QStringList messages;

private slots:
    void init()
    {
        auto mock = std::make_unique<MockLine>();
        line = mock.get();
        link = std::make_unique<STDComm>(std::move(mock));
        messages.clear();
        link->setMessageHandler([this](const QString &text) { messages << text; });
    }

    void creationSetsReadLengthAndThreshold()
    {
        QCOMPARE(line->readLength(), 0);
        QCOMPARE(line->receiveThreshold(), 4);
        QCOMPARE(link->RThreshold(), 4);
        QVERIFY(!line->isOpen());
        QCOMPARE(link->timeOutMs(), 100);
        QCOMPARE(link->EventsCheck(), false);
        QCOMPARE(link->BaudRate(), QStringLiteral("9600"));
        QCOMPARE(link->Pality(), QStringLiteral("EVEN"));
        QCOMPARE(link->DataBit(), QStringLiteral("7"));
        QCOMPARE(link->StopBit(), QStringLiteral("1"));
    }

    void defaultsOpenAt9600E71WithoutHandshaking()
    {
        QVERIFY(link->PortOpen());
        QVERIFY(line->isOpen());
        QCOMPARE(line->portNumber(), 1);
        QCOMPARE(line->settings(), QStringLiteral("9600,E,7,1"));
        QCOMPARE(line->handshaking(), 0);
        QVERIFY(messages.isEmpty());
    }

    void portNameInAnyCaseGivesItsNumber()
    {
        link->setPort(QStringLiteral("com3"));
        QCOMPARE(line->portNumber(), 3);
        QCOMPARE(link->Port(), QStringLiteral("COM3"));
        link->setPort(QStringLiteral("COM2"));
        QCOMPARE(link->Port(), QStringLiteral("COM2"));
    }

    void invalidPortNamesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"COM9", "COM10", "COM0", "COMX", "COM", "LPT1", " COM1", "dev/ttyUSB0", "/"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void invalidPortNamesAreRefused()
    {
        QFETCH(QString, name);
        link->setPort(QStringLiteral("COM3"));
        EXPECT_COMM_ERROR(link->setPort(name), 30001, kInvalidPort);
        QCOMPARE(line->portNumber(), 3);
        QCOMPARE(link->Port(), QStringLiteral("COM3"));
    }

    // A port is "COM1".."COM8" or a device named outright; the line gets the number or the
    // name, and Port reads back what was given.
    void portNumbersAndDeviceNames_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("COM3") << "COM3" << 3 << "" << "COM3";
        QTest::newRow("com8") << "com8" << 8 << "" << "COM8";
        QTest::newRow("device file") << "/dev/ttyUSB0" << 1 << "/dev/ttyUSB0" << "/dev/ttyUSB0";
        QTest::newRow("by-id name") << "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" << 1
                                    << "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"
                                    << "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    }
    void portNumbersAndDeviceNames()
    {
        QFETCH(QString, port);
        QFETCH(int, number);
        QFETCH(QString, device);
        QFETCH(QString, readBack);
        link->setPort(QStringLiteral("/dev/ttyACM0")); // a name given before is replaced
        link->setPort(port);
        QCOMPARE(line->portNumber(), number);
        QCOMPARE(line->deviceName(), device);
        QCOMPARE(link->Port(), readBack);
        line->setDeviceName(QString());
        QVERIFY(link->PortOpen()); // the open gives the line the stored port again
        QCOMPARE(line->deviceName(), device);
        QCOMPARE(line->portNumber(), number);
    }

    void portCannotChangeWhileOpen()
    {
        QVERIFY(link->PortOpen());
        EXPECT_COMM_ERROR(link->setPort(QStringLiteral("COM2")), tobrel::LineErrorPortAlreadyOpen, "");
        QCOMPARE(link->Port(), QStringLiteral("COM1"));
    }

    void flowNamesAreComparedExactly()
    {
        link->setFlow(QStringLiteral("RTS/CTS"));
        QCOMPARE(line->handshaking(), 2);
        QCOMPARE(link->Flow(), QStringLiteral("RTS/CTS"));
        link->setFlow(QStringLiteral("BOTH"));
        QCOMPARE(line->handshaking(), 3);
        link->setFlow(QStringLiteral("XON/XOFF"));
        QCOMPARE(link->Flow(), QStringLiteral("XON/XOFF"));

        EXPECT_COMM_ERROR(link->setFlow(QStringLiteral("none")), 30006, kInvalidFlow);
        QCOMPARE(line->handshaking(), 1);
        // The refused name stays stored, so the next open fails on it.
        EXPECT_COMM_ERROR(link->PortOpen(), 30019, kOpenFailed);
        QVERIFY(!line->isOpen());
        link->setFlow(QStringLiteral("NONE"));
        QVERIFY(link->PortOpen());
        QCOMPARE(line->handshaking(), 0);
    }

    void flowOfAnUnknownHandshakingIsEmpty()
    {
        line->setHandshaking(7);
        QCOMPARE(link->Flow(), QString());
    }

    void parityInAnyCase()
    {
        link->setPality(QStringLiteral("even"));
        QVERIFY(link->PortOpen());
        QCOMPARE(line->settings(), QStringLiteral("9600,E,7,1"));
        link->setPality(QStringLiteral("Odd"));
        link->setBaudRate(QStringLiteral("19200"));
        link->setDataBit(QStringLiteral("8"));
        link->setStopBit(QStringLiteral("2"));
        QVERIFY(link->PortOpen());
        QCOMPARE(line->settings(), QStringLiteral("19200,O,8,2"));
        link->setPality(QStringLiteral("none"));
        QVERIFY(link->PortOpen());
        QCOMPARE(line->settings(), QStringLiteral("19200,N,8,2"));
    }

    void invalidSettingsFailTheOpen_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("baud 38400") << "BaudRate" << "38400";
        QTest::newRow("baud 9600 with space") << "BaudRate" << "9600 ";
        QTest::newRow("parity mark") << "Pality" << "MARK";
        QTest::newRow("data 9") << "DataBit" << "9";
        QTest::newRow("stop 1.5") << "StopBit" << "1.5";
        QTest::newRow("port") << "Port" << "COM9";
    }

    void invalidSettingsFailTheOpen()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        if (field == QLatin1String("BaudRate")) link->setBaudRate(value);
        if (field == QLatin1String("Pality")) link->setPality(value);
        if (field == QLatin1String("DataBit")) link->setDataBit(value);
        if (field == QLatin1String("StopBit")) link->setStopBit(value);
        if (field == QLatin1String("Port"))
            EXPECT_COMM_ERROR(link->setPort(value), 30001, kInvalidPort);
        if (field == QLatin1String("BaudRate"))
            QCOMPARE(link->BaudRate(), value); // stored as given; checked only by the open
        if (field != QLatin1String("Port")) {
            EXPECT_COMM_ERROR(link->PortOpen(), 30019, kOpenFailed);
            QCOMPARE(line->opens, 0);
        } else {
            QVERIFY(link->PortOpen());
        }
    }

    void openOnAnOpenPortClosesFirst()
    {
        QVERIFY(link->PortOpen());
        link->setBaudRate(QStringLiteral("38400"));
        EXPECT_COMM_ERROR(link->PortOpen(), 30019, kOpenFailed);
        QVERIFY(!line->isOpen());
        QCOMPARE(line->closes, 1);
        link->setBaudRate(QStringLiteral("4800"));
        QVERIFY(link->PortOpen());
        QVERIFY(link->PortOpen());
        QCOMPARE(line->opens, 3);
        QCOMPARE(line->closes, 2);
        QCOMPARE(line->settings(), QStringLiteral("4800,E,7,1"));
    }

    void aLineThatWillNotOpenGives30019()
    {
        line->failOpen = true;
        EXPECT_COMM_ERROR(link->PortOpen(), 30019, kOpenFailed);
        QVERIFY(!line->isOpen());
        QVERIFY(messages.isEmpty());
    }

    void ctsLowIsRefusedWithOneMessage()
    {
        line->ctsState = tobrel::Line::Cts::Low;
        QCOMPARE(link->PortOpen(), false);
        QCOMPARE(messages, QStringList{kCtsMessage});
        QVERIFY(!line->isOpen());
        QCOMPARE(link->CommID(), -1);
    }

    void ctsThatCannotBeReadCountsAsAsserted()
    {
        line->ctsState = tobrel::Line::Cts::Unsupported;
        QVERIFY(link->PortOpen());
        QVERIFY(messages.isEmpty());
        QCOMPARE(link->CommID(), 42);
    }

    void closeOnAClosedPortDoesNothing()
    {
        link->PortClose();
        QCOMPARE(line->closes, 0);
        QVERIFY(line->written.isEmpty());
    }

    void closeWithAnEmptyTransmitBufferWritesNothing()
    {
        QVERIFY(link->PortOpen());
        link->setOutputBuffer(QStringLiteral("frame"));
        link->PortClose();
        QVERIFY(!line->isOpen());
        QVERIFY(line->written.isEmpty());
    }

    void closeGivesUpOnATransmitBufferThatNeverDrains()
    {
        QVERIFY(link->PortOpen());
        line->neverDrains = true;
        line->write("held");
        link->setOutputBuffer(QStringLiteral("last frame"));
        QElapsedTimer clock;
        clock.start();
        link->PortClose();
        const qint64 waited = clock.elapsed();
        QVERIFY(!line->isOpen());
        QCOMPARE(line->written.size(), 2);
        QCOMPARE(line->written.last(), QByteArray("last frame"));
        QVERIFY2(waited >= 1900, qPrintable(QString::number(waited)));
        // The wait blocks in the line instead of polling it.
        QVERIFY2(line->drainWaits <= 50, qPrintable(QString::number(line->drainWaits)));
    }

    void closeStillClosesWhenTheLastWriteFails()
    {
        QVERIFY(link->PortOpen());
        line->neverDrains = true;
        line->write("held");
        line->failWrite = true;
        EXPECT_COMM_ERROR(link->PortClose(), tobrel::LineErrorWriteFailed, "");
        QVERIFY(!line->isOpen());
    }

    void bufferSizesGoToTheLine()
    {
        link->setInputBufSize(2048);
        link->setOutputBufSize(256);
        QCOMPARE(line->inBufferSize(), 2048);
        QCOMPARE(link->InputBufSize(), 2048);
        QCOMPARE(link->OutputBufSize(), 256);
        link->setRThreshold(1);
        QCOMPARE(link->RThreshold(), 1);

        EXPECT_COMM_ERROR(link->setInputBufSize(40000), tobrel::LineErrorOverflow, "");
        EXPECT_COMM_ERROR(link->setOutputBufSize(32768), tobrel::LineErrorOverflow, "");
        EXPECT_COMM_ERROR(link->setRThreshold(70000), tobrel::LineErrorOverflow, "");
        QCOMPARE(link->InputBufSize(), 2048);
        QCOMPARE(link->OutputBufSize(), 256);
        QCOMPARE(link->RThreshold(), 1);
    }

    void inputBufferReadsEverythingBeforeTheFirstTransaction()
    {
        QVERIFY(link->PortOpen());
        line->receive("abc");
        QCOMPARE(link->InputBuffer(), QStringLiteral("abc"));
        QCOMPARE(link->InputBuffer(), QString());
    }

    void buffersAreCleared()
    {
        QVERIFY(link->PortOpen());
        line->receive("left over");
        line->neverDrains = true;
        line->write("held");
        link->RecvBufClear();
        link->SendBufClear();
        QCOMPARE(line->inWaiting(), 0);
        QCOMPARE(line->outWaiting(), 0);
    }
};

QTEST_GUILESS_MAIN(LinkPortTest)
#include "tst_link_port.moc"
