// The change record file: text in the files' code page (FileCodePage.h), CR LF line ends, every
// field in double quotes (a quote inside a field doubled), fields separated by commas. The
// first line names the columns; every line after it is one change and ends with its sequence
// number (one more than the line before it, across months and files) and the hex SHA-256 of
// the previous line's hash followed by this line's bytes up to the comma before its own hash.
// The first change of a file chains from kChangeChainStart. Lines written before sequence
// numbers were kept have no such column (kChangeColumnsWithoutSeq fields), and a file begun
// then keeps its column line. docs/change-record.md.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace PLM_INC {

struct SettingChange;

// The columns of a change line, in file order.
enum ChangeColumn {
    kChangeTime,     // the files' stamp (FileStamps.h)
    kChangeIsoTime,  // the same moment, ISO 8601 with its offset from UTC
    kChangeBlock,    // 1..16
    kChangeChannel,  // 1..320
    kChangeItem,     // the item code
    kChangeItemName, // as the pages name it
    kChangeBefore,
    kChangeAfter,
    kChangeOrigin,
    kChangeWho,
    kChangeOutcome,
    kChangeSeq,      // 1, 2, ...: one more than the line before it in the record
    kChangeHash,
    kChangeColumns
};
// The fields of a line written before sequence numbers were kept: no kChangeSeq.
constexpr int kChangeColumnsWithoutSeq = kChangeColumns - 1;

// 64 zeros: what the first change of every file chains from.
extern const QByteArray kChangeChainStart;

// "2026_12.csv": the file of a month; whether a name is one.
QString ChangeFileName(const QDate &month);
bool IsChangeFileName(const QString &name);

// A text field as the file holds it: one a spreadsheet would run as a formula ("=", "+", "@",
// or "-" not followed by a digit) gets a leading "'", as does one that starts with "'"
// already; UnguardedChangeText gives the text back.
QString GuardedChangeText(const QString &text);
QString UnguardedChangeText(const QString &text);

// The column line, with its line end; that of a file begun before sequence numbers were kept.
QByteArray ChangeColumnLine();
QByteArray ChangeColumnLineWithoutSeq();
// The texts of a change's fields, its sequence number and hash left out.
QStringList ChangeFieldTexts(const SettingChange &change, const QString &user, const QLocale &locale);
// The fields quoted and joined, in the file's code page, without line end or hash.
QByteArray ChangeFieldBytes(const QStringList &texts);
// The hex SHA-256 that follows `previousHash` with these field bytes.
QByteArray ChangeHash(const QByteArray &previousHash, const QByteArray &fieldBytes);
// The whole line: the fields, the hash, CR LF.
QByteArray ChangeLine(const QByteArray &previousHash, const QByteArray &fieldBytes);
// The hash a line (without its line end) carries, and its field bytes before it; empty when
// the line carries none.
QByteArray SplitChangeLine(const QByteArray &line, QByteArray *fieldBytes = nullptr);
// The fields of a line (without its line end) as text.
QStringList SplitChangeFields(const QString &line);
// The number of fields of a line's bytes, hash included.
int CountChangeFields(const QByteArray &line);

// What a new line of the file chains from: the hash of its last change (kChangeChainStart when
// it has none) and whether the file is still empty (missing or no bytes), so that the column
// line goes first. False, with what failed and the system's reason in `why`, when the file
// exists and cannot be read.
// `lastAt`, when given, gets the time (ISO time column) of that last change; invalid when none;
// `lastSeq` its sequence number, 0 when none or when the line carries none.
bool ChangeChainEnd(const QString &path, QByteArray *hash, bool *empty, QString *why, QDateTime *lastAt = nullptr,
                    qint64 *lastSeq = nullptr);
// The sequence number of a line's fields (hash included); 0 when they carry none (a line of the
// old form), -1 when the field is there and is no sequence number.
qint64 ChangeSeqOfFields(const QStringList &fields);

} // namespace PLM_INC
