// Where a block's values sit in the Modbus tables a SCADA reads (unit id = block + 1): input
// registers for the monitored values, holding registers for the settings as the pages show
// them, discrete inputs for the alarm bits. Registers hold the image's 16-bit counts; the
// decimal places of value register r are in register r + kDecimalsOffset of the same table,
// so that a client scales without guessing. docs/modbus.md lists the whole map.
#pragma once

#include <cstdint>

namespace modbus {

enum class Table { DiscreteInputs, InputRegisters, HoldingRegisters };

constexpr int kChannels = 20;
constexpr int kDecimalsOffset = 1000;
// The decimal places of a value the pages show no number for (a linear input whose decimal
// point setting is none of 1..10000): the count cannot be scaled.
constexpr uint16_t kNoDecimals = 0xFFFF;

// Input register kinds, 20 registers each, channel 1 first.
enum InputKind { Pv, Mv, HeaterCurrent, Status, AlarmBits, Fitted, InputType, OptionWord, kInputKinds };
// Discrete input kinds, 20 bits each; bit k of the AlarmBits register is kind k.
enum AlarmKind { Alarm1, Alarm2, HeaterBurnout, LoopBreak, Overscale, Underscale, kAlarmKinds };

// After the input values, per block: the age of its values in whole seconds (saturating at
// 65535) and their quality. Both are answered however old the values are.
constexpr int kAgeRegister = kInputKinds * kChannels;
constexpr int kQualityRegister = kAgeRegister + 1;
constexpr uint16_t kAgeUnknown = 0xFFFF;
enum Quality : uint16_t {
    kQualityGood = 0,      // read within the stale limit
    kQualityStale = 1,     // not read for longer than the stale limit
    kQualityReturning = 2, // answering again, not every kind of value read since
    kQualityNone = 3,      // no values yet: the start-up read has not finished
};

// Value registers (bits) of a table; the decimal places of registers follow at kDecimalsOffset.
int ValueCount(Table table);
// True when [first, first + count) holds only the age and quality registers.
bool HealthRange(Table table, int first, int count);
int HoldingKinds();

// True when every address of [first, first + count) is mapped and all of them lie in one
// range (the values or their decimal places).
bool RangeMapped(Table table, int first, int count);

// One mapped register or bit of block 0..15, read from the controller image (on the image's
// thread). Out-of-map addresses read 0.
uint16_t RegisterValue(Table table, int block, int address);
bool BitValue(int block, int address);

// The setting behind holding register kind k (0..HoldingKinds()-1): its item code ("0001") or,
// for a value kept on the PC only, its setting caption.
const char *HoldingKindName(int kind);

} // namespace modbus
