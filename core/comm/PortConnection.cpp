// Opening the stored port and proving the controller answers on it.
#include "MonitorComm.h"

#include "PLM_INC.h"
#include "PassOver.h"
#include "PortChoices.h"
#include "Preferences.h"
#include "ReplyKind.h"
#include "STDComm.h"

#include <memory>

using namespace PLM_INC;

void MonitorComm::connectStoredPort(std::function<void(const QString &)> done)
{
    runner_.add([this, done = std::move(done)] {
        QString speed = Prefs::get(QStringLiteral("Speed"));
        QString port = Prefs::get(QStringLiteral("Port"));
        bool repaired = false;
        if (speed != QLatin1String("19200") && speed != QLatin1String("9600")) {
            speed = QStringLiteral("9600");
            Prefs::set(QStringLiteral("Speed"), speed);
            repaired = true;
        }
        // COM1..COM8 keep their meaning; an adapter chosen in the dialog is stored by its device.
        if (!IsStorablePort(port)) {
            port = QStringLiteral("COM1");
            Prefs::set(QStringLiteral("Port"), port);
            repaired = true;
        }
        if (repaired)
            view_->setPortDialogSelection(port, speed);
        probePort(port, speed, done);
    });
}

void MonitorComm::probePort(const QString &port, const QString &speed, std::function<void(const QString &)> done)
{
    // What the dialog's line says if the controller does not answer is found on the line
    // thread: after a failed open it opens the device again, which a stuck adapter may hold.
    auto problem = std::make_shared<QString>();
    // Closing, the settings and the open are one piece of work: each part that fails is
    // passed over and the next runs, as the probe always did.
    lineWork(
        [port, speed, problem](tobrel::STDComm &link) {
            PassOver([&] { link.PortClose(); });
            PassOver([&] { link.setTimeOut(kReplyTimeOutMs); });
            PassOver([&] {
                link.setPort(port);
                link.setBaudRate(speed);
            });
            LinkOutcome outcome;
            outcome.result = int(PortOpenResult::Failed);
            PassOver([&] {
                outcome.result = int(link.PortOpen() ? PortOpenResult::Opened : PortOpenResult::CtsNotAsserted);
            });
            *problem = DescribePortProblem(port, PortOpenResult(outcome.result));
            return outcome;
        },
        [this, port, problem, done = std::move(done)](const LinkOutcome &) {
            runner_.add([this, port, problem, done] {
                sendUnclassified(0, Command::Read, ItemCodeTable[0], QString(), [this, port, problem, done](const QString &reply) {
                    if (ClassifyReply(reply) == ReplyKind::Ack) {
                        // The dialog's line follows this attempt too, once it has told a failed one.
                        if (portProblemTold_)
                            PassOver([&] { view_->setPortProblem(PortAnswersText(port)); });
                        portProblemTold_ = false;
                        if (done)
                            done(QStringLiteral("ok"));
                        return;
                    }
                    // Told on every failed attempt, so the dialog's line follows a replugged adapter.
                    PassOver([&] { view_->setPortProblem(*problem); });
                    portProblemTold_ = true;
                    if (portDialogShown_ == 0) {
                        portDialogShown_ = -1;
                        lineWork([](tobrel::STDComm &link) {
                            PassOver([&] { link.PortClose(); });
                            return LinkOutcome();
                        });
                        runner_.add([this] {
                            view_->showPortDialog(Prefs::get(QStringLiteral("Port")), Prefs::get(QStringLiteral("Speed")));
                        });
                    }
                    runner_.add([done] {
                        if (done)
                            done(QString());
                    });
                });
            });
        });
}

QString MonitorComm::ConnectStoredPort()
{
    auto result = std::make_shared<QString>();
    connectStoredPort([result](const QString &connected) { *result = connected; });
    return *result;
}

QString MonitorComm::ProbePort(const QString &port, const QString &speed)
{
    auto result = std::make_shared<QString>();
    probePort(port, speed, [result](const QString &connected) { *result = connected; });
    return *result;
}

void MonitorComm::commDialogOk()
{
    portDialogShown_ = 0;
}

void MonitorComm::closePort()
{
    // The program is ending: no tick may find the port closed, and what has not started
    // will not.
    timer4_.stop();
    for (auto &t : timer3_)
        t->stop();
    runner_.stop();
    service_->run(
        [](tobrel::STDComm &link) {
            PassOver([&] { link.PortClose(); });
            return LinkOutcome();
        },
        [](const LinkOutcome &) {});
}
