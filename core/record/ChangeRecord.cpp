#include "ChangeRecord.h"

#include "ChangeLine.h"
#include "DataFolder.h"
#include "DiskWriter.h"
#include "ItemTable.h"
#include "Prompter.h"

#include <QDir>
#include <QLocale>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

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

QString ItemNameOnPages(const QString &code)
{
    const ItemInfo *info = ItemByCode(code);
    return info && !info->caption.isEmpty() ? info->caption : code;
}

QString CurrentLoginName()
{
    for (const char *variable : {"USER", "LOGNAME", "USERNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return name;
    }
#ifdef Q_OS_UNIX
    if (const passwd *entry = getpwuid(getuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
#endif
    return QStringLiteral("unknown");
}

QString ChangeRecordFolder()
{
    return DataSubFolder(QStringLiteral("changes"));
}

ChangeRecord::ChangeRecord(const QString &folder)
    : m_folder(folder), m_user(CurrentLoginName()), m_failed([](const QString &message) {
          prompter().message(message, QStringLiteral("changes"));
      })
{
}

QString ChangeRecord::filePath(const QDateTime &at) const
{
    return QDir(m_folder).filePath(ChangeFileName(at.toLocalTime().date()));
}

void ChangeRecord::append(const SettingChange &change)
{
    const QByteArray fields = ChangeFieldBytes(ChangeFieldTexts(change, m_user, QLocale::system()));
    const QString folder = m_folder;
    // On the writer thread: chained to whatever line the file ends with by then.
    auto make = [fields, folder](const QString &path, QString *why) -> QByteArray {
        QDir().mkpath(folder);
        QByteArray previous;
        bool empty = true;
        if (!ChangeChainEnd(path, &previous, &empty, why))
            return QByteArray();
        return (empty ? ChangeColumnLine() : QByteArray()) + ChangeLine(previous, fields);
    };
    const auto failed = m_failed;
    diskWriter().appendMade(filePath(change.at), make, fields, [failed](const QString &why) {
        if (failed)
            failed(WithFailureReason(QString::fromLatin1(kChangeRecordWriteFailedText), why));
    });
}

} // namespace PLM_INC
