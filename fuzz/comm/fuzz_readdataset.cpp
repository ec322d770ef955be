// Arbitrary replies into the reply decoder with a fresh image: it never crashes, never
// writes outside the block the reply's address names, and a reply it drops changes nothing.
// Input: six bytes of channel setup (scale high, scale low, input type, alarm action) that
// steer the conversions, then the reply text; with bit 7 of the input type byte set the
// reply is given its ACK so the search starts past the first check more often.
#include "AlarmHistory.h"
#include "ItemTable.h"
#include "PLM_INC.h"
#include "Prompter.h"
#include "ReplyDecoder.h"

#include <QSettings>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace PLM_INC;

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

class SilentPrompter : public ConsolePrompter {
public:
    void message(const QString &, const QString & = QString()) override {}
};

std::vector<ChannelTable *> allChannelTables()
{
    std::vector<ChannelTable *> tables = {&ChannelConnected, &InputType, &OptionWord, &DisplayUnit,
                                          &Alarm1Backup, &Alarm2Backup};
    for (const ItemInfo &item : ItemTable())
        if (item.field)
            tables.push_back(item.field);
    return tables;
}

// Every channel value of the image, table after table, then the alarm memory by channel.
void snapshot(const std::vector<ChannelTable *> &tables, std::vector<int16_t> &out)
{
    out.clear();
    for (ChannelTable *t : tables)
        out.insert(out.end(), t->v.begin(), t->v.end());
    for (const auto &memory : AlarmMemory.v)
        out.insert(out.end(), memory.v.begin(), memory.v.end());
}

int16_t readInt16(const uint8_t *p)
{
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("/tmp/fuzz_readdataset_settings"));
    static SilentPrompter prompter;
    setPrompter(&prompter);
    FillItemCodeTable();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 6)
        return 0;
    ResetImage();
    FillItemCodeTable();
    HistoryFileName.clear(); // no file: every entry takes the "cannot write" path, quietly
    const int16_t high = readInt16(data);
    const int16_t low = readInt16(data + 2);
    const int16_t type = static_cast<int16_t>(data[4] & 0x0F);
    const int16_t action = static_cast<int16_t>(data[5] % 13);
    for (int ch = 0; ch < kChannels; ++ch) {
        ScaleHigh[ch] = high;
        ScaleLow[ch] = low;
        InputType[ch] = type;
        Alarm1Action[ch] = action;
        Alarm2Action[ch] = static_cast<int16_t>(12 - action);
        StatusWord[ch] = static_cast<int16_t>(0x55AA);
        AlarmMemory[ch][0] = -1;
    }
    QString reply = QString::fromLatin1(reinterpret_cast<const char *>(data + 6), static_cast<qsizetype>(size - 6));
    if (data[4] & 0x80)
        reply.prepend(QChar(0x06));

    static const auto tables = allChannelTables();
    static std::vector<int16_t> before, after; // kept between runs: no allocation per input
    snapshot(tables, before);
    const int historyRowBefore = HistoryRow;
    const bool stored = StoreReadReply(reply);
    snapshot(tables, after);
    if (!stored) {
        require(after == before);
        require(HistoryRow == historyRowBefore);
        return 0;
    }
    require(reply.size() >= 2 && reply[1].unicode() >= 0x20 && reply[1].unicode() <= 0x2F);
    const int block = reply[1].unicode() - 0x20;
    // Outside the block, nothing moved: compare each table (and the alarm memory, whose
    // rows are channels of kAlarmSlots) on both sides of the block's stretch.
    auto sameOutside = [&](size_t base, size_t width) {
        const size_t first = base + size_t(block * kChannelsPerBlock) * width;
        const size_t last = first + size_t(kChannelsPerBlock) * width;
        const size_t end = base + size_t(kChannels) * width;
        return std::equal(before.begin() + long(base), before.begin() + long(first), after.begin() + long(base))
            && std::equal(before.begin() + long(last), before.begin() + long(end), after.begin() + long(last));
    };
    for (size_t t = 0; t < tables.size(); ++t)
        require(sameOutside(t * kChannels, 1));
    require(sameOutside(tables.size() * kChannels, kAlarmSlots));
    return 0;
}
