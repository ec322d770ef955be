// The protocol link: one serial line, one transaction at a time.
#pragma once

#include "CommError.h"
#include "Line.h"
#include "TobrelComm3Global.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

namespace tobrel {

// The operations in the order of the interface slots 7..42, so a caller bound by position
// finds them where it always has.
class TOBRELCOMM3_EXPORT STDCommInterface {
public:
    virtual ~STDCommInterface() = default;
    virtual bool BSuccessFlag() const = 0;                                            // 7
    virtual void setBSuccessFlag(bool value) = 0;                                     // 8
    virtual QString RWcomm(const QString &StrAddr, const QString &StrSubAddr,
                           const QString &StrCmdType, const QString &StrItem,
                           const QString &StrData, qint16 Inttry) = 0;                // 9
    virtual void RecvBufClear() = 0;                                                  // 10
    virtual void SendBufClear() = 0;                                                  // 11
    virtual void PortClose() = 0;                                                     // 12
    virtual void setOutputBuffer(const QString &value) = 0;                           // 13
    virtual QString OutputBuffer() const = 0;                                         // 14
    virtual QString InputBuffer() = 0;                                                // 15
    virtual void setRecvError(const QString &value) = 0;                              // 16
    virtual QString RecvError() const = 0;                                            // 17
    virtual void setTimeOut(qint32 ms) = 0;                                           // 18
    virtual void setOutputBufSize(qint32 size) = 0;                                   // 19
    virtual qint32 OutputBufSize() = 0;                                               // 20
    virtual void setInputBufSize(qint32 size) = 0;                                    // 21
    virtual qint32 InputBufSize() = 0;                                                // 22
    virtual void setFlow(const QString &value) = 0;                                   // 23
    virtual QString Flow() = 0;                                                       // 24
    virtual void setStopBit(const QString &value) = 0;                                // 25
    virtual QString StopBit() const = 0;                                              // 26
    virtual void setPality(const QString &value) = 0;                                 // 27
    virtual QString Pality() const = 0;                                               // 28
    virtual void setDataBit(const QString &value) = 0;                                // 29
    virtual QString DataBit() const = 0;                                              // 30
    virtual void setBaudRate(const QString &value) = 0;                               // 31
    virtual QString BaudRate() const = 0;                                             // 32
    virtual void setRThreshold(qint32 value) = 0;                                     // 33
    virtual qint32 RThreshold() = 0;                                                  // 34
    virtual qint32 CommID() const = 0;                                                // 35
    virtual bool PortOpen() = 0;                                                      // 36
    virtual void setPort(const QString &value) = 0;                                   // 37
    virtual QString Port() = 0;                                                       // 38
    virtual QString GetNData(const QString &StrRecv, qint16 n) const = 0;             // 39
    virtual qint16 isDataNum(const QString &StrRecv) const = 0;                       // 40
    virtual bool EventsCheck() const = 0;                                             // 41
    virtual void setEventsCheck(bool value) = 0;                                      // 42
};

class TOBRELCOMM3_EXPORT STDComm : public STDCommInterface {
public:
    // Without a line of its own the object drives the serial port named by Port.
    explicit STDComm(std::unique_ptr<Line> line = nullptr);
    ~STDComm() override;

    // Where the PortOpen message box goes; without one the text goes to standard error.
    using MessageHandler = std::function<void(const QString &text)>;
    void setMessageHandler(MessageHandler handler);

    // The monotonic millisecond clock the reply deadline is measured on. Tests install one
    // that moves only when they say, so a reply that is on its way is never timed out by a
    // busy machine; an empty function restores the steady clock.
    using MillisecondClock = std::function<qint64()>;
    void setMillisecondClock(MillisecondClock clock);

    // --- the interface (see STDCommInterface for slot order) ---
    bool BSuccessFlag() const override;
    void setBSuccessFlag(bool value) override;
    QString RWcomm(const QString &StrAddr, const QString &StrSubAddr, const QString &StrCmdType,
                   const QString &StrItem, const QString &StrData, qint16 Inttry) override;
    void RecvBufClear() override;
    void SendBufClear() override;
    void PortClose() override;
    void setOutputBuffer(const QString &value) override;
    QString OutputBuffer() const override;
    QString InputBuffer() override;
    void setRecvError(const QString &value) override;
    QString RecvError() const override;
    void setTimeOut(qint32 ms) override;
    void setOutputBufSize(qint32 size) override;
    qint32 OutputBufSize() override;
    void setInputBufSize(qint32 size) override;
    qint32 InputBufSize() override;
    void setFlow(const QString &value) override;
    QString Flow() override;
    void setStopBit(const QString &value) override;
    QString StopBit() const override;
    void setPality(const QString &value) override;
    QString Pality() const override;
    void setDataBit(const QString &value) override;
    QString DataBit() const override;
    void setBaudRate(const QString &value) override;
    QString BaudRate() const override;
    void setRThreshold(qint32 value) override;
    qint32 RThreshold() override;
    qint32 CommID() const override;
    bool PortOpen() override;
    void setPort(const QString &value) override;
    QString Port() override;
    QString GetNData(const QString &StrRecv, qint16 n) const override;
    qint16 isDataNum(const QString &StrRecv) const override;
    bool EventsCheck() const override;
    void setEventsCheck(bool value) override;

    // The time-out has no getter in the interface; tests and the host's diagnostics read it here.
    qint32 timeOutMs() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace tobrel
