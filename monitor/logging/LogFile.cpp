#include "LogFile.h"

#include "Clock.h"
#include "DataFolder.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

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
    return line.toLocal8Bit();
}

bool isPosixLocale(const QLocale &locale)
{
    return locale.language() == QLocale::C;
}

// The time zone fields ("t" .. "tttt") and the blank before them.
QString withoutTimeZone(QString format)
{
    static const QRegularExpression zone(QStringLiteral("\\s*t+"));
    return format.remove(zone).trimmed();
}

bool syncToDisk(QFile &file)
{
#ifdef Q_OS_WIN
    return _commit(file.handle()) == 0;
#elif defined(Q_OS_LINUX)
    return fdatasync(file.handle()) == 0;
#else
    return fsync(file.handle()) == 0;
#endif
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

QString LogDateText(const QDate &date, const QLocale &locale)
{
    if (isPosixLocale(locale))
        return date.toString(QStringLiteral("yyyy/MM/dd"));
    return locale.toString(date, locale.dateFormat(QLocale::ShortFormat));
}

QString LogTimeText(const QTime &time, const QLocale &locale)
{
    if (isPosixLocale(locale))
        return time.toString(QStringLiteral("HH:mm:ss"));
    return locale.toString(time, withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

QString LogStampText(const QDateTime &at, const QLocale &locale)
{
    return LogDateText(at.date(), locale) + QLatin1Char(' ') + LogTimeText(at.time(), locale);
}

QByteArray LogTitleLine()
{
    return (quoted(QStringLiteral("PLM-870 Process variable data")) + QLatin1String("\r\n")).toLocal8Bit();
}

QByteArray LogDateLine(const QDate &date, const QLocale &locale)
{
    return (quoted(QStringLiteral("Data  : ") + LogDateText(date, locale)) + QLatin1String("\r\n")).toLocal8Bit();
}

QByteArray LogColumnLine(const QStringList &titles)
{
    return fieldsWithCommas(QStringList{QStringLiteral("Time")} + titles);
}

QByteArray LogDataLine(const QString &stamp, const QStringList &values)
{
    return fieldsWithCommas(QStringList{stamp} + values);
}

bool WriteLogHeader(const QString &path, const QDate &date, const QLocale &locale, const QStringList &titles)
{
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(LogTitleLine());
    file.write(LogDateLine(date, locale));
    file.write(LogColumnLine(titles));
    return file.commit();
}

bool AppendLogLine(const QString &path, const QByteArray &line)
{
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const bool written = file.write(line) == line.size() && file.flush() && syncToDisk(file);
    file.close();
    return written && file.error() == QFileDevice::NoError;
}
