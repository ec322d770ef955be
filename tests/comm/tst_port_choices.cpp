// The ports the dialog offers on a machine, what may be stored, and the one line that says
// why a port failed.
#include "PortChoices.h"

#include <QTest>

using tobrel::PortAccess;
using tobrel::SerialAdapter;

Q_DECLARE_METATYPE(PortOpenResult)
Q_DECLARE_METATYPE(PortAccess)
Q_DECLARE_METATYPE(tobrel::SerialAdapter)

namespace {

// COM1..COM8 on a machine with ttyS0 and ttyS2 only.
QList<ComDevice> twoUarts()
{
    QList<ComDevice> coms;
    for (int n = 1; n <= 8; ++n)
        coms << ComDevice{n, QStringLiteral("/dev/ttyS%1").arg(n - 1), n == 1 || n == 3};
    return coms;
}

const QString kFtdi = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");

QStringList values(const QList<PortChoice> &choices)
{
    QStringList out;
    for (const PortChoice &c : choices)
        out << c.value;
    return out;
}

QStringList texts(const QList<PortChoice> &choices)
{
    QStringList out;
    for (const PortChoice &c : choices)
        out << c.text;
    return out;
}

} // namespace

class PortChoicesTest : public QObject {
    Q_OBJECT

private slots:
    void whatMayBeStored_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<bool>("storable");
        for (int n = 1; n <= 8; ++n)
            QTest::addRow("COM%d", n) << QStringLiteral("COM%1").arg(n) << true;
        QTest::newRow("by-id name") << kFtdi << true;
        QTest::newRow("device file") << "/dev/ttyUSB0" << true;
        for (const char *bad : {"COM9", "COM0", "COM10", "com1", " COM1", "ttyUSB0", "", "LPT1"})
            QTest::addRow("'%s'", bad) << QString::fromLatin1(bad) << false;
    }
    void whatMayBeStored()
    {
        QFETCH(QString, port);
        QFETCH(bool, storable);
        QCOMPARE(IsStorablePort(port), storable);
    }

    void portsOffered_data()
    {
        QTest::addColumn<QList<SerialAdapter>>("adapters");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("storedPresent");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QStringList>("texts");
        const QStringList coms = {"COM1", "COM2", "COM3"};
        const QStringList comTexts = {"COM1  (/dev/ttyS0)", "COM2  (/dev/ttyS1, not present)", "COM3  (/dev/ttyS2)"};
        QTest::newRow("no adapter: COM1, COM2 and the COMn that are there")
            << QList<SerialAdapter>{} << "COM1" << true << coms << comTexts;
        QTest::newRow("a COMn not there is offered while it is stored")
            << QList<SerialAdapter>{} << "COM6" << false << (coms + QStringList{"COM6"})
            << (comTexts + QStringList{"COM6  (/dev/ttyS5, not present)"});
        QTest::newRow("a USB adapter by its by-id name")
            << QList<SerialAdapter>{{"/dev/ttyUSB0", kFtdi, "FT232R USB UART"}} << "COM1" << true
            << (coms + QStringList{kFtdi}) << (comTexts + QStringList{kFtdi + "  (ttyUSB0, FT232R USB UART)"});
        QTest::newRow("an adapter without a by-id name by its device")
            << QList<SerialAdapter>{{"/dev/ttyACM0", "", ""}} << "COM1" << true << (coms + QStringList{"/dev/ttyACM0"})
            << (comTexts + QStringList{"/dev/ttyACM0"});
        QTest::newRow("a UART shown beside its COMn is not offered twice")
            << QList<SerialAdapter>{{"/dev/ttyS0", "", "16550A"}, {"/dev/ttyS2", "", ""}} << "COM1" << true << coms << comTexts;
        QTest::newRow("a stored adapter that is unplugged")
            << QList<SerialAdapter>{} << kFtdi << false << (coms + QStringList{kFtdi})
            << (comTexts + QStringList{kFtdi + "  (not present)"});
        QTest::newRow("a stored adapter that is plugged in is offered once")
            << QList<SerialAdapter>{{"/dev/ttyUSB1", kFtdi, "FT232R USB UART"}} << kFtdi << true << (coms + QStringList{kFtdi})
            << (comTexts + QStringList{kFtdi + "  (ttyUSB1, FT232R USB UART)"});
    }
    void portsOffered()
    {
        QFETCH(QList<SerialAdapter>, adapters);
        QFETCH(QString, stored);
        QFETCH(bool, storedPresent);
        QFETCH(QStringList, values);
        QFETCH(QStringList, texts);
        const QList<PortChoice> choices = BuildPortChoices(twoUarts(), adapters, stored, storedPresent);
        QCOMPARE(::values(choices), values);
        QCOMPARE(::texts(choices), texts);
    }

    void whyThePortFailed_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("device");
        QTest::addColumn<PortOpenResult>("open");
        QTest::addColumn<PortAccess>("access");
        QTest::addColumn<QString>("line");
        QTest::newRow("opened, controller silent")
            << "COM1" << "/dev/ttyS0" << PortOpenResult::Opened << PortAccess::Free
            << "No answer from the controller on COM1 (/dev/ttyS0).";
        QTest::newRow("opened, CTS low")
            << "COM2" << "/dev/ttyS1" << PortOpenResult::CtsNotAsserted << PortAccess::Free
            << "COM2 (/dev/ttyS1) opens, but its CTS input is not asserted: is the converter connected and powered?";
        QTest::newRow("user not in dialout")
            << "COM1" << "/dev/ttyUSB0" << PortOpenResult::Failed << PortAccess::PermissionDenied
            << "Permission denied for COM1 (/dev/ttyUSB0): join the dialout group (sudo usermod -aG dialout $USER) and log in again.";
        QTest::newRow("held by another program")
            << kFtdi << kFtdi << PortOpenResult::Failed << PortAccess::Busy << kFtdi + " is busy: another program has it open.";
        QTest::newRow("unplugged adapter")
            << kFtdi << kFtdi << PortOpenResult::Failed << PortAccess::NotPresent << kFtdi + " is not present on this machine.";
        QTest::newRow("no such port")
            << "COM4" << "/dev/ttyS3" << PortOpenResult::Failed << PortAccess::NotPresent
            << "COM4 (/dev/ttyS3) is not present on this machine.";
        QTest::newRow("failed for another reason")
            << "COM1" << "/dev/ttyS0" << PortOpenResult::Failed << PortAccess::Failed
            << "COM1 (/dev/ttyS0) cannot be opened: Input/output error.";
    }
    void whyThePortFailed()
    {
        QFETCH(QString, port);
        QFETCH(QString, device);
        QFETCH(PortOpenResult, open);
        QFETCH(PortAccess, access);
        QFETCH(QString, line);
        const tobrel::PortCheck check{access, access == PortAccess::Failed ? QStringLiteral("Input/output error") : QString()};
        QCOMPARE(PortProblemText(port, device, open, check), line);
        QVERIFY(!line.contains(QLatin1Char('\n')));
    }
};

QTEST_GUILESS_MAIN(PortChoicesTest)
#include "tst_port_choices.moc"
