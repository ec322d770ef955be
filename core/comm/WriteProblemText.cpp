#include "WriteProblemText.h"

#include "PLM_INC.h"

#include <QStringList>

using namespace PLM_INC;

QString BlockListText(BlockMask blocks)
{
    QStringList names;
    for (int b = 0; b < kBlocks; ++b)
        if (blocks & BlockBit(b))
            names << QStringLiteral("%1").arg(b + 1, 2, 10, QLatin1Char('0'));
    return names.join(QStringLiteral(", "));
}

QString WriteGivenUpText(int block, const QString &item, int tries)
{
    return QStringLiteral("Block %1 did not confirm the write of item %2 (%3 tries). The controller may not "
                          "hold the values set; check the block and set them again.")
        .arg(BlockListText(BlockBit(block)), item)
        .arg(tries);
}

QString TransferCutText(BlockMask blocks, bool secondPhase)
{
    const QString which = BlockListText(blocks);
    const bool one = (blocks & (blocks - 1)) == 0;
    const QString subject = (one ? QStringLiteral("Block ") : QStringLiteral("Blocks ")) + which;
    if (secondPhase)
        return QStringLiteral("%1 did not answer the write of the alarm values of the transfer. The controller "
                              "may not hold them; send the settings again.")
            .arg(subject);
    return QStringLiteral("%1 did not answer every setting write of the transfer, so %2 alarm values are not "
                          "sent. Send the settings again once the block answers.")
        .arg(subject, one ? QStringLiteral("its") : QStringLiteral("their"));
}

namespace {

QString channelName(int channel)
{
    return QStringLiteral("Ch%1").arg(channel + 1, 3, 10, QLatin1Char('0'));
}

} // namespace

QString ValueRefusedText(int channel, const QString &item, int block, const QString &why, bool readBack)
{
    return QStringLiteral("%1: the value of item %2 cannot be sent (%3). Nothing of item %2 was sent to "
                          "block %4%5")
        .arg(channelName(channel), item, why, BlockListText(BlockBit(block)),
             readBack ? QStringLiteral("; the page shows the controller's values again.") : QStringLiteral("."));
}

QString ChannelListText(const std::vector<int> &channels)
{
    if (channels.size() == size_t(kChannelsPerBlock) && channels.front() % kChannelsPerBlock == 0
        && channels.back() == channels.front() + kChannelsPerBlock - 1)
        return channelName(channels.front()) + QLatin1Char('-') + channelName(channels.back());
    QStringList names;
    for (int ch : channels)
        names << channelName(ch);
    return names.join(QStringLiteral(", "));
}

QString WriteRefusedText(int block, const QString &item, const std::vector<int> &channels)
{
    const QString what = item == QLatin1String("0040") ? QStringLiteral("the factory adjustment data (item 0040)")
                                                       : QStringLiteral("item %1 (%2)").arg(item, ChannelListText(channels));
    return QStringLiteral("Block %1 refused the write of %2. The controller keeps its own setting; the page shows "
                          "it again.")
        .arg(BlockListText(BlockBit(block)), what);
}

QString TransferRefusedText(const std::map<int, QStringList> &itemsOfBlock)
{
    QStringList parts;
    for (const auto &[block, items] : itemsOfBlock) {
        std::vector<int> channels(static_cast<size_t>(kChannelsPerBlock));
        for (int c = 0; c < kChannelsPerBlock; ++c)
            channels[size_t(c)] = block * kChannelsPerBlock + c;
        parts << QStringLiteral("block %1 item%2 %3 (%4)")
                     .arg(BlockListText(BlockBit(block)), items.size() > 1 ? QStringLiteral("s") : QString(),
                          items.join(QStringLiteral(", ")), ChannelListText(channels));
    }
    return QStringLiteral("The controller refused writes of the transfer: %1. It keeps its own settings there; "
                          "send the settings again.")
        .arg(parts.join(QStringLiteral("; ")));
}
