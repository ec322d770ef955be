#include "AlarmMemoryFile.h"

#include "AlarmHistory.h"
#include "ChecksumLine.h"
#include "DiskWriter.h"
#include "HistoryFile.h"
#include "HistoryText.h"
#include "PLM_INC.h"
#include "QuietLog.h"

#include <QPointer>

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
    const QByteArray bytes = CheckedContent(f.readAll());
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
        *why = QStringLiteral("The alarm memory \"%1\" is not one the gateway wrote, or fails its checksum: every alarm "
                              "on is recorded again as turned on.")
                   .arg(path_);
        return false;
    }
    for (int ch = 0; ch < kChannels; ++ch)
        for (int slot = 0; slot < kRecorded; ++slot)
            AlarmMemory[ch][slot] = lines[ch][slot] == '1' ? -1 : 0;
    const QString historyPath = QFileInfo(path_).dir().filePath(QFile::decodeName(history[0]));
    if (!agreesWithHistory(historyPath, size)) {
        for (int ch = 0; ch < kChannels; ++ch)
            for (int slot = 0; slot < kRecorded; ++slot)
                AlarmMemory[ch][slot] = 0;
        *why = QStringLiteral("The alarm memory \"%1\" does not agree with the history file it names (%2): every alarm "
                              "on is recorded again as turned on.")
                   .arg(path_, historyPath);
        return false;
    }
    replay(historyPath, size);
    kept_ = memoryBytes();
    return true;
}

// The memory as loaded against the history file it names, up to the size it names: the last
// line of each condition there must say what the memory says. A history file that is gone
// (moved away, archived) cannot disagree.
bool AlarmMemoryFile::agreesWithHistory(const QString &history, qint64 size) const
{
    QFile f(history);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly) || f.size() < size)
        return false; // shorter than when the memory was written: not the file it names
    const QHash<QByteArray, Recorded> recorded = recordedLines();
    QHash<int, bool> last; // ch * kRecorded + slot: on, as the last line up to `size` says
    while (!f.atEnd()) {
        const QByteArray line = f.readLine();
        if (f.pos() > size)
            break;
        const int comma = line.indexOf("\",\"");
        const auto it = comma < 0 ? recorded.end() : recorded.find(line.mid(comma + 1));
        if (it != recorded.end())
            last[it->ch * kRecorded + it->slot] = it->on;
    }
    for (auto it = last.cbegin(); it != last.cend(); ++it)
        if ((AlarmMemory[it.key() / kRecorded][it.key() % kRecorded] == -1) != it.value())
            return false;
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
    QPointer<AlarmMemoryFile> self(this);
    diskWriter().replaceMade(
        path_,
        [history, conditions](const QString &, QString *) {
            const QFileInfo file(history);
            const QByteArray content =
                kHeader + QFile::encodeName(file.fileName()) + ' ' + QByteArray::number(file.size()) + '\n' + conditions;
            return WithChecksumLine(content);
        },
        QByteArrayLiteral("the alarm memory"),
        [self](const QString &why) {
            // Tried again at the next look: a restart must not repeat or miss edges for a
            // memory that never reached the disk.
            if (self)
                self->kept_.clear();
            quietLog().tell(QStringLiteral("alarm memory"), QStringLiteral("The alarm memory cannot be kept: %1").arg(why));
        });
}
