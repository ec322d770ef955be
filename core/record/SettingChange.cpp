#include "SettingChange.h"

#include "ItemTable.h"

namespace PLM_INC {

namespace {

struct OriginText {
    ChangeOrigin origin;
    const char *text;
};
constexpr OriginText kOrigins[] = {
    {ChangeOrigin::Editor, "setting editor"},
    {ChangeOrigin::Selection, "selection dialog"},
    {ChangeOrigin::Command, "command"},
    {ChangeOrigin::BlockSend, "block send"},
    {ChangeOrigin::ChannelFile, "channel file"},
    {ChangeOrigin::AllChannelFile, "all-channel file"},
    {ChangeOrigin::FactoryAdjust, "factory adjustment"},
    {ChangeOrigin::AtUnit, "at the unit"},
    {ChangeOrigin::AtUnitWhileStopped, "at the unit, while the program was stopped"},
    {ChangeOrigin::ProgramStarted, "program started"},
    {ChangeOrigin::ProgramEnded, "program ended"},
};

struct OutcomeText {
    WriteOutcome outcome;
    const char *text;
};
constexpr OutcomeText kOutcomes[] = {
    {WriteOutcome::Taken, "taken"},
    {WriteOutcome::Refused, "refused"},
    {WriteOutcome::NoReply, "no reply"},
};

} // namespace

QString ChangeOriginText(ChangeOrigin origin)
{
    for (const OriginText &o : kOrigins)
        if (o.origin == origin)
            return QString::fromLatin1(o.text);
    return QString();
}

QString WriteOutcomeText(WriteOutcome outcome)
{
    for (const OutcomeText &o : kOutcomes)
        if (o.outcome == outcome)
            return QString::fromLatin1(o.text);
    return QString();
}

bool ChangeOriginFromText(const QString &text, ChangeOrigin *origin)
{
    for (const OriginText &o : kOrigins)
        if (text == QLatin1String(o.text)) {
            *origin = o.origin;
            return true;
        }
    return false;
}

bool WriteOutcomeFromText(const QString &text, WriteOutcome *outcome)
{
    for (const OutcomeText &o : kOutcomes)
        if (text == QLatin1String(o.text)) {
            *outcome = o.outcome;
            return true;
        }
    return false;
}

namespace {
const QLatin1String kClockWentBack(" (the clock went back)");
}

QString RecordedOriginText(const SettingChange &change)
{
    return ChangeOriginText(change.origin) + (change.clockWentBack ? QString(kClockWentBack) : QString());
}

bool RecordedOriginFromText(const QString &text, SettingChange *change)
{
    change->clockWentBack = text.endsWith(kClockWentBack);
    return ChangeOriginFromText(change->clockWentBack ? text.chopped(kClockWentBack.size()) : text, &change->origin);
}

const std::vector<ChangeOrigin> &AllChangeOrigins()
{
    static const std::vector<ChangeOrigin> all = [] {
        std::vector<ChangeOrigin> origins;
        for (const OriginText &o : kOrigins)
            origins.push_back(o.origin);
        return origins;
    }();
    return all;
}

SettingChange ProgramLine(ChangeOrigin origin, const QDateTime &at, const QString &user)
{
    SettingChange line;
    line.at = at;
    line.channel = -1;
    line.origin = origin;
    line.user = user;
    return line;
}

QString ItemNameOnPages(const QString &code)
{
    const ItemInfo *info = ItemByCode(code);
    return info && !info->caption.isEmpty() ? info->caption : code;
}

} // namespace PLM_INC
