#include "ChangeRecordReader.h"

#include "ChangeLine.h"
#include "FileCodePage.h"
#include "PLM_INC.h"

#include <QDir>
#include <QFile>
#include <algorithm>

namespace PLM_INC {

namespace {

bool rowFromFields(const QStringList &fields, ChangeRow *row)
{
    if (fields.size() != kChangeColumns)
        return false;
    bool blockOk = false;
    bool channelOk = false;
    const int channel = fields[kChangeChannel].toInt(&channelOk) - 1;
    const int block = fields[kChangeBlock].toInt(&blockOk) - 1;
    if (!blockOk || !channelOk || channel < 0 || channel >= kChannels || block != channel / kChannelsPerBlock)
        return false;
    SettingChange &c = row->change;
    if (!ChangeOriginFromText(fields[kChangeOrigin], &c.origin) || !WriteOutcomeFromText(fields[kChangeOutcome], &c.outcome))
        return false;
    c.at = QDateTime::fromString(fields[kChangeIsoTime], Qt::ISODate);
    if (!c.at.isValid())
        return false;
    c.channel = channel;
    c.item = fields[kChangeItem];
    c.before = fields[kChangeBefore];
    c.after = fields[kChangeAfter];
    c.user = fields[kChangeWho];
    row->stamp = fields[kChangeTime];
    row->itemName = fields[kChangeItemName];
    return true;
}

QString readFailure(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot read \"%1\": %2.").arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

bool ChangeFilter::matches(const ChangeRow &row) const
{
    const SettingChange &c = row.change;
    return (block < 0 || c.channel / kChannelsPerBlock == block) && (channel < 0 || c.channel == channel)
           && (item.isEmpty() || c.item == item) && (!origin || c.origin == *origin)
           && (!from.isValid() || c.at >= from) && (!to.isValid() || c.at <= to);
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
    const QString text = FileTextDecoder(bytes)(bytes);
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
        if (rowFromFields(SplitChangeFields(text.mid(start, stop - start)), &row)) {
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
    std::vector<int> kept;
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (filter.matches(m_rows[i]))
            kept.push_back(int(i));
    return kept;
}

} // namespace PLM_INC
