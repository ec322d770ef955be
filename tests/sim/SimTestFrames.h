// Frames and reply checks shared by the simulator tests.
#pragma once

#include "Protocol.h"

#include <string>

namespace simtest {

inline std::string request(int block, char cmd, const std::string &item, const std::string &data = {})
{
    return tobrel::MakeFrame(std::string(1, tobrel::BlockAddress(block)), " ", std::string(1, cmd), item, data);
}

inline std::string readFrame(int block, const std::string &item) { return request(block, 0x22, item); }

inline std::string writeFrame(int block, const std::string &item, const std::string &data)
{
    return request(block, 0x52, item, data);
}

// True when the reply's two checksum characters are those of its text between lead and checksum.
inline bool checksumOk(const std::string &reply)
{
    return reply.size() >= 4
           && reply.compare(reply.size() - 3, 2, tobrel::MakeCheckSum(reply.substr(1, reply.size() - 4))) == 0;
}

// The data of a reply: between the seven header characters and the checksum.
inline std::string dataOf(const std::string &reply)
{
    return reply.size() >= 11 ? reply.substr(8, reply.size() - 11) : std::string();
}

inline std::string twenty(int16_t v)
{
    std::string s;
    for (int i = 0; i < 20; ++i)
        s += tobrel::EncodeValue(v);
    return s;
}

} // namespace simtest
