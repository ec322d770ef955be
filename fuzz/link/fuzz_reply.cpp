// Arbitrary bytes from the line, fed one at a time as a transaction reads them: every
// transaction must end as a checked ACK/NAK reply, ESC alone, or "" (nothing complete),
// and the field helpers must stay inside the reply whatever it holds.
#include "Protocol.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool isReplyStart(char c)
{
    return c == tobrel::ACK || c == tobrel::NAK;
}

void checkFields(const std::string &reply)
{
    const int count = tobrel::isDataNum(reply);
    require(count >= 0);
    if (reply.size() <= 14) {
        require(count == 0);
        require(tobrel::GetNData(reply, 0).empty());
        return;
    }
    const std::string data = tobrel::GetNData(reply, 0);
    require(data.size() == reply.size() - 11);
    require(reply.compare(8, data.size(), data) == 0);

    const int getWidth = tobrel::GetNDataWidth(reply[3]);
    const int numWidth = tobrel::IsDataNumWidth(reply[3]);
    if (count > 0) {
        require(numWidth > 0);
        require(static_cast<size_t>(count) * static_cast<size_t>(numWidth) == data.size());
    }
    for (int n = -1; n <= count + 2 && n <= 64; ++n) {
        const std::string field = tobrel::GetNData(reply, n);
        if (n == 0)
            continue;
        if (n < 0 || getWidth == 0) {
            require(field.empty());
            continue;
        }
        const size_t end = static_cast<size_t>(n) * static_cast<size_t>(getWidth);
        if (end <= data.size())
            require(field == data.substr(end - static_cast<size_t>(getWidth), static_cast<size_t>(getWidth)));
        else
            require(field.empty());
    }
}

// One transaction's reply from the bytes; the position after the bytes it consumed.
size_t oneTransaction(const uint8_t *bytes, size_t size, size_t pos, std::string &result)
{
    tobrel::ReplyAssembler assembler;
    while (pos < size) {
        const char c = static_cast<char>(bytes[pos++]);
        if (assembler.feed(c)) {
            const std::string &reply = assembler.text();
            require(reply.size() >= 2);
            require(isReplyStart(reply.front()) && reply.back() == tobrel::ETX);
            for (size_t i = 1; i < reply.size(); ++i)
                require(!isReplyStart(reply[i]));
            result = tobrel::CheckReply(reply);
            return pos;
        }
    }
    result.clear(); // time-out: nothing complete
    return pos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    size_t pos = 0;
    while (true) {
        std::string result;
        pos = oneTransaction(bytes, size, pos, result);
        const bool checkedReply = !result.empty() && isReplyStart(result.front())
            && result.back() == tobrel::ETX && result.size() >= 4;
        const bool checksumFailure = result.size() == 1 && result.front() == tobrel::ESC;
        require(checkedReply || checksumFailure || result.empty());
        if (checkedReply) {
            const std::string body = result.substr(1, result.size() - 4);
            require(tobrel::MakeCheckSum(body) == result.substr(result.size() - 3, 2));
        }
        checkFields(result);
        if (result.empty())
            break;
    }
    return 0;
}
