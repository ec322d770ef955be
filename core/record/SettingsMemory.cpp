#include "SettingsMemory.h"

#include "ChecksumLine.h"
#include "ControllerCounts.h"
#include "DiskWriter.h"
#include "ItemTable.h"
#include "PLM_INC.h"
#include "QuietLog.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <vector>

namespace PLM_INC {

namespace {

const QByteArray kHeader =
    "PLM-870 settings memory: an item code, then the controller's count for channels 1 to 320 (none: not confirmed)\n";

// The items a change of which the record holds: the settings, not the monitored values.
std::vector<const ItemInfo *> settingItems()
{
    std::vector<const ItemInfo *> items;
    for (const ItemInfo &info : ItemTable())
        if (info.field && info.settingItem > 0 && !info.code.isEmpty())
            items.push_back(&info);
    return items;
}

QByteArray confirmedBytes()
{
    QByteArray bytes;
    for (const ItemInfo *info : settingItems()) {
        bytes += info->code.toLatin1();
        for (int ch = 0; ch < kChannels; ++ch) {
            bytes += ch == 0 ? ' ' : ',';
            if (const std::optional<int16_t> count = ControllerCount(info->field, ch))
                bytes += QByteArray::number(*count);
        }
        bytes += '\n';
    }
    return bytes;
}

struct Remembered {
    const ChannelTable *field;
    int channel;
    int16_t count;
};

// The counts of one item's line ("0001 12,,-5,..."); false when it is not one the programs write.
bool readLine(const QByteArray &line, std::vector<Remembered> &into)
{
    const qsizetype space = line.indexOf(' ');
    const ItemInfo *info = space == 4 ? ItemByCode(QString::fromLatin1(line.left(4))) : nullptr;
    if (!info || !info->field || info->settingItem <= 0)
        return false;
    const QList<QByteArray> counts = line.mid(5).split(',');
    if (counts.size() != kChannels)
        return false;
    for (int ch = 0; ch < kChannels; ++ch) {
        if (counts[ch].isEmpty())
            continue;
        bool ok = false;
        const int count = counts[ch].toInt(&ok);
        if (!ok || count < -32768 || count > 32767)
            return false;
        into.push_back({info->field, ch, int16_t(count)});
    }
    return true;
}

} // namespace

SettingsMemory::SettingsMemory(const QString &folder) : path_(QDir(folder).filePath(QStringLiteral("settings-memory")))
{
    timer_.setInterval(kKeepCheckMs);
    connect(&timer_, &QTimer::timeout, this, &SettingsMemory::keep);
    timer_.start();
}

bool SettingsMemory::load(QString *why)
{
    ForgetRememberedCounts();
    kept_ = confirmedBytes();
    QFile f(path_);
    if (!f.exists())
        return true;
    const QString refused = QStringLiteral("The settings memory \"%1\" %2: a change made at a unit while the program "
                                           "was stopped cannot be told.");
    if (!f.open(QIODevice::ReadOnly)) {
        *why = refused.arg(path_, QStringLiteral("cannot be read (%1)").arg(f.errorString()));
        return false;
    }
    const QByteArray content = CheckedContent(f.readAll());
    QList<QByteArray> lines = content.mid(kHeader.size()).split('\n');
    bool sound = content.startsWith(kHeader) && !lines.isEmpty() && lines.takeLast().isEmpty();
    std::vector<Remembered> counts;
    for (const QByteArray &line : lines)
        sound = sound && readLine(line, counts);
    if (!sound) {
        *why = refused.arg(path_, QStringLiteral("is not one the programs wrote, or fails its checksum"));
        return false;
    }
    for (const Remembered &r : counts)
        RememberCount(r.field, r.channel, r.count);
    return true;
}

void SettingsMemory::keep()
{
    QByteArray counts = confirmedBytes();
    if (counts == kept_)
        return;
    kept_ = counts;
    QPointer<SettingsMemory> self(this);
    diskWriter().replaceMade(
        path_, [counts](const QString &, QString *) { return WithChecksumLine(kHeader + counts); },
        QByteArrayLiteral("the settings memory"), [self](const QString &why) {
            // Tried again at the next look.
            if (self)
                self->kept_.clear();
            quietLog().tell(QStringLiteral("settings memory"),
                            QStringLiteral("The settings memory cannot be kept: %1").arg(why));
        });
}

} // namespace PLM_INC
