// The channel setting file: the 32 setting values of one channel as the texts the pages show,
// so a file moves between channels of different decimal-point settings. Row r holds display
// item r + 3. The file is the marker line and the 32 rows, each a quoted text on its own line.
#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

namespace PLM_INC {

constexpr int kChannelRows = 32;
using ChannelRows = std::array<QString, kChannelRows>;

// The three groups of rows the channel window shows one at a time.
constexpr int kStandardRows = 23;     // rows 0..22
constexpr int kFirstCoolingRow = 23;  // rows 23..27
constexpr int kFirstDcInputRow = 28;  // rows 28..31
constexpr int kDecimalPointRow = 30;  // stored first when the rows are sent

int ChannelRowDisplayItem(int row);
// The window's caption of a row ("Main setting value", "Integral time setting ", ...).
QString ChannelRowLabel(int row);
// True for the rows that hold a number (every row but the alarm actions, heating/cooling,
// deg.C/deg.F, cooling action mode, decimal point place and unit).
bool ChannelRowIsNumber(int row);
// What a file without the marker supplies for rows 23..31 ("1.0", "30", ..., "%").
QString ChannelRowShortFormDefault(int row);

// The row's text of the channel's current value (MakeItemText, or the long alarm name,
// "Heating"/"Cooling", "deg.C"/"deg.F").
QString ChannelRowText(int row, int channel);
ChannelRows ChannelRowsOf(int channel);

// The file's bytes: marker line and 32 rows, quoted, CR LF, in the files' code page
// (FileCodePage.h).
QByteArray ChannelFileBytes(const ChannelRows &rows);
// The rows of a file in marker form (marker, then 32 fields) or short form (the first 23
// fields, rows 23..31 from the defaults); nullopt when the file ends early, a quote never
// closes, or a number row holds no number that fits 16 bits.
std::optional<ChannelRows> ReadChannelFile(const QByteArray &bytes);

} // namespace PLM_INC
