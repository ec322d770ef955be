#include "ChangeWitness.h"

#include "CountText.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>

namespace PLM_INC {

namespace {

struct Kept {
    QByteArray hash;
    int line = 0; // of the kept file, from 1
};

// What a number of the union is: in both with one hash, in both with two, in one only.
enum class Side { Agree, Differ, RecordOnly, KeptOnly };

QString runText(Side side, qint64 first, qint64 last, const QString &where, const QString &keptWhere)
{
    const QString numbers = first == last ? QStringLiteral("Sequence number %1").arg(first)
                                          : QStringLiteral("Sequence numbers %1 to %2").arg(first).arg(last);
    switch (side) {
    case Side::Differ:
        return QStringLiteral("%1 (from %2, message line %3): the record's hash is not the message's (the line was "
                              "changed and the record hashed again).")
            .arg(numbers, where, keptWhere);
    case Side::RecordOnly:
        return QStringLiteral("%1 (from %2): in the record, not among the messages kept (not yet delivered, or "
                              "lines added to the record afterwards).")
            .arg(numbers, where);
    case Side::KeptOnly:
        return QStringLiteral("%1 (from message line %2): among the messages kept, not in the record (removed: from "
                              "the end of a file, with a month, or the record was written again).")
            .arg(numbers, keptWhere);
    case Side::Agree:
        break;
    }
    return QString();
}

} // namespace

WitnessComparison CompareWithWitness(const std::vector<NumberedLine> &record, const QString &keptPath)
{
    WitnessComparison c;
    c.keptPath = keptPath;
    QFile file(keptPath);
    if (!file.open(QIODevice::ReadOnly)) {
        c.why = QStringLiteral("cannot be read: %1.").arg(file.errorString());
        return c;
    }
    std::map<qint64, Kept> kept;
    int number = 0;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        ++number;
        const qsizetype brace = line.indexOf('{');
        if (brace < 0)
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line.mid(brace)).object();
        const qint64 seq = o.value(QStringLiteral("seq")).toInteger();
        const QByteArray hash = o.value(QStringLiteral("hash")).toString().toLatin1();
        if (seq <= 0 || hash.isEmpty())
            continue; // not a message of the change record
        const auto [at, added] = kept.emplace(seq, Kept{hash, number});
        if (!added && at->second.hash != hash)
            c.differences << QStringLiteral("Sequence number %1: message lines %2 and %3 carry different hashes (two "
                                            "records publish under one prefix).")
                                 .arg(seq)
                                 .arg(at->second.line)
                                 .arg(number);
    }
    if (kept.empty()) {
        c.why = QStringLiteral("holds no message of the change record (none with a sequence number and a hash).");
        return c;
    }
    c.firstKept = kept.begin()->first;
    std::map<qint64, const NumberedLine *> lines;
    for (const NumberedLine &line : record) {
        if (line.seq < c.firstKept)
            ++c.older;
        else
            lines.emplace(line.seq, &line);
    }

    // Both in order of their numbers; each run of one kind named once.
    auto l = lines.begin();
    auto k = kept.begin();
    Side runSide = Side::Agree;
    qint64 runFirst = 0, runLast = 0;
    QString runWhere, runKeptWhere;
    const auto endRun = [&] {
        if (runSide != Side::Agree && runFirst > 0)
            c.differences << runText(runSide, runFirst, runLast, runWhere, runKeptWhere);
        runFirst = 0;
    };
    while (l != lines.end() || k != kept.end()) {
        const qint64 seq = k == kept.end() ? l->first : l == lines.end() ? k->first : std::min(l->first, k->first);
        const bool inRecord = l != lines.end() && l->first == seq;
        const bool inKept = k != kept.end() && k->first == seq;
        const Side side = inRecord && inKept ? (l->second->hash == k->second.hash ? Side::Agree : Side::Differ)
                          : inRecord         ? Side::RecordOnly
                                             : Side::KeptOnly;
        if (side == Side::Agree)
            ++c.agreeing;
        if (side != runSide || seq != runLast + 1) {
            endRun();
            runSide = side;
            runFirst = seq;
            runWhere = inRecord ? l->second->where : QString();
            runKeptWhere = inKept ? QString::number(k->second.line) : QString();
        }
        runLast = seq;
        if (inRecord)
            ++l;
        if (inKept)
            ++k;
    }
    endRun();
    return c;
}

QStringList WitnessComparisonLines(const WitnessComparison &c)
{
    const QString name = QDir::toNativeSeparators(c.keptPath);
    if (!c.why.isEmpty())
        return {QStringLiteral("Compared with %1: it %2").arg(name, c.why)};
    QString head = QStringLiteral("Compared with %1: %2 with the messages kept")
                       .arg(name, CountText(c.agreeing, "line agrees", "lines agree"));
    if (c.older > 0)
        head += QStringLiteral("; %1 before the first message kept (number %2), not compared")
                    .arg(CountText(c.older, "line numbered", "lines numbered"))
                    .arg(c.firstKept);
    head += c.differences.isEmpty() ? QStringLiteral(".") : QStringLiteral("; %1:").arg(CountText(int(c.differences.size()), "difference", "differences"));
    QStringList lines{head};
    for (const QString &d : c.differences)
        lines << QStringLiteral("  ") + d;
    return lines;
}

} // namespace PLM_INC
