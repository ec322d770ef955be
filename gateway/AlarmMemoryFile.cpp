#include "AlarmMemoryFile.h"

#include "AlarmHistory.h"
#include "DiskWriter.h"
#include "HistoryFile.h"
#include "HistoryText.h"
#include "PLM_INC.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <cstdio>

using namespace PLM_INC;

namespace {

constexpr int kRecorded = 6; // the AlarmMemory slots that the history records, in its kinds' order
const char *const kKinds[kRecorded] = {"Alarm1", "Alarm2", "HB", "LP", "UPS", "DOWNS"};
const QByteArray kHeader = "PLM-870 gateway alarm memory: per channel alarm 1, alarm 2, HB, LP, UPS, DOWNS\n";

QByteArray memoryBytes()
{
    QByteArray bytes;
    for (int ch = 0; ch < kChannels; ++ch) {
        for (int slot = 0; slot < kRecorded; ++slot)
            bytes += AlarmMemory[ch][slot] == -1 ? '1' : '0';
        bytes += '\n';
    }
    return bytes;
}

struct Recorded {
    int ch, slot;
    bool on;
};

// A history line from its channel field on (`,"Ch005","Alarm 1 was turned on."` and the line
// end), as this run's names and code page write it, to what it records.
QHash<QByteArray, Recorded> recordedLines()
{
    QHash<QByteArray, Recorded> lines;
    for (int ch = 0; ch < kChannels; ++ch)
        for (int slot = 0; slot < kRecorded; ++slot)
            for (bool on : {true, false}) {
                const QString kind = QString::fromLatin1(kKinds[slot]);
                lines.insert(HistoryFileLine({QString(), HistoryChannelText(kind, ch), HistoryContentText(kind, on)}).mid(2),
                             {ch, slot, on});
            }
    return lines;
}

} // namespace

AlarmMemoryFile::AlarmMemoryFile(QString path) : path_(std::move(path))
{
    timer_.setInterval(kKeepCheckMs);
    connect(&timer_, &QTimer::timeout, this, &AlarmMemoryFile::keep);
    timer_.start();
}

bool AlarmMemoryFile::load(QString *why)
{
    kept_ = memoryBytes();
    QFile f(path_);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("The alarm memory \"%1\" cannot be read (%2): every alarm on is recorded again as turned on.")
                   .arg(path_, f.errorString());
        return false;
    }
    const QByteArray bytes = f.readAll();
    const int afterHistory = bytes.indexOf('\n', kHeader.size()) + 1;
    const QList<QByteArray> history = bytes.mid(kHeader.size(), afterHistory - kHeader.size() - 1).split(' ');
    const QList<QByteArray> lines = bytes.mid(afterHistory).split('\n');
    bool sized = false;
    const qint64 size = history.value(1).toLongLong(&sized);
    const bool sound = bytes.startsWith(kHeader) && afterHistory > 0 && history.size() == 2 && sized
                       && lines.size() == kChannels + 1 && lines.last().isEmpty()
                       && std::all_of(lines.begin(), lines.end() - 1, [](const QByteArray &l) {
                              return l.size() == kRecorded && l.count('0') + l.count('1') == kRecorded;
                          });
    if (!sound) {
        *why = QStringLiteral("The alarm memory \"%1\" is not one the gateway wrote: every alarm on is recorded again as turned on.")
                   .arg(path_);
        return false;
    }
    for (int ch = 0; ch < kChannels; ++ch)
        for (int slot = 0; slot < kRecorded; ++slot)
            AlarmMemory[ch][slot] = lines[ch][slot] == '1' ? -1 : 0;
    replay(QFileInfo(path_).dir().filePath(QFile::decodeName(history[0])), size);
    kept_ = memoryBytes();
    return true;
}

// The lines a run wrote after its last memory and before it was killed.
void AlarmMemoryFile::replay(const QString &history, qint64 from)
{
    QFile f(history);
    if (!f.open(QIODevice::ReadOnly) || f.size() <= from || !f.seek(from))
        return;
    const QHash<QByteArray, Recorded> recorded = recordedLines();
    while (!f.atEnd()) {
        const QByteArray line = f.readLine();
        const int comma = line.indexOf("\",\"");
        const auto it = comma < 0 ? recorded.end() : recorded.find(line.mid(comma + 1));
        if (it != recorded.end())
            AlarmMemory[it->ch][it->slot] = it->on ? -1 : 0;
    }
}

void AlarmMemoryFile::keep()
{
    QByteArray conditions = memoryBytes();
    if (conditions == kept_)
        return;
    kept_ = conditions;
    // Made on the disk writer's thread after the history lines of these changes: the history
    // file's size is then where the memory's record ends.
    const QString history = HistoryFileName;
    diskWriter().replaceMade(
        path_,
        [history, conditions](const QString &, QString *) {
            const QFileInfo file(history);
            return kHeader + QFile::encodeName(file.fileName()) + ' ' + QByteArray::number(file.size()) + '\n' + conditions;
        },
        QByteArrayLiteral("the alarm memory"),
        [](const QString &why) { std::fprintf(stderr, "The alarm memory cannot be kept: %s\n", qPrintable(why)); });
}
