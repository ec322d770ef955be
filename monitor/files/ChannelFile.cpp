#include "ChannelFile.h"

#include "DataFileKind.h"
#include "FileCodePage.h"
#include "PLM_INC.h"
#include "SettingFields.h"
#include "ValueText.h"

namespace PLM_INC {

namespace {

enum class RowText {
    Value,   // MakeItemText of the row's display item
    Alarm1,  // long name of Alarm1Action
    Alarm2,  // long name of Alarm2Action
    HeatCool,
    DegUnit, // from DisplayUnit, which the pair shares
};

struct Row {
    const char *label;
    RowText text;
    bool number;
    const char *shortDefault; // nullptr: taken from the file
};

constexpr Row kRows[kChannelRows] = {
    {"Main setting value", RowText::Value, true, nullptr},
    {"Alarm 1 setting", RowText::Value, true, nullptr},
    {"Alarm 2 setting", RowText::Value, true, nullptr},
    {"HB alarm setting", RowText::Value, true, nullptr},
    {"Proportional band setting", RowText::Value, true, nullptr},
    {"Integral time setting ", RowText::Value, true, nullptr},
    {"Derivative time setting ", RowText::Value, true, nullptr},
    {"Anti-reset windup setting ", RowText::Value, true, nullptr},
    {"Proportional cycle setting ", RowText::Value, true, nullptr},
    {"PD-reset setting ", RowText::Value, true, nullptr},
    {"ON/OFF action hysteresis setting ", RowText::Value, true, nullptr},
    {"Alarm 1 hysteresis", RowText::Value, true, nullptr},
    {"Alarm 2 hysteresis", RowText::Value, true, nullptr},
    {"Alarm 1 action ", RowText::Alarm1, false, nullptr},
    {"Alarm 2 action ", RowText::Alarm2, false, nullptr},
    {"Output high limit", RowText::Value, true, nullptr},
    {"Output low limit", RowText::Value, true, nullptr},
    {"PV filter time setting ", RowText::Value, true, nullptr},
    {"Sensor correction setting ", RowText::Value, true, nullptr},
    {"Heating/Cooling action designation", RowText::HeatCool, false, nullptr},
    {"deg.C/deg.F designation", RowText::DegUnit, false, nullptr},
    {"Loop break alarm time setting", RowText::Value, true, nullptr},
    {"Loop break alarm span setting", RowText::Value, true, nullptr},
    {"Cooling control proportional band ", RowText::Value, true, "1.0"},
    {"Cooling control proportional cycle ", RowText::Value, true, "30"},
    {"Overlap band/Dead band setting", RowText::Value, true, "0.0"},
    {"Cooling action mode selection", RowText::Value, false, "Air"},
    {"Cooling output ON/OFF action hysteresis setting", RowText::Value, true, "1.0"},
    {"Scaling high limit setting ", RowText::Value, true, "10000"},
    {"Scaling low limit setting ", RowText::Value, true, "0"},
    {"Decimal point place selection ", RowText::Value, false, "xxxx."},
    {"Setting the unit ", RowText::Value, false, "%"},
};

const Row &row(int r)
{
    return kRows[static_cast<size_t>(r)];
}

void appendQuotedLine(QByteArray &out, const QString &text)
{
    out += '"';
    out += ToFileCodePage(text);
    out += "\"\r\n";
}

bool numbersFit(const ChannelRows &rows)
{
    for (int r = 0; r < kChannelRows; ++r)
        if (row(r).number && !IsValueNumberText(rows[static_cast<size_t>(r)]))
            return false;
    return true;
}

} // namespace

int ChannelRowDisplayItem(int r)
{
    return r + 3;
}

QString ChannelRowLabel(int r)
{
    return QString::fromLatin1(row(r).label);
}

bool ChannelRowIsNumber(int r)
{
    return row(r).number;
}

QString ChannelRowShortFormDefault(int r)
{
    const char *text = row(r).shortDefault;
    return text ? QString::fromLatin1(text) : QString();
}

QString ChannelRowText(int r, int channel)
{
    switch (row(r).text) {
    case RowText::Value:
        return MakeItemText(ChannelRowDisplayItem(r), channel);
    case RowText::Alarm1:
        return AlarmTypeName(Alarm1Action[channel]);
    case RowText::Alarm2:
        return AlarmTypeName(Alarm2Action[channel]);
    case RowText::HeatCool:
        return HeatCoolAction[channel] == 0 ? QStringLiteral("Heating") : QStringLiteral("Cooling");
    case RowText::DegUnit:
        return DisplayUnit[channel] == 0 ? QStringLiteral("deg.C") : QStringLiteral("deg.F");
    }
    return QString();
}

ChannelRows ChannelRowsOf(int channel)
{
    ChannelRows rows;
    for (int r = 0; r < kChannelRows; ++r)
        rows[static_cast<size_t>(r)] = ChannelRowText(r, channel);
    return rows;
}

QByteArray ChannelFileBytes(const ChannelRows &rows)
{
    QByteArray out;
    out.reserve(1024);
    appendQuotedLine(out, QString::fromLatin1(kFileMarker));
    for (const QString &text : rows)
        appendQuotedLine(out, text);
    return out;
}

std::optional<ChannelRows> ReadChannelFile(const QByteArray &bytes)
{
    SettingFieldReader reader(bytes);
    const std::optional<QString> first = reader.nextText();
    if (!first)
        return std::nullopt;
    ChannelRows rows;
    int fromFile = kStandardRows;
    if (*first == QLatin1String(kFileMarker)) {
        fromFile = kChannelRows;
    } else {
        reader.rewind(); // the short form starts with row 0
    }
    for (int r = 0; r < fromFile; ++r) {
        const std::optional<QString> text = reader.nextText();
        if (!text)
            return std::nullopt;
        rows[static_cast<size_t>(r)] = *text;
    }
    for (int r = fromFile; r < kChannelRows; ++r)
        rows[static_cast<size_t>(r)] = ChannelRowShortFormDefault(r);
    if (!numbersFit(rows))
        return std::nullopt;
    return rows;
}

} // namespace PLM_INC
