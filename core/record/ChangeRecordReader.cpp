#include "ChangeRecordReader.h"

#include "ChangeLine.h"
#include "FileCodePage.h"
#include "PLM_INC.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <climits>

namespace PLM_INC {

namespace {

int digits(QStringView text, qsizetype at, qsizetype count, bool *ok)
{
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') {
            *ok = false;
            return 0;
        }
        value = value * 10 + (c - u'0');
    }
    return value;
}

// "2026-12-06T09:05:07+01:00" (or "...Z") as the record writes it, without Qt's general parser:
// it is most of the time of reading a large record.
bool isoTime(const QString &text, QDateTime *at, qint64 *utcMs)
{
    bool ok = text.size() >= 20;
    const QStringView t(text);
    const QDate date = ok ? QDate(digits(t, 0, 4, &ok), digits(t, 5, 2, &ok), digits(t, 8, 2, &ok)) : QDate();
    const QTime time = ok ? QTime(digits(t, 11, 2, &ok), digits(t, 14, 2, &ok), digits(t, 17, 2, &ok)) : QTime();
    int offset = 0;
    if (ok && text.size() == 25 && (t[19] == u'+' || t[19] == u'-'))
        offset = (t[19] == u'-' ? -1 : 1) * (digits(t, 20, 2, &ok) * 3600 + digits(t, 23, 2, &ok) * 60);
    else if (!(ok && text.size() == 20 && t[19] == u'Z'))
        ok = false;
    if (!ok || !date.isValid() || !time.isValid()) {
        *at = QDateTime::fromString(text, Qt::ISODate);
        *utcMs = at->toMSecsSinceEpoch();
        return at->isValid();
    }
    *utcMs = QDateTime(date, time, Qt::UTC).toMSecsSinceEpoch() - qint64(offset) * 1000;
    *at = QDateTime::fromMSecsSinceEpoch(*utcMs, Qt::OffsetFromUTC, offset);
    return true;
}

QString readFailure(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot read \"%1\": %2.").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

QString ChangeRowFromFields(const QStringList &fields, ChangeRow *row)
{
    if (fields.size() != kChangeColumns && fields.size() != kChangeColumnsWithoutSeq)
        return QStringLiteral("it does not hold the fields of a change.");
    row->seq = ChangeSeqOfFields(fields);
    if (row->seq < 0)
        return QStringLiteral("its sequence number \"%1\" is not a number from 1 on.").arg(fields[kChangeSeq]);
    SettingChange &c = row->change;
    if (!RecordedOriginFromText(fields[kChangeOrigin], &c))
        return QStringLiteral("its origin \"%1\" is none the program records.").arg(fields[kChangeOrigin]);
    if (IsProgramLine(c.origin)) {
        for (const int empty : {kChangeBlock, kChangeChannel, kChangeItem, kChangeItemName, kChangeOutcome})
            if (!fields[empty].isEmpty())
                return QStringLiteral("a line of a program's start or end names \"%1\".").arg(fields[empty]);
        if (!isoTime(fields[kChangeIsoTime], &c.at, &row->utcMs))
            return QStringLiteral("its ISO time \"%1\" is no time.").arg(fields[kChangeIsoTime]);
        c.channel = -1;
        c.user = UnguardedChangeText(fields[kChangeWho]);
        row->stamp = fields[kChangeTime];
        return QString();
    }
    bool blockOk = false;
    bool channelOk = false;
    const int channel = fields[kChangeChannel].toInt(&channelOk) - 1;
    const int block = fields[kChangeBlock].toInt(&blockOk) - 1;
    if (!blockOk || block < 0 || block >= kBlocks)
        return QStringLiteral("its block \"%1\" is not one of 1 to 16.").arg(fields[kChangeBlock]);
    if (!channelOk || channel < 0 || channel >= kChannels)
        return QStringLiteral("its channel \"%1\" is not one of 1 to 320.").arg(fields[kChangeChannel]);
    if (block != channel / kChannelsPerBlock)
        return QStringLiteral("channel %1 is not a channel of block %2.").arg(channel + 1).arg(block + 1);
    if (!WriteOutcomeFromText(fields[kChangeOutcome], &c.outcome))
        return QStringLiteral("its outcome \"%1\" is none the program records.").arg(fields[kChangeOutcome]);
    if (!isoTime(fields[kChangeIsoTime], &c.at, &row->utcMs))
        return QStringLiteral("its ISO time \"%1\" is no time.").arg(fields[kChangeIsoTime]);
    c.channel = channel;
    c.item = fields[kChangeItem];
    c.before = UnguardedChangeText(fields[kChangeBefore]);
    c.after = UnguardedChangeText(fields[kChangeAfter]);
    c.user = UnguardedChangeText(fields[kChangeWho]);
    row->stamp = fields[kChangeTime];
    row->itemName = fields[kChangeItemName];
    return QString();
}

bool ChangeFilter::matches(const ChangeRow &row) const
{
    return matches(row, from.isValid() ? from.toMSecsSinceEpoch() : LLONG_MIN,
                   to.isValid() ? to.toMSecsSinceEpoch() : LLONG_MAX);
}

bool ChangeFilter::matches(const ChangeRow &row, qint64 fromMs, qint64 toMs) const
{
    const SettingChange &c = row.change;
    const bool any = block < 0 && channel < 0 && item.isEmpty(); // a program line has no channel or item
    return (any || c.channel >= 0) && (block < 0 || c.channel / kChannelsPerBlock == block)
           && (channel < 0 || c.channel == channel) && (item.isEmpty() || c.item == item) && (!origin || c.origin == *origin) && row.utcMs >= fromMs
           && row.utcMs <= toMs;
}

bool ChangeRecordReader::appendFile(const QString &path, QString *why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (why)
            *why = readFailure(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (why)
            *why = readFailure(path, file.errorString());
        return false;
    }
    m_files << path;
    const QString text = FromFileCodePage(bytes); // the record is written in the files' code page only
    qsizetype start = 0;
    int number = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        ++number;
        qsizetype stop = end;
        if (stop > start && text.at(stop - 1) == QLatin1Char('\r'))
            --stop;
        ChangeRow row;
        if (ChangeRowFromFields(SplitChangeFields(text.mid(start, stop - start)), &row).isEmpty()) {
            row.file = path;
            row.line = number;
            m_rows.push_back(std::move(row));
        } else if (number > 1) {
            ++m_unreadable;
        }
        start = end + 1;
    }
    return true;
}

bool ChangeRecordReader::readFile(const QString &path, QString *why)
{
    m_rows.clear();
    m_files.clear();
    m_unreadable = 0;
    const bool ok = appendFile(path, why);
    std::reverse(m_rows.begin(), m_rows.end());
    return ok;
}

bool ChangeRecordReader::readFolder(const QString &folder, QString *why)
{
    m_rows.clear();
    m_files.clear();
    m_unreadable = 0;
    QDir dir(folder);
    if (!dir.exists()) {
        if (why)
            *why = readFailure(folder, QStringLiteral("the folder does not exist"));
        return false;
    }
    QStringList names = dir.entryList(QDir::Files, QDir::Name);
    names.erase(std::remove_if(names.begin(), names.end(), [](const QString &n) { return !IsChangeFileName(n); }),
                names.end());
    bool ok = true;
    for (const QString &name : names) {
        QString failure;
        if (!appendFile(dir.filePath(name), &failure)) {
            if (why && ok)
                *why = failure;
            ok = false;
        }
    }
    std::reverse(m_rows.begin(), m_rows.end());
    return ok;
}

std::vector<int> ChangeRecordReader::filtered(const ChangeFilter &filter) const
{
    // The bounds in UTC once, not once a row.
    const qint64 fromMs = filter.from.isValid() ? filter.from.toMSecsSinceEpoch() : LLONG_MIN;
    const qint64 toMs = filter.to.isValid() ? filter.to.toMSecsSinceEpoch() : LLONG_MAX;
    std::vector<int> kept;
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (filter.matches(m_rows[i], fromMs, toMs))
            kept.push_back(int(i));
    return kept;
}

} // namespace PLM_INC
