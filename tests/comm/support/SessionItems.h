// The setting items a session follows: every setting of a block without heating/cooling
// channels ("0001".."001B"; "001C".."0020" are the cooling items).
#pragma once

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
    static const std::vector<int> items = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x0B, 0x0C, 0x0D, 0x0E,
                                           0x0F, 0x10, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B};
    return items;
}

inline bool IsPanelItem(const std::string &code)
{
    for (int n : PanelItems())
        if (ItemCode(n) == code)
            return true;
    return false;
}

inline const std::vector<std::string> &TrackedItems()
{
    static const std::vector<std::string> items = [] {
        std::vector<std::string> codes;
        for (int n = 0x01; n <= 0x1B; ++n)
            codes.push_back(ItemCode(n));
        return codes;
    }();
    return items;
}

inline bool IsTrackedItem(const std::string &item)
{
    return item.size() == 4 && item.compare(0, 2, "00") == 0 && item >= "0001" && item <= "001B";
}

} // namespace session
