#include "ChangeVerify.h"

#include "ChangeLine.h"
#include "ChangeRecordReader.h"
#include "CountText.h"
#include "FileCodePage.h"

#include <QDate>
#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace PLM_INC {

namespace {

// What is wrong with the fields of a change line that carries the right hash; "" when nothing.
QString fieldProblem(const QByteArray &line)
{
    ChangeRow row;
    return ChangeRowFromFields(SplitChangeFields(FromFileCodePage(line)), &row);
}

ChangeFileCheck unreadable(const QString &path, const QFile &file)
{
    ChangeFileCheck check;
    check.path = path;
    check.why = QStringLiteral("cannot be read: %1.").arg(file.errorString());
    return check;
}

// The month files of a folder, oldest first, and the months missing between the first and the last.
QStringList monthFiles(const QString &folder, QStringList *missing)
{
    QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    names.erase(std::remove_if(names.begin(), names.end(), [](const QString &n) { return !IsChangeFileName(n); }),
                names.end());
    QStringList files;
    QDate expected;
    for (const QString &name : names) {
        const QDate month(name.left(4).toInt(), name.mid(5, 2).toInt(), 1);
        for (QDate m = expected; m.isValid() && m < month; m = m.addMonths(1))
            *missing << QDir(folder).filePath(ChangeFileName(m));
        expected = month.addMonths(1);
        files << QDir(folder).filePath(name);
    }
    return files;
}

} // namespace

bool ChangeRecordCheck::ok() const
{
    return refused.isEmpty() && std::all_of(files.begin(), files.end(), [](const ChangeFileCheck &f) { return f.ok; });
}

ChangeFileCheck VerifyChangeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return unreadable(path, file);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return unreadable(path, file);
    ChangeFileCheck check;
    check.path = path;
    const QByteArray columns = ChangeColumnLine();
    if (bytes.isEmpty()) {
        check.why = QStringLiteral("the file is empty: it has no column line.");
        return check;
    }
    if (!bytes.startsWith(columns)) {
        check.why = QStringLiteral("is not a change record: its first line is not the column line.");
        return check;
    }

    const auto problem = [&](int number, const QByteArray &line, const QString &why) {
        check.problems.push_back({number, why, FromFileCodePage(line)});
    };
    QByteArray previous = kChangeChainStart;
    int number = 1;
    for (qsizetype start = columns.size(); start < bytes.size();) {
        ++number;
        qsizetype end = bytes.indexOf('\n', start);
        const bool ended = end >= 0;
        if (!ended)
            end = bytes.size();
        const bool crlf = ended && end > start && bytes.at(end - 1) == '\r';
        const QByteArray line = bytes.mid(start, end - start - (crlf ? 1 : 0));
        start = end + 1;
        QByteArray fields;
        const QByteArray hash = SplitChangeLine(line, &fields);
        if (hash.isEmpty()) {
            // A line cut short (a power cut): the writer ends it and chains the next line from
            // the hash before it, and so does the check.
            problem(number, line, QStringLiteral("it carries no hash (an unfinished line)."));
            continue;
        }
        if (hash != ChangeHash(previous, fields))
            problem(number, line,
                    QStringLiteral("its hash is not the one that follows from the line before it (the line, or one "
                                   "before it, was changed or removed)."));
        else if (!crlf)
            problem(number, line, QStringLiteral("the line is not ended with CR LF (an unfinished line)."));
        else if (const QString why = fieldProblem(line); !why.isEmpty())
            problem(number, line, why);
        else
            ++check.changes;
        previous = hash; // the writer chained the next line from the hash this one carries
    }
    check.ok = check.problems.empty();
    return check;
}

ChangeRecordCheck VerifyChangeRecord(const QStringList &paths)
{
    ChangeRecordCheck record;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            const QStringList files = monthFiles(path, &record.missingMonths);
            if (files.isEmpty())
                record.refused << QStringLiteral("%1: holds no month file of the change record.")
                                      .arg(QDir::toNativeSeparators(path));
            for (const QString &file : files)
                record.files.push_back(VerifyChangeFile(file));
        } else if (info.exists()) {
            record.files.push_back(VerifyChangeFile(path));
        } else {
            record.refused << QStringLiteral("%1: no such file or folder.").arg(QDir::toNativeSeparators(path));
        }
    }
    return record;
}

QString ChangeCheckText(const ChangeFileCheck &check)
{
    const QString name = QDir::toNativeSeparators(check.path);
    if (!check.why.isEmpty())
        return QStringLiteral("%1: %2").arg(name, check.why);
    const QString follow = CountText(check.changes, "change follows", "changes follow") + QStringLiteral(" the chain.");
    if (check.ok)
        return QStringLiteral("%1: OK, %2").arg(name, follow);
    QString text = QStringLiteral("%1: %2, %3")
                       .arg(name, CountText(int(check.problems.size()), "line does not follow", "lines do not follow"),
                            follow);
    for (const ChangeLineProblem &p : check.problems)
        text += QStringLiteral("\n  line %1 does not follow: %2\n  %3").arg(QString::number(p.line), p.why, p.text);
    return text;
}

QStringList ChangeRecordCheckLines(const ChangeRecordCheck &check)
{
    QStringList lines = check.refused;
    for (const ChangeFileCheck &file : check.files)
        lines << ChangeCheckText(file);
    for (const QString &month : check.missingMonths)
        lines << MissingMonthText(month);
    return lines;
}

QString MissingMonthText(const QString &path)
{
    return QStringLiteral("%1: no file, though months before and after it have one (no change that month, or the "
                          "file was removed).")
        .arg(QDir::toNativeSeparators(path));
}

} // namespace PLM_INC
