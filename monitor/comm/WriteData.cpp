#include "WriteData.h"

#include "Conversions.h"
#include "ItemTable.h"
#include "Protocol.h"

using namespace PLM_INC;

std::optional<QString> WriteDataOf(const QString &item, int block, WriteRefusal *refusal)
{
    const ItemInfo *info = ItemByCode(item);
    if (!info || !info->field)
        return std::nullopt;
    std::string data;
    data.reserve(4 * kChannelsPerBlock);
    for (int c = 0; c < kChannelsPerBlock; ++c) {
        const int ch = block * kChannelsPerBlock + c;
        try {
            data += tobrel::EncodeValue(ToDevice(*info, ch, (*info->field)[ch]));
        } catch (const ConversionError &e) {
            if (refusal)
                *refusal = {ch, QString::fromUtf8(e.what())};
            return std::nullopt;
        }
    }
    return QString::fromLatin1(data.data(), static_cast<qsizetype>(data.size()));
}

QString BlockAddressText(int block)
{
    return QString(QLatin1Char(tobrel::BlockAddress(block)));
}
