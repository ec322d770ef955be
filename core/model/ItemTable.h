// The one table that ties an item code to its field of the image, the conversion its values
// get on the way in and out, its setting item and display item numbers and its caption.
#pragma once

#include "PLM_INC.h"

#include <QString>
#include <vector>

namespace PLM_INC {

enum class Conversion {
    None,
    Scale,        // absolute display counts
    Span,         // relative display counts
    AlarmByAction // alarm value: absolute for process alarms (action >= 9), else relative
};

struct ItemInfo {
    QString code;         // "0001".."0020", "0080".."0083"; empty for PC-side items
    ChannelTable *field;  // nullptr for UnitText
    Conversion conversion;
    int settingItem;      // 1..35, 0 when none
    int displayItem;      // 0..36, -1 when none
    QString caption;      // setting page caption, empty when none
    ChannelTable *actionField; // Alarm1Action / Alarm2Action for AlarmByAction
};

const std::vector<ItemInfo> &ItemTable();
// The entry of a controller item code, or nullptr ("00A0", "00A1" and unknown codes).
const ItemInfo *ItemByCode(const QString &code);
// The entry of a setting item 1..35 (24 gives the output on/off part), or nullptr.
const ItemInfo *ItemBySetting(int settingItem);
// The entry of a display item 0..36, or nullptr.
const ItemInfo *ItemByDisplay(int displayItem);

// "001C".."0020": written and read at start-up only for blocks with heating/cooling.
bool IsCoolingItem(const QString &code);

// The order in which a load transfer writes a block's settings: the alarm action codes first,
// before every value converted by them; the alarm values "0005" and "0006" follow in the
// second phase.
const std::vector<QString> &TransferChainItems();

// Image value -> controller count and back, by the item's conversion (may raise ConversionError).
int16_t ToDevice(const ItemInfo &item, int channel, int16_t value);
int16_t ToDisplay(const ItemInfo &item, int channel, int16_t raw);

// Process alarms (action 9..12) hold an absolute level, deviation alarms a span.
bool IsProcessAlarm(int16_t action);

} // namespace PLM_INC
