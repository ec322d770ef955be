#include "PortDevices.h"

#include "ComPorts.h"
#include "PortChecks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <algorithm>

#if !defined(Q_OS_WIN)
#include <cerrno>
#include <unistd.h>
#endif

namespace tobrel {

bool IsDeviceName(const QString &port)
{
#if defined(Q_OS_WIN)
    return port.startsWith(QLatin1String("\\\\.\\")) && port.size() > 4;
#else
    return port.startsWith(QLatin1Char('/')) && port.size() > 1;
#endif
}

QString DeviceOfPort(const QString &port)
{
    if (IsDeviceName(port))
        return port;
    try {
        return ComPortDevice(PortNumber(port));
    } catch (const std::exception &) {
        return QString();
    }
}

QString ResolvedDevice(const QString &device)
{
#if defined(Q_OS_WIN)
    return device;
#else
    return QFileInfo(device).canonicalFilePath();
#endif
}

bool IsPersistentDeviceName(const QString &device)
{
    return device.startsWith(QLatin1String("/dev/serial/"));
}

QString DeviceToOpen(const QString &device)
{
    if (!IsPersistentDeviceName(device))
        return device;
    const QString real = ResolvedDevice(device);
    return real.isEmpty() ? device : real;
}

PortAccess ClassifyOpenFailure(bool exists, bool accessDenied, OpenOutcome outcome)
{
    if (!exists)
        return PortAccess::NotPresent;
    if (accessDenied)
        return PortAccess::PermissionDenied;
    switch (outcome) {
    case OpenOutcome::Opened:
        return PortAccess::Free;
    case OpenOutcome::NotFound:
        return PortAccess::NotPresent;
    case OpenOutcome::Refused:
        return PortAccess::Busy;
    case OpenOutcome::OtherError:
        break;
    }
    return PortAccess::Failed;
}

PortCheck CheckPortAccess(const QString &device)
{
    PortCheck check;
    const QString real = ResolvedDevice(device);
#if defined(Q_OS_WIN)
    const bool exists = !device.isEmpty();
    const bool accessDenied = false;
#else
    const bool exists = !real.isEmpty() && QFileInfo::exists(real);
    bool accessDenied = false;
    if (exists && ::access(QFile::encodeName(real).constData(), R_OK | W_OK) != 0)
        accessDenied = errno == EACCES || errno == EPERM;
#endif
    OpenOutcome outcome = OpenOutcome::NotFound;
    if (exists && !accessDenied) {
        QSerialPort port;
        port.setPortName(DeviceToOpen(device));
        if (port.open(QIODevice::ReadWrite)) {
            outcome = OpenOutcome::Opened;
            port.close();
        } else {
            check.detail = port.errorString();
            switch (port.error()) {
            case QSerialPort::DeviceNotFoundError: outcome = OpenOutcome::NotFound; break;
            // Qt reports a device held by another program (its lock, or the exclusive mode
            // of a port already open) as a permission error; this user's own rights were
            // looked at above.
            case QSerialPort::PermissionError: outcome = OpenOutcome::Refused; break;
            default: outcome = OpenOutcome::OtherError; break;
            }
        }
    }
    check.access = ClassifyOpenFailure(exists, accessDenied, outcome);
    return check;
}

QList<SerialAdapter> SerialAdapters()
{
    // The by-id names lead to the device files; the same adapter keeps its name in any socket.
    QMap<QString, QString> byIdOf;
    const QFileInfoList links = QDir(QStringLiteral("/dev/serial/by-id"))
                                    .entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty() && !byIdOf.contains(target))
            byIdOf.insert(target, link.absoluteFilePath());
    }
    QList<SerialAdapter> adapters;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        SerialAdapter a;
        a.location = info.systemLocation();
        a.byId = byIdOf.value(ResolvedDevice(a.location));
        a.description = info.description().isEmpty() ? info.manufacturer() : info.description();
        adapters << a;
    }
    std::sort(adapters.begin(), adapters.end(),
              [](const SerialAdapter &x, const SerialAdapter &y) { return x.location < y.location; });
    return adapters;
}

} // namespace tobrel
