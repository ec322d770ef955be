// How a session is printed when RapidCheck shows a failing one.
#include "WriteSession.h"

#include <sstream>

namespace session {

namespace {

const char *kindName(Kind k)
{
    switch (k) {
    case Kind::Wait: return "wait";
    case Kind::Edit: return "edit";
    case Kind::Select: return "select";
    case Kind::ToggleOutput: return "output";
    case Kind::ToggleAutoTuning: return "auto-tuning";
    case Kind::SendChannel: return "send-channel";
    case Kind::SendBlock: return "send-block";
    case Kind::SendAll: return "send-all";
    case Kind::Factory: return "factory";
    case Kind::PanelChange: return "front-panel";
    case Kind::BlockDies: return "block-dies";
    case Kind::Unplug: return "unplug";
    case Kind::LineFails: return "line-fails";
    case Kind::ReadsFail: return "reads-fail";
    }
    return "?";
}

} // namespace

void showValue(const Action &action, std::ostream &os)
{
    os << kindName(action.kind) << '(' << action.a << ',' << action.b << ',' << action.c << ')';
}

void showValue(const Setup &setup, std::ostream &os)
{
    os << "blocks";
    for (int b : setup.present)
        os << ' ' << b;
    const FaultRates &r = setup.rates;
    os << ", " << setup.baud << " baud, values " << setup.valueSeed << ", faults per mille: request lost "
       << r.requestLost << ", reply lost " << r.replyLost << ", refused " << r.refused << ", request damaged "
       << r.requestDamaged << ", reply damaged " << r.replyDamaged << ", late " << r.late << ", doubled " << r.doubled
       << ", trailed " << r.trailed << " (seed " << setup.faultSeed << ')';
    if (setup.lateWritesBlock >= 0)
        os << ", block " << setup.lateWritesBlock << " answers writes late";
    if (setup.anyReplyDamage)
        os << ", replies damaged anywhere";
    if (setup.anyRequestDamage)
        os << ", requests damaged anywhere";
    if (setup.faultsFromStart)
        os << ", faults from the start-up read on";
    if (setup.coolingSeed != 0)
        os << ", heating/cooling drawn by " << setup.coolingSeed;
    if (setup.decimalSeed != 0)
        os << ", inputs drawn by " << setup.decimalSeed;
}

void showValue(const Steps &steps, std::ostream &os)
{
    int waits = 0;
    for (const Action &action : steps.actions) {
        if (action.kind == Kind::Wait) {
            waits += action.a;
            continue;
        }
        if (waits > 0)
            os << "  wait " << waits * 100 << " ms\n";
        waits = 0;
        os << "  ";
        showValue(action, os);
        os << '\n';
    }
    if (waits > 0)
        os << "  wait " << waits * 100 << " ms\n";
}

} // namespace session

namespace session {

std::string regressionForm(const Setup &setup, const Steps &steps)
{
    std::ostringstream os;
    os << "{\"...\", {{";
    for (size_t i = 0; i < setup.present.size(); ++i)
        os << (i ? ", " : "") << setup.present[i];
    const FaultRates &r = setup.rates;
    os << "}, " << setup.baud << ", " << setup.valueSeed << "u, {" << r.requestLost << ", " << r.replyLost << ", "
       << r.refused << ", " << r.requestDamaged << ", " << r.replyDamaged << ", " << r.late << ", " << r.doubled << ", "
       << r.trailed << "}, " << setup.faultSeed << "u, " << setup.lateWritesBlock << ", " << std::boolalpha
       << setup.anyReplyDamage << ", " << setup.anyRequestDamage << ", " << setup.faultsFromStart << std::noboolalpha;
    if (setup.coolingSeed != 0 || setup.decimalSeed != 0)
        os << ", " << setup.coolingSeed << 'u';
    if (setup.decimalSeed != 0)
        os << ", " << setup.decimalSeed << 'u';
    os << "},\n {{";
    for (const Action &a : steps.actions) {
        os << "{Kind(" << int(a.kind) << ") /* " << kindName(a.kind) << " */, " << a.a << ", ";
        if (a.kind == Kind::PanelChange)
            os << "0x" << std::hex << a.b << std::dec; // an item code
        else
            os << a.b;
        os << ", " << a.c << "}, ";
    }
    os << "}}},";
    return os.str();
}

} // namespace session
