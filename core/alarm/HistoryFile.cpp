#include "HistoryFile.h"

#include "FileCodePage.h"
#include "FileStamps.h"

#include "WholeFile.h"

#include <QDir>
#include <QFile>

QString HistoryFileBaseName(const QDateTime &start)
{
    const QDate d = start.date();
    const QTime t = start.time();
    return QStringLiteral("%1_%2_%3_%4_%5.hys").arg(d.year()).arg(d.month()).arg(d.day()).arg(t.hour()).arg(t.minute());
}

QByteArray HistoryFileLine(const QStringList &fields)
{
    QString line;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += QLatin1Char(',');
        line += QLatin1Char('"') + fields[i] + QLatin1Char('"');
    }
    line += QLatin1String("\r\n");
    return PLM_INC::ToFileCodePage(line);
}

bool StartHistoryFile(const QString &path, const QDate &startDate, QString *why, const QLocale &locale)
{
    QFile existing(path);
    if (existing.size() > 0) {
        // A line cut off by a crash is ended by the next line appended (LineAppend.h).
        if (existing.open(QIODevice::ReadWrite | QIODevice::Append))
            return true;
        *why = QStringLiteral("Cannot open \"%1\" for appending: %2.")
                   .arg(QDir::toNativeSeparators(path), existing.errorString());
        return false;
    }
    const QString date = PLM_INC::FileDateText(startDate, locale);
    return PLM_INC::WriteWholeFile(
        path,
        HistoryFileLine({QStringLiteral("PLM-870 Alarm hystory"), QStringLiteral("    Data  : "), date})
            + HistoryFileLine({QStringLiteral("Time"), QStringLiteral("Channel"), QStringLiteral("Contain")}),
        why);
}
