#include "HistoryText.h"

#include "Preferences.h"

QString HistoryDateText(const QDate &date)
{
    return QStringLiteral("%1/%2/%3").arg(date.year(), 4, 10, QLatin1Char('0')).arg(date.month()).arg(date.day());
}

QString HistoryTimeText(const QTime &time)
{
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1:%2:%3 %4")
        .arg(hour12)
        .arg(time.minute())
        .arg(time.second())
        .arg(time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QString HistoryChannelText(const QString &ALM, int ch)
{
    if (ALM == QLatin1String("NAK") || ALM == QLatin1String("CHKSUM"))
        return QStringLiteral("----");
    return Prefs::channelName(ch);
}
