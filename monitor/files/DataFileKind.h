// What tells the three setting data files apart: their length, and the marker line that the
// program writes at the top of each.
#pragma once

#include <QtGlobal>

namespace PLM_INC {

// First field of a marker-form setting data file.
constexpr const char kFileMarker[] = "V203data";

constexpr int kChannelFileKind = 0; // at most 1000 bytes
constexpr int kBlockFileKind = 1;   // 1001 .. 20000 bytes
constexpr int kAllFileKind = 2;     // more than 20000 bytes

// 2 when the length exceeds 20000 bytes, else 1 when it exceeds 1000, else 0.
int DataFileKind(qint64 length);

} // namespace PLM_INC
