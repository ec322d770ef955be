#include "ChangeLine.h"

#include "FileCodePage.h"
#include "FileStamps.h"
#include "PLM_INC.h"
#include "SettingChange.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>

namespace PLM_INC {

const QByteArray kChangeChainStart(64, '0');

namespace {

constexpr int kHashSize = 64;
// The tail read for the last hash: far more than one line.
constexpr qint64 kTailBytes = 64 * 1024;

QString quoted(QString text)
{
    // One line a change, whatever a field holds.
    text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

bool isHexHash(const QByteArray &text)
{
    if (text.size() != kHashSize)
        return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

// A text a spreadsheet would run as a formula (or one that starts with the guard itself).
bool needsGuard(const QString &text)
{
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    if (c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('@') || c == QLatin1Char('\''))
        return true;
    return c == QLatin1Char('-') && !(text.size() > 1 && text[1].isDigit());
}

} // namespace

QString GuardedChangeText(const QString &text)
{
    return needsGuard(text) ? QLatin1Char('\'') + text : text;
}

QString UnguardedChangeText(const QString &text)
{
    return text.startsWith(QLatin1Char('\'')) && needsGuard(text.mid(1)) ? text.mid(1) : text;
}

QString ChangeFileName(const QDate &month)
{
    return QStringLiteral("%1_%2.csv").arg(month.year(), 4, 10, QLatin1Char('0')).arg(month.month(), 2, 10, QLatin1Char('0'));
}

bool IsChangeFileName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9]{4}_(0[1-9]|1[0-2])\\.csv$"));
    return pattern.match(name).hasMatch();
}

namespace {

QStringList columnNames()
{
    return {
        QStringLiteral("Time"),   QStringLiteral("ISO time"), QStringLiteral("Block"),  QStringLiteral("Channel"),
        QStringLiteral("Item"),   QStringLiteral("Item name"), QStringLiteral("Before"), QStringLiteral("After"),
        QStringLiteral("Origin"), QStringLiteral("Who"),      QStringLiteral("Outcome"), QStringLiteral("Seq"),
        QStringLiteral("Hash"),
    };
}

} // namespace

QByteArray ChangeColumnLine()
{
    return ChangeFieldBytes(columnNames()) + "\r\n";
}

QByteArray ChangeColumnLineWithoutSeq()
{
    QStringList columns = columnNames();
    columns.removeAt(kChangeSeq);
    return ChangeFieldBytes(columns) + "\r\n";
}

qint64 ChangeSeqOfFields(const QStringList &fields)
{
    if (fields.size() == kChangeColumnsWithoutSeq)
        return 0;
    if (fields.size() != kChangeColumns)
        return -1;
    const QString &text = fields[kChangeSeq];
    bool ok = !text.isEmpty() && text[0] != QLatin1Char('0') && text[0] != QLatin1Char('+');
    const qint64 seq = ok ? text.toLongLong(&ok) : 0;
    return ok && seq > 0 ? seq : -1;
}

QStringList ChangeFieldTexts(const SettingChange &change, const QString &user, const QLocale &locale)
{
    const QDateTime at = change.at;
    const bool program = IsProgramLine(change.origin); // no block, channel, item, values or outcome
    QStringList texts;
    texts << FileStampText(at.toLocalTime(), locale)
          << at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODate)
          << (program ? QString() : QString::number(change.channel / kChannelsPerBlock + 1))
          << (program ? QString() : QString::number(change.channel + 1)) << (program ? QString() : change.item)
          << (program ? QString() : ItemNameOnPages(change.item)) << GuardedChangeText(change.before)
          << GuardedChangeText(change.after) << RecordedOriginText(change)
          << GuardedChangeText(change.user.isEmpty() ? user : change.user)
          << (program ? QString() : WriteOutcomeText(change.outcome));
    return texts;
}

QByteArray ChangeFieldBytes(const QStringList &texts)
{
    QString line;
    for (const QString &text : texts) {
        if (!line.isEmpty())
            line += QLatin1Char(',');
        line += quoted(text);
    }
    return ToFileCodePage(line);
}

QByteArray ChangeHash(const QByteArray &previousHash, const QByteArray &fieldBytes)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(previousHash);
    hash.addData(fieldBytes);
    return hash.result().toHex();
}

QByteArray ChangeLine(const QByteArray &previousHash, const QByteArray &fieldBytes)
{
    return fieldBytes + ",\"" + ChangeHash(previousHash, fieldBytes) + "\"\r\n";
}

QByteArray SplitChangeLine(const QByteArray &line, QByteArray *fieldBytes)
{
    // ...,"<64 hex digits>"
    const qsizetype tail = kHashSize + 3;
    if (line.size() <= tail || !line.endsWith('"') || line.at(line.size() - tail) != ','
        || line.at(line.size() - tail + 1) != '"')
        return QByteArray();
    const QByteArray hash = line.mid(line.size() - kHashSize - 1, kHashSize);
    if (!isHexHash(hash))
        return QByteArray();
    if (fieldBytes)
        *fieldBytes = line.left(line.size() - tail);
    return hash;
}

QStringList SplitChangeFields(const QString &line)
{
    QStringList fields;
    const qsizetype n = line.size();
    qsizetype i = 0;
    for (;;) {
        QString field;
        if (i < n && line[i] == QLatin1Char('"')) {
            // Quoted: up to the quote that is not doubled; a doubled one is a quote of the text.
            ++i;
            for (;;) {
                const qsizetype quote = line.indexOf(QLatin1Char('"'), i);
                if (quote < 0) {
                    field += QStringView(line).mid(i);
                    i = n;
                    break;
                }
                field += QStringView(line).mid(i, quote - i);
                i = quote + 1;
                if (i < n && line[i] == QLatin1Char('"')) {
                    field += QLatin1Char('"');
                    ++i;
                } else {
                    break;
                }
            }
        }
        const qsizetype comma = line.indexOf(QLatin1Char(','), i);
        field += QStringView(line).mid(i, (comma < 0 ? n : comma) - i);
        fields << field;
        if (comma < 0)
            return fields;
        i = comma + 1;
    }
}

int CountChangeFields(const QByteArray &line)
{
    int fields = 1;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"')
            quoted = !quoted; // a doubled quote toggles twice
        else if (c == ',' && !quoted)
            ++fields;
    }
    return fields;
}

bool ChangeChainEnd(const QString &path, QByteArray *hash, bool *empty, QString *why, QDateTime *lastAt,
                    qint64 *lastSeq)
{
    if (lastAt)
        *lastAt = QDateTime();
    if (lastSeq)
        *lastSeq = 0;
    *hash = kChangeChainStart;
    *empty = true;
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("Cannot read \"%1\": %2.").arg(path, file.errorString());
        return false;
    }
    const qint64 size = file.size();
    *empty = size == 0;
    if (size > kTailBytes && !file.seek(size - kTailBytes)) {
        *why = QStringLiteral("Cannot read \"%1\": %2.").arg(path, file.errorString());
        return false;
    }
    const QByteArray tail = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *why = QStringLiteral("Cannot read \"%1\": %2.").arg(path, file.errorString());
        return false;
    }
    // The last line that carries a hash; an unfinished line after it (a power cut) is passed
    // over here and named by the check.
    const QList<QByteArray> lines = tail.split('\n');
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        QByteArray line = *it;
        if (line.endsWith('\r'))
            line.chop(1);
        const QByteArray last = SplitChangeLine(line);
        if (!last.isEmpty()) {
            *hash = last;
            if (lastAt || lastSeq) {
                const QStringList fields = SplitChangeFields(FromFileCodePage(line));
                if (lastAt && fields.size() >= kChangeColumnsWithoutSeq)
                    *lastAt = QDateTime::fromString(fields[kChangeIsoTime], Qt::ISODate);
                if (lastSeq)
                    *lastSeq = std::max<qint64>(0, ChangeSeqOfFields(fields));
            }
            return true;
        }
    }
    return true;
}

} // namespace PLM_INC
