// The setting items a session follows: every setting of a block without heating/cooling
// channels ("0001".."001B"; "001C".."0020" are the cooling items).
#pragma once

#include <string>
#include <vector>

namespace session {

inline const std::vector<std::string> &TrackedItems()
{
    static const std::vector<std::string> items = [] {
        std::vector<std::string> codes;
        static const char digits[] = "0123456789ABCDEF";
        for (int n = 0x01; n <= 0x1B; ++n)
            codes.push_back(std::string("00") + digits[n / 16] + digits[n % 16]);
        return codes;
    }();
    return items;
}

inline bool IsTrackedItem(const std::string &item)
{
    return item.size() == 4 && item.compare(0, 2, "00") == 0 && item >= "0001" && item <= "001B";
}

} // namespace session
