// Opening the stored port and proving the controller answers on it.
#include "PortConnection.h"

#include "PLM_INC.h"
#include "PassOver.h"
#include "PortChoices.h"
#include "Preferences.h"
#include "ReplyKind.h"
#include "STDComm.h"

#include <memory>

using namespace PLM_INC;

namespace {

using Command = CommandHost::Command;
constexpr int kReplyTimeOutMs = CommandHost::kReplyTimeOutMs;

} // namespace

PortConnection::PortConnection(CommandHost &host)
    : host_(host)
{
}

void PortConnection::connectStoredPort(std::function<void(const QString &)> done)
{
    host_.addStep([this, done = std::move(done)] {
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
            host_.view().setPortDialogSelection(port, speed);
        probePort(port, speed, done);
    });
}

void PortConnection::probePort(const QString &port, const QString &speed, std::function<void(const QString &)> done)
{
    // What the dialog's line says if the controller does not answer is found on the line
    // thread: after a failed open it opens the device again, which a stuck adapter may hold.
    auto problem = std::make_shared<QString>();
    // Closing, the settings and the open are one piece of work: each part that fails is
    // passed over and the next runs, as the probe always did.
    host_.lineWork(
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
            host_.addStep([this, port, problem, done] {
                host_.sendUnclassified(0, Command::Read, ItemCodeTable[0], QString(), [this, port, problem, done](const QString &reply) {
                    if (ClassifyReply(reply) == ReplyKind::Ack) {
                        // The dialog's line follows this attempt too, once it has told a failed one.
                        if (portProblemTold_)
                            PassOver([&] { host_.view().setPortProblem(PortAnswersText(port)); });
                        portProblemTold_ = false;
                        if (done)
                            done(QStringLiteral("ok"));
                        return;
                    }
                    // Told on every failed attempt, so the dialog's line follows a replugged adapter.
                    PassOver([&] { host_.view().setPortProblem(*problem); });
                    portProblemTold_ = true;
                    if (portDialogShown_ == 0) {
                        portDialogShown_ = -1;
                        host_.lineWork([](tobrel::STDComm &link) {
                            PassOver([&] { link.PortClose(); });
                            return LinkOutcome();
                        });
                        host_.addStep([this] {
                            host_.view().showPortDialog(Prefs::get(QStringLiteral("Port")), Prefs::get(QStringLiteral("Speed")));
                        });
                    }
                    host_.addStep([done] {
                        if (done)
                            done(QString());
                    });
                });
            });
        });
}
