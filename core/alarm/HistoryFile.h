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
// Starts the file of a run. A new (or empty) file gets the two header lines, the start date
// being the file date of FileStamps.h, as in the log. A file of the name that holds lines
// already (a restart within the same minute) keeps every one of them: the run goes on appending
// to it, under the header it has. False, with what failed and the system's reason in `why`,
// when the header cannot be written or the file cannot be opened for appending.
bool StartHistoryFile(const QString &path, const QDate &startDate, QString *why,
                      const QLocale &locale = QLocale::system());
