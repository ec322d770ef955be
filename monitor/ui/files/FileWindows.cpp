#include "FileWindows.h"

#include "FileMessages.h"
#include "PLM_INC.h"

#include <QPushButton>


namespace FileWindows {

QString TransferRefusal()
{
    // Before the start-up read, or while no controller answers, a transfer would write an
    // image never read to a dead line and take the link out of its reconnecting state.
    if (PLM_INC::LinkRequest == 0 || PLM_INC::LinkRequest == 9)
        return QString::fromLatin1(FileMessages::kLinkNotRunning);
    return QString();
}

void EnableWorkAreaButtons(const std::array<QPushButton *, 5> &buttons, bool transferRunning, bool workFilled)
{
    for (size_t i = 0; i < buttons.size(); ++i) {
        const bool needsWork = i == 1 || i == 2;
        const bool usable = int(i) == kWorkAreaReturnButton || (!transferRunning && (!needsWork || workFilled));
        buttons[i]->setEnabled(usable);
    }
}

} // namespace FileWindows
