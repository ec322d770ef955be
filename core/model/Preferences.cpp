#include "Preferences.h"

#include "PLM_INC.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <memory>

namespace Prefs {

namespace {

std::unique_ptr<QSettings> &storage()
{
    static std::unique_ptr<QSettings> s;
    return s;
}

QSettings &store()
{
    auto &s = storage();
    if (!s)
        s = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                        QStringLiteral("TOBREL LUMIRAS"), QStringLiteral("PLM-870 Monitor_us"));
    return *s;
}

struct Fixed {
    const char *key;
    const char *value;
};

constexpr Fixed kFixed[] = {
    {"Port", "COM1"},       {"Speed", "9600"},       {"Logtim", "0"},
    {"tab0block", "0"},     {"tab1block0", "3"},     {"tab1block1", "3"},
    {"tab2block0", "1"},    {"tab2block1", "4"},     {"tab2block2", "5"},
    {"tab1name0", "0"},     {"tab1name1", "0"},      {"tab2name", "0"},
    {"tab3name", "0"},      {"Chart_Min", "0"},      {"Chart_Max", "400"},
    {"Chart_Tim", "5"},     {"Chart_PrNo0", "0"},    {"Chart_PrNo1", "1"},
    {"Chart_PrNo2", "2"},   {"Chart_PrNo3", "3"},    {"Chart_PrVis0", "1"},
    {"Chart_PrVis1", "1"},  {"Chart_PrVis2", "1"},   {"Chart_PrVis3", "1"},
    {"Chart_PrName0", "Ch001"}, {"Chart_PrName1", "Ch002"}, {"Chart_PrName2", "Ch003"},
    {"Chart_PrName3", "Ch004"}, {"Chart_start", "0"}, {"log_restart", "0"},
    {"log_name", ""},       {"log_start", "0"},
};

} // namespace

QString defaultFor(const QString &key)
{
    for (const Fixed &f : kFixed)
        if (key == QLatin1String(f.key))
            return QString::fromLatin1(f.value);
    static const QRegularExpression numbered(QStringLiteral("^(DvtoN|Chname|STLH|STLL|DP|UNIT)(\\d+)$"));
    const auto m = numbered.match(key);
    if (m.hasMatch()) {
        const QString prefix = m.captured(1);
        const QString digits = m.captured(2);
        if (prefix == QLatin1String("DvtoN")) return QStringLiteral("Block") + digits;
        if (prefix == QLatin1String("Chname")) return QStringLiteral("Ch") + digits;
        if (prefix == QLatin1String("STLH")) return QStringLiteral("10000");
        if (prefix == QLatin1String("STLL")) return QStringLiteral("0");
        if (prefix == QLatin1String("DP")) return QStringLiteral("100");
        return QStringLiteral("%");
    }
    if (key.startsWith(QLatin1String("LogBlock ")))
        return QStringLiteral("0");
    return QString();
}

QString get(const QString &key)
{
    return store().value(key, defaultFor(key)).toString();
}

int getInt(const QString &key)
{
    bool ok = false;
    const int v = get(key).trimmed().toInt(&ok);
    if (ok)
        return v;
    return defaultFor(key).toInt();
}

void set(const QString &key, const QString &value)
{
    store().setValue(key, value);
}

void set(const QString &key, int value)
{
    set(key, QString::number(value));
}

QString blockName(int block)
{
    return get(QStringLiteral("DvtoN") + PLM_INC::BlockDigits(block));
}

QString channelName(int channel)
{
    return get(QStringLiteral("Chname") + PLM_INC::ChannelDigits(channel));
}

bool keepPrivate(QString *why)
{
    const QString path = storePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    // Created empty, so nothing is in it while it still has the default mode.
    if (file.open(QIODevice::ReadWrite) && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return true;
    *why = QStringLiteral("The preferences file \"%1\" cannot be made private: %2.")
               .arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
}

void reopen()
{
    storage().reset();
}

void sync()
{
    store().sync();
}

QString storePath()
{
    return store().fileName();
}

} // namespace Prefs
