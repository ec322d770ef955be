#include "PortChecks.h"

#include "CommError.h"

#include <QStringList>

namespace tobrel {

namespace {
const QStringList &flowNames()
{
    static const QStringList names = {QStringLiteral("NONE"), QStringLiteral("XON/XOFF"),
                                      QStringLiteral("RTS/CTS"), QStringLiteral("BOTH")};
    return names;
}
} // namespace

const char *const PortOpenRefusedMessage =
    "Communications port cannot be opend.(通信ポートをオープン出来ません！)";

QString PortSettingErrorText(PortSettingError error)
{
    switch (error) {
    case ErrorInvalidPort:
        return QStringLiteral("このプロパティにはCOM1～COM8までの値を代入してください。");
    case ErrorInvalidBaudRate:
        return QStringLiteral("このプロパティには 2400、4800、9600、19200 の何れかの値を代入してください");
    case ErrorInvalidParity:
        return QStringLiteral("このプロパティには None, Even or Odd を代入してください");
    case ErrorInvalidDataBits:
        return QStringLiteral("このプロパティには 7 or 8 を代入してください");
    case ErrorInvalidStopBits:
        return QStringLiteral("このプロパティには 1 or 2 を代入してください");
    case ErrorInvalidFlow:
        return QStringLiteral("このプロパティには None, Xon/Xoff, RTS/CTS, RTSXonXoff 中の一つを代入してください");
    case ErrorOpenFailed:
        return QStringLiteral("通信コントロールの接続中に原因不明エラーが発生しました。");
    }
    return {};
}

void RaisePortSettingError(PortSettingError error)
{
    throw CommError(error, PortSettingErrorText(error));
}

int PortNumber(const QString &port)
{
    if (port.size() == 4 && port.left(3).toUpper() == QLatin1String("COM")) {
        const QChar digit = port.at(3);
        if (digit >= QLatin1Char('1') && digit <= QLatin1Char('8'))
            return digit.unicode() - '0';
    }
    RaisePortSettingError(ErrorInvalidPort);
}

QString BaudText(const QString &baudRate)
{
    static const QStringList accepted = {QStringLiteral("2400"), QStringLiteral("4800"),
                                         QStringLiteral("9600"), QStringLiteral("19200")};
    if (accepted.contains(baudRate))
        return baudRate;
    RaisePortSettingError(ErrorInvalidBaudRate);
}

QString ParityLetter(const QString &parity)
{
    const QString name = parity.toUpper();
    if (name == QLatin1String("NONE")) return QStringLiteral("N");
    if (name == QLatin1String("EVEN")) return QStringLiteral("E");
    if (name == QLatin1String("ODD")) return QStringLiteral("O");
    RaisePortSettingError(ErrorInvalidParity);
}

QString DataBitText(const QString &dataBits)
{
    if (dataBits == QLatin1String("7") || dataBits == QLatin1String("8"))
        return dataBits;
    RaisePortSettingError(ErrorInvalidDataBits);
}

QString StopBitText(const QString &stopBits)
{
    if (stopBits == QLatin1String("1") || stopBits == QLatin1String("2"))
        return stopBits;
    RaisePortSettingError(ErrorInvalidStopBits);
}

int FlowCode(const QString &flow)
{
    const int code = static_cast<int>(flowNames().indexOf(flow));
    if (code < 0)
        RaisePortSettingError(ErrorInvalidFlow);
    return code;
}

QString FlowName(int code)
{
    return (code >= 0 && code < flowNames().size()) ? flowNames().at(code) : QString();
}

} // namespace tobrel
