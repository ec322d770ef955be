#include "ChangeRecord.h"

#include "ChangeLine.h"
#include "DataFolder.h"
#include "DiskWriter.h"
#include "Prompter.h"

#include <QDir>
#include <QLocale>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace PLM_INC {

QString CurrentLoginName()
{
#ifdef Q_OS_UNIX
    // The account the process runs as: no variable of the environment can name someone else.
    if (const passwd *entry = getpwuid(geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return QStringLiteral("uid %1").arg(geteuid());
#else
    const QString name = qEnvironmentVariable("USERNAME");
    return name.isEmpty() ? QStringLiteral("unknown") : name;
#endif
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
