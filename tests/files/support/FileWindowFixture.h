// The main window with its link driver on the simulator over a pseudo-terminal, the start-up
// read done, for the setting file windows; plus what their tests share.
#pragma once

#include "DeviceModel.h"
#include "FilesTestEnvironment.h"
#include "SimulatedLine.h"

#include <QStringList>
#include <functional>
#include <initializer_list>
#include <memory>

class MainDisp;

class FileWindowFixture {
public:
    FileWindowFixture();
    ~FileWindowFixture();
    FileWindowFixture(const FileWindowFixture &) = delete;
    FileWindowFixture &operator=(const FileWindowFixture &) = delete;

    // Serves the model, opens COM1 on it and runs the start-up read; false when the
    // simulator or the port did not start.
    bool start(sim::DeviceModel model);
    void tick();
    // The fifteen one-second steps between the phases of a transfer, then its second phase.
    void finishTransfer(bool allBlocks);
    int16_t simValue(int block, const char *item, int channel);

    FilesTestEnvironment env;
    std::unique_ptr<SimulatedLine> line;
    std::unique_ptr<MainDisp> w;
};

// Write summaries ("W 2 0013") of a block for the items.
QStringList Writes(int block, const QStringList &items);
// The load transfer's chain without the cooling items, and with them.
extern const QStringList kChainWithoutCooling;
extern const QStringList kChain;
