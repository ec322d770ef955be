// A count with its noun in the number it takes: "1 change", "3 changes", "0 changes".
#pragma once

#include <QString>

namespace PLM_INC {

// `one` follows 1, `many` every other count (texts in Latin-1).
QString CountText(long long count, const char *one, const char *many);

} // namespace PLM_INC
