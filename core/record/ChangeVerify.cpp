#include "ChangeVerify.h"

#include "ChangeLine.h"
#include "ChangeRecordReader.h"
#include "ChangeWitness.h"
#include "CountText.h"
#include "FileCodePage.h"

#include <QDate>
#include <algorithm>
#include <climits>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <atomic>
#include <thread>

namespace PLM_INC {

namespace {

// What is wrong with a line's sequence number after `lastSeq` (0: none known); "" when nothing.
QString seqProblem(qint64 seq, qint64 lastSeq)
{
    if (seq == 0)
        return lastSeq > 0 ? QStringLiteral("it carries no sequence number, though a line before it carries %1.").arg(lastSeq)
                           : QString();
    if (lastSeq == 0 || seq == lastSeq + 1)
        return QString();
    if (seq > lastSeq + 1)
        return QStringLiteral("its sequence number %1 does not follow %2: %3 before it (removed, or the "
                              "record was written again from an edited line).")
            .arg(seq)
            .arg(lastSeq)
            .arg(CountText(int(std::min<qint64>(seq - lastSeq - 1, INT_MAX)), "line is missing", "lines are missing"));
    return QStringLiteral("its sequence number %1 does not follow %2 (a number used again, or lines put in "
                          "another order).")
        .arg(seq)
        .arg(lastSeq);
}

// Whether `later` is a month file of the folder `earlier` is in, of a later month: the
// sequence numbers of the one go on in the other.
bool numbersGoOn(const QString &earlier, const QString &later)
{
    const QFileInfo a(earlier);
    const QFileInfo b(later);
    return IsChangeFileName(a.fileName()) && IsChangeFileName(b.fileName()) && a.absolutePath() == b.absolutePath()
           && a.fileName() < b.fileName();
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

ChangeFileCheck VerifyChangeFile(const QString &path, qint64 seqBefore, std::vector<NumberedLine> *numbered)
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
    const QByteArray oldColumns = ChangeColumnLineWithoutSeq();
    const qsizetype columnsSize = bytes.startsWith(columns) ? columns.size()
                                  : bytes.startsWith(oldColumns) ? oldColumns.size()
                                                                 : 0;
    if (columnsSize == 0) {
        check.why = QStringLiteral("is not a change record: its first line is not the column line.");
        return check;
    }

    const auto problem = [&](int number, const QByteArray &line, const QString &why) {
        check.problems.push_back({number, why, FromFileCodePage(line)});
    };
    QByteArray previous = kChangeChainStart;
    qint64 lastSeq = seqBefore;
    int number = 1;
    for (qsizetype start = columnsSize; start < bytes.size();) {
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
        const QStringList texts = SplitChangeFields(FromFileCodePage(line));
        ChangeRow row;
        QString why;
        if (hash != ChangeHash(previous, fields))
            why = QStringLiteral("its hash is not the one that follows from the line before it (the line, or one "
                                 "before it, was changed or removed).");
        else if (!crlf)
            why = QStringLiteral("the line is not ended with CR LF (an unfinished line).");
        else if ((why = ChangeRowFromFields(texts, &row)).isEmpty())
            why = seqProblem(row.seq, lastSeq);
        if (why.isEmpty())
            ++check.changes;
        else
            problem(number, line, why);
        previous = hash; // the writer chained the next line from the hash this one carries
        if (const qint64 seq = ChangeSeqOfFields(texts); seq > 0) {
            lastSeq = seq; // and numbered the next one after this one
            if (numbered)
                numbered->push_back({seq, hash, QStringLiteral("%1 line %2").arg(QFileInfo(path).fileName()).arg(number)});
            check.lastSeq = seq;
            if (check.firstSeq == 0)
                check.firstSeq = seq;
        }
    }
    check.ok = check.problems.empty();
    return check;
}

ChangeRecordCheck VerifyChangeRecord(const QStringList &paths, std::vector<NumberedLine> *numbered,
                                     const std::function<bool(int done, int total)> &progress)
{
    ChangeRecordCheck record;
    QStringList files;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            const QStringList months = monthFiles(path, &record.missingMonths);
            if (months.isEmpty())
                record.refused << QStringLiteral("%1: holds no month file of the change record.")
                                      .arg(QDir::toNativeSeparators(path));
            files << months;
        } else if (info.exists()) {
            files << path;
        } else {
            record.refused << QStringLiteral("%1: no such file or folder.").arg(QDir::toNativeSeparators(path));
        }
    }
    // Where each month file's numbers go on from: the number the file before it ends with, as
    // the writer finds it. Then the files are checked side by side, each on its own.
    std::vector<qint64> seqBefore(size_t(files.size()), 0);
    for (qsizetype i = 1; i < files.size(); ++i)
        if (numbersGoOn(files[i - 1], files[i])) {
            QByteArray hash;
            bool empty = true;
            QString why;
            ChangeChainEnd(files[i - 1], &hash, &empty, &why, nullptr, &seqBefore[size_t(i)]);
        }
    record.files.resize(size_t(files.size()));
    std::vector<std::vector<NumberedLine>> numberedOf(size_t(files.size()));
    std::atomic<int> next{0};
    std::atomic<int> done{0};
    std::atomic<bool> stopped{false};
    const auto work = [&] {
        for (int i = next++; i < files.size() && !stopped; i = next++) {
            record.files[size_t(i)] = VerifyChangeFile(files[i], seqBefore[size_t(i)], numbered ? &numberedOf[size_t(i)] : nullptr);
            if (progress && !progress(++done, int(files.size())))
                stopped = true;
        }
    };
    std::vector<std::thread> threads(size_t(std::clamp(QThread::idealThreadCount(), 1, int(files.size()))) - 1);
    for (std::thread &t : threads)
        t = std::thread(work);
    work();
    for (std::thread &t : threads)
        t.join();
    if (stopped) // the files not checked are not reported
        record.files.erase(std::remove_if(record.files.begin(), record.files.end(),
                                          [](const ChangeFileCheck &f) { return f.path.isEmpty(); }),
                           record.files.end());
    if (numbered)
        for (const std::vector<NumberedLine> &lines : numberedOf)
            numbered->insert(numbered->end(), lines.begin(), lines.end());
    return record;
}

QString ChangeCheckText(const ChangeFileCheck &check)
{
    const QString name = QDir::toNativeSeparators(check.path);
    if (!check.why.isEmpty())
        return QStringLiteral("%1: %2").arg(name, check.why);
    QString follow = CountText(check.changes, "change follows", "changes follow") + QStringLiteral(" the chain");
    if (check.firstSeq > 0 && check.firstSeq == check.lastSeq)
        follow += QStringLiteral(" (sequence number %1)").arg(check.firstSeq);
    else if (check.firstSeq > 0)
        follow += QStringLiteral(" (sequence numbers %1 to %2)").arg(check.firstSeq).arg(check.lastSeq);
    follow += QLatin1Char('.');
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
