// The texts of one alarm history entry.
#pragma once

#include <QDateTime>
#include <QString>

// "yyyy/m/d": four-digit year, month and day without leading zeros.
QString HistoryDateText(const QDate &date);
// "h:n:s AM/PM": 12-hour clock, no leading zeros.
QString HistoryTimeText(const QTime &time);
// "----" for the communication faults, else the channel's name.
QString HistoryChannelText(const QString &ALM, int ch);
