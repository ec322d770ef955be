// A change record in a temporary folder, its user and failures recorded, lines on the disk
// when asked. The tests run with TZ=CET-1 and LC_ALL=C (see CMakeLists.txt).
#pragma once

#include "ChangeRecord.h"
#include "DiskWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

struct RecordFixture {
    QTemporaryDir dir;
    PLM_INC::ChangeRecord record{dir.path()};
    QStringList failures;

    RecordFixture()
    {
        record.setUser(QStringLiteral("J\u00fcrgen"));
        record.setFailureHandler([this](const QString &m) { failures << m; });
    }
    void add(const QDateTime &at, int channel, const char *item, const char *before, const char *after,
             PLM_INC::ChangeOrigin origin, PLM_INC::WriteOutcome outcome = PLM_INC::WriteOutcome::Taken)
    {
        record.append({at, channel, QString::fromLatin1(item), QString::fromLatin1(before), QString::fromLatin1(after),
                       origin, QString(), outcome});
    }
    QString path(int year, int month) const { return record.filePath(QDateTime(QDate(year, month, 1), QTime(12, 0))); }
    QByteArray bytes(int year = 2026, int month = 12) const
    {
        PLM_INC::diskWriter().waitUntilWritten();
        QFile f(path(year, month));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void setBytes(const QByteArray &bytes, int year = 2026, int month = 12)
    {
        QFile f(path(year, month));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
};

inline QDateTime at(int month, int day, int hour, int minute)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute));
}
