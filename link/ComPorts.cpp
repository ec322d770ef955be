#include "ComPorts.h"

#include <QtGlobal>

namespace tobrel {

QString ComPortDevice(int number)
{
    const QByteArray override = qgetenv(QStringLiteral("PLM870_COM%1").arg(number).toLatin1().constData());
    if (!override.isEmpty())
        return QString::fromLocal8Bit(override);
#if defined(Q_OS_WIN)
    return QStringLiteral("COM%1").arg(number);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

} // namespace tobrel
