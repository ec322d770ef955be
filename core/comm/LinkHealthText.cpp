#include "LinkHealthText.h"

#include "HistoryText.h"

#include <cmath>

QStringList LinkHealthCaptions()
{
    return {QStringLiteral("Block"),         QStringLiteral("State"),         QStringLiteral("Replies"),
            QStringLiteral("Time-outs"),     QStringLiteral("NAKs"),          QStringLiteral("Checksum errors"),
            QStringLiteral("Answered (1 min)"), QStringLiteral("Last good reply")};
}

QStringList LinkHealthRowTexts(const LinkHealth &health, int block, bool present)
{
    const BlockHealth &h = health.block(block);
    QString state = QStringLiteral("absent");
    if (present)
        state = health.quality(block) == ValuesQuality::Returning ? QStringLiteral("returning")
                : health.isStale(block)                                ? QStringLiteral("stale")
                                                                       : QStringLiteral("ok");
    const double share = health.answeredShare(block);
    // Rounded down so that one lost poll never shows as 100 %.
    const QString shareText = share < 0 ? QStringLiteral("-")
                                        : QStringLiteral("%1 %").arg(int(std::floor(share * 100.0)));
    const QString last = h.lastGoodReply.isValid()
        ? HistoryDateText(h.lastGoodReply.date()) + QLatin1Char(' ') + HistoryTimeText(h.lastGoodReply.time())
        : QStringLiteral("-");
    return {QStringLiteral("%1").arg(block + 1, 2, 10, QLatin1Char('0')),
            state,
            QString::number(h.replies),
            QString::number(h.timeOuts),
            QString::number(h.naks),
            QString::number(h.checksumErrors),
            shareText,
            last};
}
