// Opening the stored port and proving the controller answers on it.
#include "MonitorComm.h"

#include "PLM_INC.h"
#include "PassOver.h"
#include "PortChoices.h"
#include "Preferences.h"
#include "ReplyKind.h"
#include "STDComm.h"

using namespace PLM_INC;

namespace {

constexpr qint32 kLinkTimeOutMs = 300;

} // namespace

QString MonitorComm::ConnectStoredPort()
{
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
    return ProbePort(port, speed);
}

QString MonitorComm::ProbePort(const QString &port, const QString &speed)
{
    PassOver([&] { link_->PortClose(); });
    PassOver([&] { link_->setTimeOut(kLinkTimeOutMs); });
    PassOver([&] {
        link_->setPort(port);
        link_->setBaudRate(speed);
    });
    PortOpenResult open = PortOpenResult::Failed;
    PassOver([&] { open = link_->PortOpen() ? PortOpenResult::Opened : PortOpenResult::CtsNotAsserted; });
    const QString reply = sendUnclassified(0, Command::Read, ItemCodeTable[0]);
    if (ClassifyReply(reply) == ReplyKind::Ack)
        return QStringLiteral("ok");
    // Told on every failed attempt, so the dialog's line follows a replugged adapter.
    PassOver([&] { view_->setPortProblem(DescribePortProblem(port, open)); });
    if (portDialogShown_ == 0) {
        portDialogShown_ = -1;
        PassOver([&] { link_->PortClose(); });
        view_->showPortDialog(Prefs::get(QStringLiteral("Port")), Prefs::get(QStringLiteral("Speed")));
    }
    return QString();
}

void MonitorComm::commDialogOk()
{
    portDialogShown_ = 0;
}

void MonitorComm::closePort()
{
    // The program is ending: no tick may find the port closed.
    timer4_.stop();
    for (QTimer &t : timer3_)
        t.stop();
    PassOver([&] { link_->PortClose(); });
}
