// The setting file windows, the factory adjustment window and the version window of the main
// window, and the load transfer they start: a transfer started from any of the three file
// windows disables their buttons (all but Return) until its second phase has run.
#include "MainDisp.h"

#include "FileMessages.h"
#include "LinkRequests.h"
#include "SubDisp_About.h"
#include "SubDisp_AllSaveLoad.h"
#include "SubDisp_BlockSaveLoad.h"
#include "SubDisp_Factoryadj.h"
#include "SubDisp_SaveLoad.h"

void MainDisp::buildFileWindows()
{
    subDispSaveLoad = new SubDisp_SaveLoad(*this);
    subDispBlockSaveLoad = new SubDisp_BlockSaveLoad(*this);
    subDispAllSaveLoad = new SubDisp_AllSaveLoad(*this);
    subDispFactoryadj = new SubDisp_Factoryadj(*this);
    subDispAbout = new SubDisp_About(this);
    subDispAbout->showToolbar3 = [this](bool visible) { setToolbar3Visible(visible); };
}

void MainDisp::startLoadTransfer(bool allBlocks, int block, PLM_INC::ChangeOrigin origin)
{
    setFileTransferRunning(true);
    setTransferProgress(0, true);
    setStatusPanel(4, QString::fromLatin1(FileMessages::kDataChanging));
    // The request takes the values the window has just put into the image with it.
    PLM_INC::PendingRequests.push(allBlocks ? PLM_INC::AllSendRequest() : PLM_INC::BlockSendRequest(block, origin));
}

void MainDisp::setFileTransferRunning(bool running)
{
    if (subDispSaveLoad)
        subDispSaveLoad->setTransferRunning(running);
    if (subDispBlockSaveLoad)
        subDispBlockSaveLoad->setTransferRunning(running);
    if (subDispAllSaveLoad)
        subDispAllSaveLoad->setTransferRunning(running);
}
