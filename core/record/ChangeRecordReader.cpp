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

namespace {

std::array<char, 4> itemCode(const QString &item)
{
    std::array<char, 4> code{};
    for (int i = 0; i < 4 && i < item.size(); ++i)
        code[size_t(i)] = char(item[i].unicode() < 128 ? item[i].unicode() : '?');
    return code;
}

} // namespace

bool ChangeFilter::matches(const ChangeRow &row) const
{
    const qint64 fromMs = from.isValid() ? from.toMSecsSinceEpoch() : LLONG_MIN;
    const qint64 toMs = to.isValid() ? to.toMSecsSinceEpoch() : LLONG_MAX;
    ChangeRowKey key;
    key.utcMs = row.utcMs;
    key.channel = qint16(row.change.channel);
    key.origin = quint8(row.change.origin);
    key.item = itemCode(row.change.item);
    return matches(key, fromMs, toMs, itemCode(item));
}

bool ChangeFilter::matches(const ChangeRowKey &key, qint64 fromMs, qint64 toMs, const std::array<char, 4> &code) const
{
    const bool any = block < 0 && channel < 0 && item.isEmpty(); // a program line has no channel or item
    return (any || key.channel >= 0) && (block < 0 || key.channel / kChannelsPerBlock == block)
           && (channel < 0 || key.channel == channel) && (item.isEmpty() || key.item == code)
           && (!origin || key.origin == quint8(*origin)) && key.utcMs >= fromMs && key.utcMs <= toMs;
}

ChangeFilePart ReadChangeFilePart(const QString &path)
{
    ChangeFilePart part;
    part.path = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        part.why = readFailure(path, file.errorString());
        return part;
    }
    part.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        part.why = readFailure(path, file.errorString());
        part.bytes.clear();
        return part;
    }
    if (part.bytes.size() > qint64(UINT_MAX)) {
        part.why = readFailure(path, QStringLiteral("the file is larger than 4 GB"));
        part.bytes.clear();
        return part;
    }
    const QByteArray &bytes = part.bytes;
    qsizetype start = 0;
    quint32 number = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        ++number;
        qsizetype stop = end;
        if (stop > start && bytes.at(stop - 1) == '\r')
            --stop;
        ChangeRow row;
        // The record is written in the files' code page only.
        const QString line = FromFileCodePage(QByteArray::fromRawData(bytes.constData() + start, stop - start));
        if (ChangeRowFromFields(SplitChangeFields(line), &row).isEmpty()) {
            ChangeRowKey key;
            key.utcMs = row.utcMs;
            key.offset = quint32(start);
            key.length = quint32(stop - start);
            key.line = number;
            key.channel = qint16(row.change.channel);
            key.origin = quint8(row.change.origin);
            key.item = itemCode(row.change.item);
            part.keys.push_back(key);
        } else if (number > 1) {
            ++part.unreadable;
        }
        start = end + 1;
    }
    std::reverse(part.keys.begin(), part.keys.end());
    return part;
}

QStringList ChangeMonthFilesNewestFirst(const QString &folder, QString *why)
{
    QDir dir(folder);
    if (!dir.exists()) {
        if (why)
            *why = readFailure(folder, QStringLiteral("the folder does not exist"));
        return {};
    }
    QStringList files;
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name | QDir::Reversed))
        if (IsChangeFileName(name))
            files << dir.filePath(name);
    return files;
}

void ChangeRecordReader::clear()
{
    m_keys.clear();
    m_paths.clear();
    m_bytes.clear();
    m_unreadable = 0;
}

bool ChangeRecordReader::addPart(ChangeFilePart part)
{
    if (!part.why.isEmpty())
        return false;
    const auto file = quint16(m_paths.size());
    for (ChangeRowKey &key : part.keys)
        key.file = file;
    m_keys.insert(m_keys.end(), part.keys.begin(), part.keys.end());
    m_paths.push_back(part.path);
    m_bytes.push_back(std::move(part.bytes));
    m_unreadable += part.unreadable;
    return true;
}

ChangeRow ChangeRecordReader::row(size_t index) const
{
    const ChangeRowKey &key = m_keys[index];
    const QByteArray &bytes = m_bytes[key.file];
    ChangeRow row;
    ChangeRowFromFields(SplitChangeFields(FromFileCodePage(bytes.mid(key.offset, key.length))), &row);
    row.file = m_paths[key.file];
    row.line = int(key.line);
    return row;
}

QStringList ChangeRecordReader::files() const
{
    return QStringList(m_paths.begin(), m_paths.end());
}

bool ChangeRecordReader::readFile(const QString &path, QString *why)
{
    clear();
    ChangeFilePart part = ReadChangeFilePart(path);
    if (why && !part.why.isEmpty())
        *why = part.why;
    return addPart(std::move(part));
}

bool ChangeRecordReader::readFolder(const QString &folder, QString *why)
{
    clear();
    QString failure;
    const QStringList files = ChangeMonthFilesNewestFirst(folder, &failure);
    bool ok = failure.isEmpty();
    for (const QString &path : files) {
        ChangeFilePart part = ReadChangeFilePart(path);
        if (!part.why.isEmpty() && ok) {
            failure = part.why;
            ok = false;
        }
        addPart(std::move(part));
    }
    if (why && !ok)
        *why = failure;
    return ok;
}

std::vector<int> ChangeRecordReader::filtered(const ChangeFilter &filter, size_t first) const
{
    // The bounds in UTC once, not once a row.
    const qint64 fromMs = filter.from.isValid() ? filter.from.toMSecsSinceEpoch() : LLONG_MIN;
    const qint64 toMs = filter.to.isValid() ? filter.to.toMSecsSinceEpoch() : LLONG_MAX;
    const std::array<char, 4> code = itemCode(filter.item);
    std::vector<int> kept;
    for (size_t i = first; i < m_keys.size(); ++i)
        if (filter.matches(m_keys[i], fromMs, toMs, code))
            kept.push_back(int(i));
    return kept;
}

} // namespace PLM_INC
