// Dates and times in the log and history files, as the locale writes them and as a
// spreadsheet of the same locale reads them back: the locale's short date, and its long time
// without the time-zone field (with the zone go its brackets and the blanks around it).
// A stamp is judged on the bytes the file holds (Windows-1252, FileCodePage.h), where a
// character the page has not is a "?": it must read back from those bytes to the same second,
// in the right half of the day.
// Where the long time cannot be read back (a field Qt cannot write, such as a day period; an
// AM/PM field Qt 6.4 cannot read safely; an hour mark or day period the code page cannot hold;
// a time that does not parse back to the same second), the short time with seconds is used,
// and where that fails too "HH:mm:ss". Digits that cannot be read back (beyond 16 bits, or
// outside the code page, such as Arabic-Indic digits) are written as ASCII digits with
// "yyyy/MM/dd" and "HH:mm:ss". The C/POSIX locale of a service has no date order of
// its own: there the files use "yyyy/MM/dd" and "HH:mm:ss".
#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTime>

namespace PLM_INC {

QString FileDateFormat(const QLocale &locale);
QString FileTimeFormat(const QLocale &locale);

QString FileDateText(const QDate &date, const QLocale &locale);
QString FileTimeText(const QTime &time, const QLocale &locale);
// Date, one blank, time.
QString FileStampText(const QDateTime &at, const QLocale &locale);

// The ASCII letters of a date or time format outside its quoted text that Qt does not
// format (it writes them as they are); empty when there are none.
QString UnknownPatternLetters(const QString &format);

} // namespace PLM_INC
