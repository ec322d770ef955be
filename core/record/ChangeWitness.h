// The change record compared with a second record kept outside the PC: the messages of
// <prefix>/changes as a subscriber kept them, one JSON message a line (after its topic and a
// space, as `mosquitto_sub -v` writes them, or alone, as a historian does). Lines and messages
// are matched by their sequence numbers, from the first number kept on: a line the messages
// lack, a message the record lacks (lines removed from the end of a file, a month removed) and
// a line whose hash differs from its message's (a line changed and the record hashed again)
// are named, each run of numbers once.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace PLM_INC {

// A line of the record that carries a sequence number.
struct NumberedLine {
    qint64 seq = 0;
    QByteArray hash;
    QString where; // "2026_12.csv line 5"
};

struct WitnessComparison {
    QString keptPath;
    QString why;          // the kept messages cannot be read, or hold none of the record
    qint64 firstKept = 0; // the lowest number among the messages kept
    int agreeing = 0;     // numbers whose line and message carry one hash
    int older = 0;        // lines numbered before the first message kept: not compared
    QStringList differences;
    bool ok() const { return why.isEmpty() && differences.isEmpty(); }
};

WitnessComparison CompareWithWitness(const std::vector<NumberedLine> &record, const QString &keptPath);
// For the command line: a result line, then each difference on a line of its own.
QStringList WitnessComparisonLines(const WitnessComparison &comparison);

} // namespace PLM_INC
