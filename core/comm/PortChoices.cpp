#include "PortChoices.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {

constexpr int kComPorts = 8;

// "COM1 (/dev/ttyS0)" for a COM port, the name alone for a device named outright.
QString portAndDevice(const QString &port, const QString &device)
{
    if (device.isEmpty() || device == port)
        return port;
    return QStringLiteral("%1 (%2)").arg(port, device);
}

QString sameDevice(const QString &device)
{
    const QString real = tobrel::ResolvedDevice(device);
    return real.isEmpty() ? device : real;
}

} // namespace

bool IsStorablePort(const QString &port)
{
    static const QRegularExpression com(QStringLiteral("^COM[1-8]$"));
    return com.match(port).hasMatch() || tobrel::IsDeviceName(port);
}

QList<PortChoice> BuildPortChoices(const QList<ComDevice> &coms, const QList<tobrel::SerialAdapter> &adapters,
                                   const QString &stored, bool storedPresent)
{
    QList<PortChoice> choices;
    QSet<QString> shownDevices;
    for (const ComDevice &com : coms) {
        const QString name = QStringLiteral("COM%1").arg(com.number);
        if (com.number > 2 && !com.present && stored != name)
            continue;
        QString text = name;
        if (!com.device.isEmpty())
            text += com.present ? QStringLiteral("  (%1)").arg(com.device)
                                : QStringLiteral("  (%1, not present)").arg(com.device);
        choices << PortChoice{name, text};
        if (com.present)
            shownDevices << sameDevice(com.device);
    }
    for (const tobrel::SerialAdapter &a : adapters) {
        if (shownDevices.contains(sameDevice(a.location)))
            continue;
        const QString value = a.byId.isEmpty() ? a.location : a.byId;
        QStringList about;
        if (!a.byId.isEmpty())
            about << QFileInfo(a.location).fileName();
        if (!a.description.isEmpty())
            about << a.description;
        choices << PortChoice{value, about.isEmpty() ? value : QStringLiteral("%1  (%2)").arg(value, about.join(QStringLiteral(", ")))};
        shownDevices << sameDevice(a.location);
    }
    if (tobrel::IsDeviceName(stored)) {
        bool listed = false;
        for (const PortChoice &c : choices)
            listed = listed || c.value == stored;
        if (!listed)
            choices << PortChoice{stored, storedPresent ? stored : stored + QStringLiteral("  (not present)")};
    }
    return choices;
}

QList<PortChoice> PortChoicesOnThisMachine(const QString &stored)
{
    QList<ComDevice> coms;
    for (int n = 1; n <= kComPorts; ++n) {
        ComDevice com;
        com.number = n;
        com.device = tobrel::DeviceOfPort(QStringLiteral("COM%1").arg(n));
        com.present = !com.device.isEmpty() && QFileInfo::exists(com.device);
        coms << com;
    }
    return BuildPortChoices(coms, tobrel::SerialAdapters(), stored, QFileInfo::exists(stored));
}

QString PortProblemText(const QString &port, const QString &device, PortOpenResult open, const tobrel::PortCheck &check)
{
    const QString what = portAndDevice(port, device);
    if (open == PortOpenResult::Opened)
        return QStringLiteral("No answer from the controller on %1.").arg(what);
    if (open == PortOpenResult::CtsNotAsserted)
        return QStringLiteral("%1 opens, but its CTS input is not asserted: is the converter connected and powered?").arg(what);
    switch (check.access) {
    case tobrel::PortAccess::NotPresent:
        return QStringLiteral("%1 is not present on this machine.").arg(what);
    case tobrel::PortAccess::PermissionDenied:
        return QStringLiteral("Permission denied for %1: join the dialout group (sudo usermod -aG dialout $USER) and log in again.")
            .arg(what);
    case tobrel::PortAccess::Busy:
        return QStringLiteral("%1 is busy: another program has it open.").arg(what);
    case tobrel::PortAccess::Free:
        return QStringLiteral("%1 could not be opened; it is free now and is tried again.").arg(what);
    case tobrel::PortAccess::Failed:
        break;
    }
    return check.detail.isEmpty() ? QStringLiteral("%1 cannot be opened.").arg(what)
                                  : QStringLiteral("%1 cannot be opened: %2.").arg(what, check.detail);
}

QString DescribePortProblem(const QString &port, PortOpenResult open)
{
    const QString device = tobrel::DeviceOfPort(port);
    tobrel::PortCheck check;
    if (open == PortOpenResult::Failed)
        check = device.isEmpty() ? tobrel::PortCheck{tobrel::PortAccess::NotPresent, QString()}
                                 : tobrel::CheckPortAccess(device);
    return PortProblemText(port, device, open, check);
}

QString PortAnswersText(const QString &port)
{
    return QStringLiteral("The controller answers on %1.").arg(portAndDevice(port, tobrel::DeviceOfPort(port)));
}
