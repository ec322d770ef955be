#include "FileWindows.h"

#include "FileMessages.h"
#include "MainDisp.h"
#include "LinkRequests.h"
#include "PLM_INC.h"
#include "SubDisp_About.h"
#include "SubDisp_AllSaveLoad.h"
#include "SubDisp_BlockSaveLoad.h"
#include "SubDisp_Factoryadj.h"
#include "SubDisp_SaveLoad.h"

#include <QPushButton>


namespace FileWindows {

void Build(MainDisp &main)
{
    main.subDispSaveLoad = new SubDisp_SaveLoad(main);
    main.subDispBlockSaveLoad = new SubDisp_BlockSaveLoad(main);
    main.subDispAllSaveLoad = new SubDisp_AllSaveLoad(main);
    main.subDispFactoryadj = new SubDisp_Factoryadj(main);
    main.subDispAbout = new SubDisp_About(&main);
    main.subDispAbout->showToolbar3 = [&main](bool visible) { main.setToolbar3Visible(visible); };
    // Whichever window started the transfer, its second phase makes every file window usable.
    main.onTransferFinished = [&main](bool) { SetTransferRunning(main, false); };
}

QString TransferRefusal()
{
    // Before the start-up read, or while no controller answers, a transfer would write an
    // image never read to a dead line and take the link out of its reconnecting state.
    if (PLM_INC::LinkRequest == 0 || PLM_INC::LinkRequest == 9)
        return QString::fromLatin1(FileMessages::kLinkNotRunning);
    return QString();
}

void StartLoadTransfer(MainDisp &main, bool allBlocks, int block)
{
    SetTransferRunning(main, true);
    main.setTransferProgress(0, true);
    main.setStatusPanel(4, QString::fromLatin1(FileMessages::kDataChanging));
    // The request takes the values the window has just put into the image with it.
    PLM_INC::PendingRequests.push(allBlocks ? PLM_INC::AllSendRequest() : PLM_INC::BlockSendRequest(block));
}

void SetTransferRunning(MainDisp &main, bool running)
{
    if (main.subDispSaveLoad)
        main.subDispSaveLoad->setTransferRunning(running);
    if (main.subDispBlockSaveLoad)
        main.subDispBlockSaveLoad->setTransferRunning(running);
    if (main.subDispAllSaveLoad)
        main.subDispAllSaveLoad->setTransferRunning(running);
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
