// The alarm history file of one run: text in the files' code page (FileCodePage.h), every
// field in double quotes, fields separated by commas, CR LF line ends.
#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

// "2026_12_6_9_5.hys" for a run started on 6 December 2026 at 09:05.
QString HistoryFileBaseName(const QDateTime &start);
// One line: "a","b","c" CR LF, encoded for the file.
QByteArray HistoryFileLine(const QStringList &fields);
// Writes the two header lines to a new file (replacing an old one); the start date is the
// file date of FileStamps.h, as in the log. False when it cannot.
bool WriteHistoryFileHeader(const QString &path, const QDate &startDate, const QLocale &locale = QLocale::system());
