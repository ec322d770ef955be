// The program's version text, as the version window shows it and the packages carry it.
#pragma once

#include <QString>

namespace PLM_INC {

QString ProgramVersion();

} // namespace PLM_INC
