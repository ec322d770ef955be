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

QString ValueRefusedText(int channel, const QString &item, int block, const QString &why)
{
    return QStringLiteral("Ch%1: the value of item %2 cannot be sent (%3). Nothing of item %2 was sent to "
                          "block %4; the page shows the controller's values again.")
        .arg(channel + 1, 3, 10, QLatin1Char('0'))
        .arg(item, why, BlockListText(BlockBit(block)));
}
