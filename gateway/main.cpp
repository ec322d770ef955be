// plm870-gateway: the monitor without its window, for an unattended PC.
#include "DiskWriter.h"
#include "Gateway.h"
#include "GatewayOptions.h"
#include "StopSignals.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("plm870-gateway"));
    const GatewayOptions options = ParseGatewayOptions(app.arguments().mid(1));
    if (options.help) {
        std::fputs(qPrintable(GatewayUsage()), stdout);
        return 0;
    }
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(options.error));
        return 2;
    }
    if (!InstallStopSignals(app))
        std::fprintf(stderr, "The stop signals cannot be caught; stop with SIGKILL only as a last resort.\n");
    Gateway gateway;
    QString error;
    if (!gateway.start(options, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const int rc = app.exec();
    gateway.stop();
    // The history lines still on their way reach the disk while the application exists.
    PLM_INC::diskWriter().waitUntilWritten();
    std::fprintf(stderr, "Stopped\n");
    return rc;
}
