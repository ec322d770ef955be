#include "AlarmHistory.h"

#include "Clock.h"
#include "DiskWriter.h"
#include "HistoryFile.h"
#include "HistoryText.h"
#include "PLM_INC.h"
#include "Prompter.h"

#include <QDir>
#include <map>

using namespace PLM_INC;

namespace {

struct Condition {
    int16_t mask;
    const char *kind; // nullptr: followed, not recorded
};

// In the order they are examined; the index is the AlarmMemory slot.
constexpr Condition kConditions[kAlarmSlots] = {
    {kStatusAlarm1, "Alarm1"},         {kStatusAlarm2, "Alarm2"},  {kStatusHeaterBurnout, "HB"},
    {kStatusLoopBreak, "LP"},          {kStatusOverscale, "UPS"},  {kStatusUnderscale, "DOWNS"},
    {kStatusAutoTuning, nullptr},
};

constexpr int kAutoTuningSlot = 6;

std::function<void(int, int)> &historyListener()
{
    static std::function<void(int, int)> listener;
    return listener;
}

// By owner: the publisher and the gateway's live view each follow the entries.
std::map<const void *, std::function<void(const HistoryEntry &)>> &entryObservers()
{
    static std::map<const void *, std::function<void(const HistoryEntry &)>> observers;
    return observers;
}

} // namespace

void AlarmChk(int ch)
{
    const int16_t status = StatusWord[ch];
    auto &memory = AlarmMemory[ch];
    for (int slot = 0; slot < kAlarmSlots; ++slot) {
        const Condition &c = kConditions[slot];
        const bool on = (status & c.mask) != 0;
        if (!on && memory[slot] == -1) {
            memory[slot] = 0;
            if (slot == kAutoTuningSlot)
                AutoTuning[ch] = 0;
            else
                Hystory_Write(QString::fromLatin1(c.kind), ch, false);
        } else if (on && memory[slot] == 0) {
            memory[slot] = -1;
            if (slot != kAutoTuningSlot)
                Hystory_Write(QString::fromLatin1(c.kind), ch, true);
        }
    }
}

QString HistoryContentText(const QString &ALM, bool State)
{
    struct Text {
        const char *kind, *on, *off;
    };
    static constexpr Text kTexts[] = {
        {"Alarm1", "Alarm 1 was turned on.", "Alarm 1 was turned off."},
        {"Alarm2", "Alarm 2 was turned on.", "Alarm 2 was turned off."},
        {"HB", "Heater burnout alarm was turned on.", "Heater burnout alarm was turned off."},
        {"LP", "Loop break alarm was turned on.", "Loop break alarm was turned off."},
        {"UPS", "PV was in the state of overscale.", "PV turned normal from overscale."},
        {"DOWNS", "PV was in the state of underscale.", "PV turned normal from underscale."},
        {"NAK", "Received Negative acknowledgement from HRV-600.", "Received Negative acknowledgement from HRV-600."},
        {"CHKSUM", "Checksum error occured.", "Checksum error occured."},
    };
    for (const Text &t : kTexts)
        if (ALM == QLatin1String(t.kind))
            return QString::fromLatin1(State ? t.on : t.off);
    return QString();
}

void Hystory_Write(const QString &ALM, int ch, bool State)
{
    const QDateTime now = PLM_INC::clock().now();
    const int row = HistoryRow >= 1 && HistoryRow <= kHistoryRows ? HistoryRow : 1;
    auto &entry = HistoryBuffer[row - 1];
    entry[0] = HistoryDateText(now.date());
    entry[1] = HistoryTimeText(now.time());
    entry[2] = HistoryChannelText(ALM, ch);
    entry[3] = HistoryContentText(ALM, State);
    if (historyListener())
        historyListener()(row, row + 1);
    HistoryRow = static_cast<int16_t>(row + 1 > kHistoryRows ? 1 : row + 1);
    // The line goes to the disk on the writer thread, so a slow disk never holds the poll cycle.
    // The entry stays in the window and the buffer even when the file refuses it.
    PLM_INC::diskWriter().append(HistoryFileName, HistoryFileLine({entry[1], entry[2], entry[3]}), [](const QString &why) {
        PLM_INC::prompter().message(PLM_INC::WithFailureReason(QString::fromLatin1(kHistoryWriteFailedText), why),
                                    QStringLiteral("history"));
    });
    // After the line: what the observer writes (the publisher's event spool) queues behind the
    // history file, which comes first on a slow disk.
    if (!entryObservers().empty()) {
        const HistoryEntry written{ALM, ch, State, now, entry[0], entry[1], entry[2], entry[3]};
        for (const auto &[owner, observer] : entryObservers())
            observer(written);
    }
}

QString CreateHistoryFile(const QString &folder, const QDateTime &start)
{
    const QString path = QDir(folder).filePath(HistoryFileBaseName(start));
    HistoryFileName = path;
    QString why;
    // Told like a line that cannot be written: the run goes on, and so does the window's history.
    if (!StartHistoryFile(path, start.date(), &why))
        PLM_INC::prompter().message(PLM_INC::WithFailureReason(QString::fromLatin1(kHistoryWriteFailedText), why),
                                    QStringLiteral("history"));
    return path;
}

void setHistoryListener(std::function<void(int filledRow, int clearedRow)> listener)
{
    historyListener() = std::move(listener);
}

void setHistoryEntryObserver(const void *owner, std::function<void(const HistoryEntry &)> observer)
{
    if (observer)
        entryObservers()[owner] = std::move(observer);
    else
        entryObservers().erase(owner);
}

void ClearHistory()
{
    HistoryRow = 1;
    for (auto &row : HistoryBuffer.v)
        row.fill(QString());
}
