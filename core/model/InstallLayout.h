// Where the program's own read-only files lie. In a build tree the help pages are copied
// beside the program (help/); in an installed tree the program is in bin/ and its files are
// under share/plm870-monitor/ of the same tree, wherever that tree was installed.
#pragma once

#include <QString>

namespace PLM_INC {

// The folder of the program's own files of the installed tree the program folder belongs
// to, or "" when the program does not run from an installed tree.
QString InstalledShareFolder(const QString &programFolder);
// The contents page of the help: beside the program, else in the installed tree; "" when
// neither holds it.
QString HelpContentsPage(const QString &programFolder);

} // namespace PLM_INC
