#include "CountText.h"

namespace PLM_INC {

QString CountText(long long count, const char *one, const char *many)
{
    return QString::number(count) + QLatin1Char(' ') + QLatin1String(count == 1 ? one : many);
}

} // namespace PLM_INC
