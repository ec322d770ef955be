#include "Protocol.h"

namespace tobrel {

namespace {
constexpr char kHex[] = "0123456789ABCDEF";

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string dataOf(const std::string &reply)
{
    return reply.substr(8, reply.size() - 11);
}
} // namespace

std::string MakeCheckSum(std::string_view text)
{
    unsigned sum = 0;
    for (char c : text)
        sum = (sum + static_cast<unsigned char>(c)) & 0xFF;
    const unsigned cs = ((~sum) + 1) & 0xFF;
    return {kHex[cs >> 4], kHex[cs & 0xF]};
}

std::string MakeFrame(std::string_view addr, std::string_view subAddr, std::string_view cmdType,
                      std::string_view item, std::string_view data)
{
    std::string body;
    body.reserve(addr.size() + subAddr.size() + cmdType.size() + item.size() + data.size());
    body.append(addr).append(subAddr).append(cmdType).append(item).append(data);
    std::string frame(1, STX);
    frame += body;
    frame += MakeCheckSum(body);
    frame += ETX;
    return frame;
}

bool ReplyAssembler::feed(char c)
{
    if (c == ACK || c == NAK) {
        text_.assign(1, c);
        started_ = true;
        return false;
    }
    text_ += c;
    return c == ETX && started_;
}

void ReplyAssembler::reset()
{
    text_.clear();
    started_ = false;
}

std::string CheckReply(const std::string &reply)
{
    const size_t len = reply.size();
    if (len < 4)
        return std::string(1, ESC);
    const std::string sum = MakeCheckSum(std::string_view(reply).substr(1, len - 4));
    if (reply.compare(len - 3, 2, sum) == 0)
        return reply;
    return std::string(1, ESC);
}

int GetNDataWidth(char cmdType)
{
    switch (cmdType) {
    case 0x20: case 0x22: case 0x60: case 0x61: case 0x62: return 4;
    case 0x21: case 0x23: return 8;
    default: return 0;
    }
}

int IsDataNumWidth(char cmdType)
{
    switch (cmdType) {
    case 0x20: case 0x22: case 0x60: case 0x61: case 0x72: return 4;
    case 0x21: case 0x23: return 8;
    default: return 0;
    }
}

std::string GetNData(const std::string &reply, int n)
{
    if (reply.size() <= 14)
        return {};
    const std::string data = dataOf(reply);
    if (n == 0)
        return data;
    const int width = GetNDataWidth(reply[3]);
    if (width == 0 || n < 0)
        return {};
    const size_t end = static_cast<size_t>(n) * static_cast<size_t>(width);
    if (data.size() >= end)
        return data.substr(end - static_cast<size_t>(width), static_cast<size_t>(width));
    return {};
}

int isDataNum(const std::string &reply)
{
    if (reply.size() <= 14)
        return 0;
    const int width = IsDataNumWidth(reply[3]);
    if (width == 0)
        return 0;
    const size_t len = reply.size() - 11;
    if (len % static_cast<size_t>(width) != 0)
        return 0;
    const size_t count = len / static_cast<size_t>(width);
    return count > 32767 ? 0 : static_cast<int>(count);
}

std::string EncodeValue(int16_t value)
{
    const auto v = static_cast<uint16_t>(value);
    return {kHex[(v >> 12) & 0xF], kHex[(v >> 8) & 0xF], kHex[(v >> 4) & 0xF], kHex[v & 0xF]};
}

std::optional<int16_t> DecodeValue(std::string_view field)
{
    if (field.size() > 4)
        return std::nullopt;
    unsigned v = 0;
    for (char c : field) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        v = (v << 4) | static_cast<unsigned>(d);
    }
    return static_cast<int16_t>(static_cast<uint16_t>(v));
}

char BlockAddress(int block)
{
    return static_cast<char>(block + 32);
}

int BlockOfAddress(char address)
{
    const int b = static_cast<unsigned char>(address) - 32;
    return (b >= 0 && b <= 15) ? b : -1;
}

} // namespace tobrel
