#include "LiveJson.h"

#include "LinkHealth.h"
#include "ModbusBlockLink.h"
#include "PLM_INC.h"
#include "Payloads.h"
#include "Preferences.h"
#include "ValueText.h"

using namespace PLM_INC;

QByteArray LineJson(const LiveLine &line)
{
    return QByteArrayLiteral("{\"started_up\":") + (line.startedUp ? "true" : "false") + ",\"notice\":"
           + JsonString(line.communicationError ? QStringLiteral("Communication error") : QString()) + '}';
}

bool BlockListed(int block, const LiveLine &line)
{
    return line.startedUp && BlockAbsent[block] == 0;
}

bool BlockStale(int block, const LiveLine &line, const LinkHealth &health)
{
    return LinkOfBlock(block, line.startedUp, health).link != modbus::BlockLink::Live;
}

QByteArray BlockJson(int block, const LiveLine &line, const LinkHealth &health, const QDateTime &at)
{
    return "{\"block\":" + QByteArray::number(block + 1) + ",\"name\":" + JsonString(Prefs::blockName(block))
           + ",\"stale\":" + (BlockStale(block, line, health) ? "true" : "false")
           + ",\"health\":" + HealthPayload(health, block, true, at) + '}';
}

QByteArray LiveChannelJson(int ch)
{
    QByteArray json = ChannelPayload(ch, QDateTime());
    json.chop(1);
    json += ",\"text\":{\"pv\":" + JsonString(MakeItemText(0, ch)) + ",\"sv\":" + JsonString(MakeItemText(3, ch))
            + ",\"mv\":" + JsonString(MakeItemText(1, ch));
    if (ch % 2 == 0 && ch + 1 < kChannels && (OptionWord[ch] & kOptionHeatCool) != 0)
        json += ",\"cool_mv\":" + JsonString(MakeItemText(1, ch + 1));
    if (OptionWord[ch] & kOptionHeaterBurnout)
        json += ",\"heater_current\":" + JsonString(MakeItemText(2, ch));
    return json + "}}";
}

QByteArray BlockChannelsJson(int block)
{
    QByteArray out;
    for (int ch = block * kChannelsPerBlock; ch < (block + 1) * kChannelsPerBlock; ++ch) {
        if (!ChannelPublished(ch))
            continue;
        if (!out.isEmpty())
            out += ',';
        out += LiveChannelJson(ch);
    }
    return out;
}

QByteArray StateJson(const LiveLine &line, const LinkHealth &health, const QDateTime &at)
{
    QByteArray blocks, channels;
    for (int b = 0; b < kBlocks; ++b) {
        if (!BlockListed(b, line))
            continue;
        blocks += (blocks.isEmpty() ? "" : ",") + BlockJson(b, line, health, at);
        const QByteArray some = BlockChannelsJson(b);
        if (!some.isEmpty())
            channels += (channels.isEmpty() ? "" : ",") + some;
    }
    return "{\"line\":" + LineJson(line) + ",\"blocks\":[" + blocks + "],\"channels\":[" + channels
           + "],\"time\":" + JsonString(at.toString(Qt::ISODate)) + '}';
}

QByteArray JsonList(const std::deque<QByteArray> &items)
{
    QByteArray out = "[";
    for (const QByteArray &item : items) {
        if (out.size() > 1)
            out += ',';
        out += item;
    }
    return out + ']';
}
