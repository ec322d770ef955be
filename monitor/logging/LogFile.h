// The process value log file: text in the files' code page (FileCodePage.h), every field between
// double quotes (quotes inside a field are not escaped), CR LF line ends. The title and date
// lines are one field each without a comma; on the column line and the data lines every
// field is followed by a comma, the last one included.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

// "2003_7_4_9_5_0.txt" for 4 July 2003 at 09:05:00.
QString LogFileBaseName(const QDateTime &at);
// A new log file name in the data folder's "logging" folder, from the clock's date and time.
QString MakeLogName();
// The caption of the file name label while no file is chosen.
QString LogNotRegisteredText();

QByteArray LogTitleLine();
// The date line holds the file date of FileStamps.h; a data line's stamp is FileStampText.
QByteArray LogDateLine(const QDate &date, const QLocale &locale);
QByteArray LogColumnLine(const QStringList &titles);
QByteArray LogDataLine(const QString &stamp, const QStringList &values);

// Creates the file complete with its three header lines (an old file of the name is replaced
// only once the new one is written) through the disk writer (DiskWriter.h), waiting at most
// its limit; false, with what failed in `why`, when it cannot.
bool WriteLogHeader(const QString &path, const QDate &date, const QLocale &locale, const QStringList &titles,
                    QString *why = nullptr);
// Appends one line through the disk writer (DiskWriter.h), after the lines handed to it
// before, and waits until it is on the disk; false, with what failed in `why`, when the file
// cannot be opened or written.
bool AppendLogLine(const QString &path, const QByteArray &line, QString *why = nullptr);
