#include "SessionTexts.h"

#include <cmath>

namespace session {

namespace {

enum class Shown { Whole, Tenths, Measured, Deviation, AlarmCode, HeatCool, Unit, CoolMode };
enum class Scaled { No, Level, Span, ByAlarmAction };

struct ItemRule {
    const char *code;
    Shown shown;
    Scaled scaled;
};

// How each setting item is shown and scaled: the process's own levels (the main setting) and
// its spans (hystereses, bands, corrections) follow a linear input's scaling, the rest do not.
constexpr ItemRule kRules[] = {
    {"0001", Shown::Measured, Scaled::Level},    {"0005", Shown::Measured, Scaled::ByAlarmAction},
    {"0006", Shown::Measured, Scaled::ByAlarmAction},
    {"0008", Shown::Tenths, Scaled::No},         {"0002", Shown::Tenths, Scaled::No},
    {"0010", Shown::Tenths, Scaled::No},         {"001C", Shown::Tenths, Scaled::No},
    {"0018", Shown::Deviation, Scaled::Span},    {"000D", Shown::Deviation, Scaled::Span},
    {"000B", Shown::Deviation, Scaled::Span},    {"000C", Shown::Deviation, Scaled::Span},
    {"0019", Shown::Deviation, Scaled::Span},    {"0015", Shown::Deviation, Scaled::Span},
    {"001E", Shown::Deviation, Scaled::Span},    {"0020", Shown::Deviation, Scaled::Span},
    {"001A", Shown::Deviation, Scaled::Span},    {"0013", Shown::AlarmCode, Scaled::No},
    {"0014", Shown::AlarmCode, Scaled::No},      {"0012", Shown::HeatCool, Scaled::No},
    {"0011", Shown::Unit, Scaled::No},           {"001F", Shown::CoolMode, Scaled::No},
};

ItemRule ruleOf(const std::string &item)
{
    for (const ItemRule &r : kRules)
        if (item == r.code)
            return r;
    return {"", Shown::Whole, Scaled::No}; // times, cycles, limits, the commands
}

int placesOf(const ChannelInput &in, Shown shown)
{
    const int divisorPlaces = in.divisor == 10 ? 1 : in.divisor == 100 ? 2 : in.divisor == 1000 ? 3
                            : in.divisor == 10000                      ? 4 : 0;
    switch (shown) {
    case Shown::Tenths: return 1;
    case Shown::Measured: return in.linear() ? divisorPlaces : in.type >= 6 ? 1 : 0;
    case Shown::Deviation: return in.linear() ? divisorPlaces : 1;
    default: return 0;
    }
}

QString numberText(long long value, int places)
{
    long long unit = 1;
    for (int i = 0; i < places; ++i)
        unit *= 10;
    const long long magnitude = value < 0 ? -value : value;
    QString text = QString::number(magnitude / unit);
    if (places > 0)
        text += QLatin1Char('.') + QString::number(magnitude % unit).rightJustified(places, QLatin1Char('0'));
    return value < 0 ? QLatin1Char('-') + text : text;
}

QString selectionText(Shown shown, int count)
{
    static const char *const kAlarmCodes[] = {"None", "H   ", "H  W", "L   ", "L  W", "HL  ", "HL W",
                                              "WID ", "WIDW", "PH  ", "PH W", "PL  ", "PL W"};
    static const char *const kCoolModes[] = {"Air", "Oil", "Water"};
    switch (shown) {
    case Shown::AlarmCode: return count >= 0 && count <= 12 ? QString::fromLatin1(kAlarmCodes[count]) : QString();
    case Shown::HeatCool: return QString::fromLatin1(count == 0 ? "Heat" : "Cool");
    case Shown::Unit: return QString::fromLatin1(count == 0 ? "deg.C" : "deg.F");
    case Shown::CoolMode: return count >= 0 && count <= 2 ? QString::fromLatin1(kCoolModes[count]) : QString();
    default: return QString::number(count);
    }
}

// Whether a count is a level (offset by the scaling's low limit) or a span: one reading, or
// both for an alarm value whose low limit makes them differ.
std::vector<bool> readingsOf(const ChannelInput &in, Scaled scaled, int alarmAction = -1)
{
    if (scaled == Scaled::ByAlarmAction && in.low != 0)
        return alarmAction < 0 ? std::vector<bool>{false, true} : std::vector<bool>{alarmAction >= 9};
    return {scaled == Scaled::Level};
}

} // namespace

bool IsSelectionItem(const std::string &item)
{
    const Shown shown = ruleOf(item).shown;
    return shown == Shown::AlarmCode || shown == Shown::HeatCool || shown == Shown::Unit || shown == Shown::CoolMode;
}

QString ShownText(const ChannelInput &in, const std::string &item, long long shown)
{
    const ItemRule rule = ruleOf(item);
    return IsSelectionItem(item) ? selectionText(rule.shown, int(shown)) : numberText(shown, placesOf(in, rule.shown));
}

QStringList CountTexts(const ChannelInput &in, const std::string &item, int16_t count, int alarmAction)
{
    const ItemRule rule = ruleOf(item);
    if (!in.linear() || rule.scaled == Scaled::No)
        return {ShownText(in, item, count)};
    QStringList texts;
    const double span = double(in.high) - double(in.low);
    for (bool level : readingsOf(in, rule.scaled, alarmAction))
        texts << ShownText(in, item, std::llround(std::nearbyint(span * count / 10000.0 + (level ? in.low : 0))));
    return texts;
}

std::vector<int16_t> DeviceCounts(const ChannelInput &in, const std::string &item, long long shown)
{
    const ItemRule rule = ruleOf(item);
    std::vector<int16_t> counts;
    const double span = double(in.high) - double(in.low);
    for (bool level : in.linear() && rule.scaled != Scaled::No ? readingsOf(in, rule.scaled) : std::vector<bool>{false}) {
        const double count = in.linear() && rule.scaled != Scaled::No
                                 ? std::nearbyint((double(shown) - (level ? in.low : 0)) * 10000.0 / span)
                                 : double(shown);
        if (count < -32768.0 || count > 32767.0)
            return {};
        counts.push_back(int16_t(count));
    }
    return counts;
}

} // namespace session
