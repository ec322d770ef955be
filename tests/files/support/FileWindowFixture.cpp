#include "FileWindowFixture.h"

#include "AlarmHistory.h"
#include "Clock.h"
#include "MainDisp.h"
#include "MonitorComm.h"
#include "PLM_INC.h"
#include "PtyServer.h"
#include "STDComm.h"

const QStringList kChain = {"0013", "0014", "0001", "0002", "0003", "0004", "0007", "0008", "000B",
                            "000C", "000D", "000E", "000F", "0010", "0011", "0012", "0015", "0016",
                            "0017", "0018", "0019", "001C", "001D", "001E", "001F", "0020"};
const QStringList kChainWithoutCooling = kChain.mid(0, 21);

QStringList Writes(int block, const QStringList &items)
{
    QStringList out;
    for (const QString &item : items)
        out << QStringLiteral("W %1 %2").arg(block).arg(item);
    return out;
}

FileWindowFixture::FileWindowFixture()
{
    CreateHistoryFile(env.dir.path(), PLM_INC::clock().now());
    w = std::make_unique<MainDisp>();
}

FileWindowFixture::~FileWindowFixture()
{
    w.reset();
    setHistoryListener({});
    line.reset();
}

bool FileWindowFixture::start(sim::DeviceModel model)
{
    line = std::make_unique<SimulatedLine>(std::move(model));
    if (!line->start())
        return false;
    bool opened = false;
    runOnLink(w->comm(), [&opened](tobrel::STDComm &link) {
        link.setPort(QStringLiteral("COM1"));
        link.setBaudRate(QStringLiteral("9600"));
        opened = link.PortOpen();
        link.setTimeOut(80); // absent blocks cost little
    });
    if (!opened)
        return false;
    PLM_INC::LinkRequest = 0;
    tick(); // the start-up read of every block
    line->clear();
    return PLM_INC::LinkRequest == 1;
}

void FileWindowFixture::tick()
{
    w->comm().Timer4_Timer();
    waitUntilIdle(w->comm());
}

void FileWindowFixture::finishTransfer(bool allBlocks)
{
    for (int i = 0; i < 15; ++i)
        w->comm().Timer3_Timer(allBlocks ? 1 : 0);
    tick();
}

int16_t FileWindowFixture::simValue(int block, const char *item, int channel)
{
    int16_t v = 0;
    line->server().withModel([&](sim::DeviceModel &m) { v = m.value(block, item, channel); });
    return v;
}
