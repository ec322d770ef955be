#include "LogFile.h"

#include "Clock.h"
#include "DataFolder.h"
#include "DiskWriter.h"
#include "FileCodePage.h"
#include "FileStamps.h"


namespace {

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QByteArray fieldsWithCommas(const QStringList &fields)
{
    QString line;
    for (const QString &field : fields)
        line += quoted(field) + QLatin1Char(',');
    line += QLatin1String("\r\n");
    return PLM_INC::ToFileCodePage(line);
}

} // namespace

QString LogFileBaseName(const QDateTime &at)
{
    const QDate d = at.date();
    const QTime t = at.time();
    return QStringLiteral("%1_%2_%3_%4_%5_%6.txt")
        .arg(d.year())
        .arg(d.month())
        .arg(d.day())
        .arg(t.hour())
        .arg(t.minute())
        .arg(t.second());
}

QString MakeLogName()
{
    return PLM_INC::DataSubFolder(QStringLiteral("logging")) + QLatin1Char('/') + LogFileBaseName(PLM_INC::clock().now());
}

QString LogNotRegisteredText()
{
    return QStringLiteral("Not registered.(Please register.)");
}

QByteArray LogTitleLine()
{
    return PLM_INC::ToFileCodePage(quoted(QStringLiteral("PLM-870 Process variable data")) + QLatin1String("\r\n"));
}

QByteArray LogDateLine(const QDate &date, const QLocale &locale)
{
    return PLM_INC::ToFileCodePage(quoted(QStringLiteral("Data  : ") + PLM_INC::FileDateText(date, locale))
                                   + QLatin1String("\r\n"));
}

QByteArray LogColumnLine(const QStringList &titles)
{
    return fieldsWithCommas(QStringList{QStringLiteral("Time")} + titles);
}

QByteArray LogDataLine(const QString &stamp, const QStringList &values)
{
    return fieldsWithCommas(QStringList{stamp} + values);
}

bool WriteLogHeader(const QString &path, const QDate &date, const QLocale &locale, const QStringList &titles,
                    QString *why)
{
    if (path.isEmpty())
        return false;
    // After the lines of an earlier run still on their way, which reach the file they were for.
    return PLM_INC::diskWriter().replaceAndWait(path, LogTitleLine() + LogDateLine(date, locale) + LogColumnLine(titles),
                                                why);
}

bool AppendLogLine(const QString &path, const QByteArray &line, QString *why)
{
    return PLM_INC::diskWriter().appendAndWait(path, line, why);
}
