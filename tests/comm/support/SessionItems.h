// The setting items a session follows: every setting of a block ("0001".."001B"), and the
// cooling items ("001C".."0020") of a block with a heating/cooling channel pair.
#pragma once

#include "DeviceModel.h"

#include <string>
#include <vector>

namespace session {

// The item code of a number: 0x13 is "0013".
inline std::string ItemCode(int number)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string code(4, '0');
    for (int i = 3; i >= 0; --i, number >>= 4)
        code[size_t(i)] = digits[number & 0xF];
    return code;
}

// What the front panel changes: every setting but the output and auto-tuning commands and 0011.
inline const std::vector<int> &PanelItems()
{
    static const std::vector<int> items = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x0B, 0x0C, 0x0D,
                                           0x0E, 0x0F, 0x10, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19,
                                           0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F, 0x20};
    return items;
}

inline bool IsPanelItem(const std::string &code)
{
    for (int n : PanelItems())
        if (ItemCode(n) == code)
            return true;
    return false;
}

inline const std::vector<std::string> &TrackedItems(bool cooling)
{
    static const auto upTo = [](int last) {
        std::vector<std::string> codes;
        for (int n = 0x01; n <= last; ++n)
            codes.push_back(ItemCode(n));
        return codes;
    };
    static const std::vector<std::string> items = upTo(0x1B), withCooling = upTo(0x20);
    return cooling ? withCooling : items;
}

inline bool IsCoolingItem(const std::string &item)
{
    return item >= "001C" && item <= "0020";
}

inline bool IsTrackedItem(const std::string &item, bool cooling)
{
    return item.size() == 4 && item.compare(0, 2, "00") == 0 && item >= "0001" && item <= (cooling ? "0020" : "001B");
}

// The block's configuration gives a channel pair heating/cooling (option bit 0x0400).
inline bool HasCooling(const sim::DeviceModel &device, int block)
{
    for (int16_t option : device.block(block).optionWord)
        if (option & 0x0400)
            return true;
    return false;
}

} // namespace session
