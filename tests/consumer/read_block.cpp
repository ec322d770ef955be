// read_block DEVICE BLOCK ITEM: reads the 20 values of one item of one block of a PLM-870
// installation and prints them, one signed decimal a line, channel 0 first.
#include <TobrelComm3/PortDevices.h>
#include <TobrelComm3/STDComm.h>

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

namespace {

constexpr char kReadCommand = 0x22;
constexpr int kValuesInBlock = 20;

int fail(const QString &why)
{
    std::fprintf(stderr, "read_block: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return fail(QStringLiteral("usage: read_block DEVICE BLOCK ITEM (for example /dev/pts/3 0 0080)"));
    bool ok = false;
    const int block = args[2].toInt(&ok);
    if (!ok || block < 0 || block > 15)
        return fail(QStringLiteral("the block is 0..15, not \"%1\"").arg(args[2]));
    if (!tobrel::IsDeviceName(args[1]))
        return fail(QStringLiteral("\"%1\" is not a device path").arg(args[1]));

    tobrel::STDComm link;
    try {
        link.setPort(args[1]);
        link.setBaudRate(QStringLiteral("9600"));
        link.setPality(QStringLiteral("EVEN"));
        link.setDataBit(QStringLiteral("7"));
        link.setStopBit(QStringLiteral("1"));
        link.setFlow(QStringLiteral("NONE"));
        link.setTimeOut(2000);
        link.setEventsCheck(true);
        if (!link.PortOpen())
            return fail(QStringLiteral("the port does not assert CTS"));
        // The unit's address is the block number + 32; its sub-address is a space.
        const QString reply = link.RWcomm(QString(QChar(32 + block)), QStringLiteral(" "),
                                          QString(QLatin1Char(kReadCommand)), args[3], QString(), 1);
        link.PortClose();
        if (reply.isEmpty())
            return fail(QStringLiteral("no reply"));
        if (reply.at(0) != QChar(0x06))
            return fail(QStringLiteral("the unit refused the read or the checksum failed"));
        if (link.isDataNum(reply) != kValuesInBlock)
            return fail(QStringLiteral("the reply holds %1 values, not 20").arg(link.isDataNum(reply)));
        QTextStream out(stdout);
        for (qint16 n = 1; n <= kValuesInBlock; ++n)
            out << qint16(link.GetNData(reply, n).toUShort(nullptr, 16)) << '\n';
    } catch (const tobrel::CommError &e) {
        return fail(QStringLiteral("error %1: %2").arg(e.number()).arg(e.description()));
    }
    return 0;
}
