// The save and open dialogs of the setting file windows: folder "Setdata" of the data
// folder, ".dat" files; a name typed without an extension gets ".dat" in both. A cancelled
// dialog gives an empty name and the caller does nothing.
#pragma once

#include <QString>

namespace PLM_INC {

QString SettingFileFolder();
// The file to save to, or "" when the dialog was cancelled or the operator did not want an
// existing file overwritten (then "Designate a new file name." has been shown).
QString ChooseSaveFile();
// The file to open, or "" when the dialog was cancelled.
QString ChooseOpenFile();

} // namespace PLM_INC
