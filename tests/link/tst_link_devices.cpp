// Serial devices as a Linux user finds them: COMn and devices named outright (a by-id link
// that follows the adapter), a transaction over a device named so, the lock other programs
// see, and what keeps a device from opening.
#include "PortDevices.h"
#include "PtyServer.h"
#include "STDComm.h"

#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using tobrel::OpenOutcome;
using tobrel::PortAccess;

Q_DECLARE_METATYPE(PortAccess)
Q_DECLARE_METATYPE(OpenOutcome)

class LinkDevicesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<sim::PtyServer> server;
    QTemporaryDir dir;

    QString pty() const { return QString::fromStdString(server->slavePath()); }
    // A link to the pty, as /dev/serial/by-id holds one to an adapter.
    QString byIdLink() const { return dir.filePath(QStringLiteral("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0")); }

private slots:
    void init()
    {
        sim::DeviceModel model = sim::DeviceModel::allBlocks(1);
        model.setLive(false);
        server = std::make_unique<sim::PtyServer>(std::move(model), sim::ServeOptions{});
        std::string error;
        QVERIFY2(server->start(&error), error.c_str());
        QFile::remove(byIdLink());
        QVERIFY(QFile::link(pty(), byIdLink()));
    }
    void cleanup()
    {
        server.reset();
        qunsetenv("PLM870_COM1");
    }

    void deviceOfEachPortName_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("device");
        QTest::newRow("COM1, pointed elsewhere") << "COM1" << "/tmp/plm-elsewhere";
        QTest::newRow("COM2, the system's own") << "COM2" << "/dev/ttyS1";
        QTest::newRow("COM8") << "COM8" << "/dev/ttyS7";
        QTest::newRow("device named outright") << "/dev/serial/by-id/usb-X-if00" << "/dev/serial/by-id/usb-X-if00";
        QTest::newRow("COM9") << "COM9" << "";
        QTest::newRow("relative name") << "ttyUSB0" << "";
        QTest::newRow("empty") << "" << "";
    }
    void deviceOfEachPortName()
    {
        QFETCH(QString, port);
        QFETCH(QString, device);
        qputenv("PLM870_COM1", "/tmp/plm-elsewhere");
        QCOMPARE(tobrel::DeviceOfPort(port), device);
        QCOMPARE(tobrel::IsDeviceName(port), port.startsWith(QLatin1Char('/')));
    }

    // A by-id link stands for its device: transactions run over it, Port reads it back, and
    // the lock other programs look for is on the device itself.
    void transactionOverADeviceNamedOutright_data()
    {
        QTest::addColumn<bool>("throughLink");
        QTest::newRow("the device file") << false;
        QTest::newRow("a by-id link to it") << true;
    }
    void transactionOverADeviceNamedOutright()
    {
        QFETCH(bool, throughLink);
        const QString name = throughLink ? byIdLink() : pty();
        tobrel::STDComm link;
        link.setPort(name);
        QCOMPARE(link.Port(), name);
        link.setTimeOut(2000);
        link.setEventsCheck(true);
        QVERIFY(link.PortOpen());
        const QString reply = link.RWcomm(QStringLiteral(" "), QStringLiteral(" "), QStringLiteral("\""),
                                          QStringLiteral("0080"), QString(), 1);
        QCOMPARE(reply.size(), 91);
        QCOMPARE(link.Port(), name);

        QSerialPort other;
        other.setPortName(name);
        QVERIFY2(!other.open(QIODevice::ReadWrite), "another program opened the port the link holds");
        QCOMPARE(tobrel::CheckPortAccess(name).access, PortAccess::Busy);
        link.PortClose();
        QCOMPARE(tobrel::CheckPortAccess(name).access, PortAccess::Free);
    }

    // The system's persistent names are opened by the device file they lead to (whose lock
    // other programs look for); any other name as it stands.
    void nameToOpenEachDeviceBy_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("persistent");
        QTest::newRow("by-id name") << "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" << true;
        QTest::newRow("by-path name") << "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0" << true;
        QTest::newRow("device file") << "/dev/ttyUSB0" << false;
        QTest::newRow("a link of the user's own") << "/tmp/plm870-port" << false;
    }
    void nameToOpenEachDeviceBy()
    {
        QFETCH(QString, device);
        QFETCH(bool, persistent);
        QCOMPARE(tobrel::IsPersistentDeviceName(device), persistent);
        // A persistent name that leads nowhere (an unplugged adapter) is opened as it stands.
        QCOMPARE(tobrel::DeviceToOpen(device), device);
    }

    void whatKeepsADeviceFromOpening_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<PortAccess>("access");
        QTest::newRow("free pseudo-terminal") << "pty" << PortAccess::Free;
        QTest::newRow("by-id link to it") << "link" << PortAccess::Free;
        QTest::newRow("held by another program") << "held" << PortAccess::Busy;
        QTest::newRow("no such device") << "missing" << PortAccess::NotPresent;
        QTest::newRow("by-id link of an unplugged adapter") << "dangling" << PortAccess::NotPresent;
    }
    void whatKeepsADeviceFromOpening()
    {
        QFETCH(QString, what);
        QFETCH(PortAccess, access);
        QString device = pty();
        QSerialPort holder;
        if (what == QLatin1String("link")) {
            device = byIdLink();
        } else if (what == QLatin1String("held")) {
            holder.setPortName(pty());
            QVERIFY(holder.open(QIODevice::ReadWrite));
        } else if (what == QLatin1String("missing")) {
            device = dir.filePath(QStringLiteral("ttyUSB9"));
        } else if (what == QLatin1String("dangling")) {
            device = dir.filePath(QStringLiteral("usb-gone-if00-port0"));
            QVERIFY(QFile::link(dir.filePath(QStringLiteral("ttyUSB9")), device));
        }
        const tobrel::PortCheck check = tobrel::CheckPortAccess(device);
        QCOMPARE(check.access, access);
        QCOMPARE(check.detail.isEmpty(), access != PortAccess::Busy);
    }

    // The rules behind the checks, with the cases this machine cannot stage (a user outside
    // the dialout group).
    void classification_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("denied");
        QTest::addColumn<OpenOutcome>("outcome");
        QTest::addColumn<PortAccess>("access");
        QTest::newRow("opens") << true << false << OpenOutcome::Opened << PortAccess::Free;
        QTest::newRow("missing") << false << false << OpenOutcome::NotFound << PortAccess::NotPresent;
        QTest::newRow("vanished while opening") << true << false << OpenOutcome::NotFound << PortAccess::NotPresent;
        QTest::newRow("user not in dialout") << true << true << OpenOutcome::Refused << PortAccess::PermissionDenied;
        QTest::newRow("user not in dialout, never tried") << true << true << OpenOutcome::NotFound << PortAccess::PermissionDenied;
        QTest::newRow("allowed but refused: held") << true << false << OpenOutcome::Refused << PortAccess::Busy;
        QTest::newRow("other failure") << true << false << OpenOutcome::OtherError << PortAccess::Failed;
        QTest::newRow("missing wins over everything") << false << true << OpenOutcome::Refused << PortAccess::NotPresent;
    }
    void classification()
    {
        QFETCH(bool, exists);
        QFETCH(bool, denied);
        QFETCH(OpenOutcome, outcome);
        QFETCH(PortAccess, access);
        QCOMPARE(tobrel::ClassifyOpenFailure(exists, denied, outcome), access);
    }
};

QTEST_GUILESS_MAIN(LinkDevicesTest)
#include "tst_link_devices.moc"
