// Wire format of the controller protocol: frame, checksum, reply assembly and field split.
// Pure functions without Qt, shared by the link library, the simulator, the monitor,
// the tests and the fuzzers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tobrel {

constexpr char STX = 0x02;
constexpr char ETX = 0x03;
constexpr char ACK = 0x06;
constexpr char NAK = 0x15;
constexpr char ESC = 0x1B;

// Two uppercase hex digits: two's complement of the 8-bit sum of the character codes.
std::string MakeCheckSum(std::string_view text);

// STX, the five fields, their checksum, ETX.
std::string MakeFrame(std::string_view addr, std::string_view subAddr, std::string_view cmdType,
                      std::string_view item, std::string_view data);

// Collects a reply one character at a time: ACK or NAK (re)starts it, an ETX after the
// start ends it; characters before the start are dropped when it arrives.
class ReplyAssembler {
public:
    // Returns true when the character completed a reply.
    bool feed(char c);
    void reset();
    const std::string &text() const { return text_; }
    bool started() const { return started_; }

private:
    std::string text_;
    bool started_ = false;
};

// A complete reply (ACK/NAK .. ETX) whose checksum matches exactly is returned whole;
// anything else, including a reply too short to hold a checksum, gives ESC alone.
std::string CheckReply(const std::string &reply);

// Field widths by the command type at reply position 4.
int GetNDataWidth(char cmdType);
int IsDataNumWidth(char cmdType);

// Field n (1-based) of a reply's data, or the whole data for n = 0; "" when absent.
std::string GetNData(const std::string &reply, int n);
// Number of whole fields in a reply's data, 0 when the data does not split evenly.
int isDataNum(const std::string &reply);

// Four uppercase hex digits of the 16-bit two's complement (-1 -> FFFF).
std::string EncodeValue(int16_t value);
// A field of up to four hex digits (either case) as a signed 16-bit value; "" reads as 0.
// Anything that is not hex, or longer than four digits, gives no value.
std::optional<int16_t> DecodeValue(std::string_view field);

// The device address character of block 0..15 (space .. '/').
char BlockAddress(int block);
// Block of an address character, -1 when it names none of 0..15.
int BlockOfAddress(char address);

} // namespace tobrel
