#include "ProgramVersion.h"

#include "ProgramBuildInfo.h"

namespace PLM_INC {

QString ProgramVersion()
{
    return QStringLiteral(PLM870_VERSION);
}

} // namespace PLM_INC
