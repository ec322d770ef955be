#include "DataFileKind.h"

namespace PLM_INC {

int DataFileKind(qint64 length)
{
    if (length > 20000)
        return kAllFileKind;
    if (length > 1000)
        return kBlockFileKind;
    return kChannelFileKind;
}

} // namespace PLM_INC
