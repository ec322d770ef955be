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

QDate ChangeRecord::newestMonth() const
{
    QStringList names = QDir(m_folder).entryList(QDir::Files, QDir::Name | QDir::Reversed);
    for (const QString &name : names)
        if (IsChangeFileName(name))
            return QDate(name.left(4).toInt(), name.mid(5, 2).toInt(), 1);
    return QDate();
}

void ChangeRecord::append(const SettingChange &change)
{
    const QByteArray fields = ChangeFieldBytes(ChangeFieldTexts(change, m_user, QLocale::system()));
    SettingChange back = change;
    back.clockWentBack = true;
    const QByteArray fieldsBack = ChangeFieldBytes(ChangeFieldTexts(back, m_user, QLocale::system()));
    const QString folder = m_folder;
    const QDateTime at = change.at;
    // On the writer thread: chained to whatever line the file ends with by then, and marked when
    // its time is earlier than that line's (the PC's clock was set back).
    auto make = [fields, fieldsBack, folder, at](const QString &path, QString *why) -> QByteArray {
        QDir().mkpath(folder);
        QByteArray previous;
        bool empty = true;
        QDateTime lastAt;
        if (!ChangeChainEnd(path, &previous, &empty, why, &lastAt))
            return QByteArray();
        const bool back = lastAt.isValid() && at < lastAt;
        return (empty ? ChangeColumnLine() : QByteArray()) + ChangeLine(previous, back ? fieldsBack : fields);
    };
    // A change dated in a month before the newest one written goes on in the newest month's
    // file (and is marked there), never into a closed month.
    const QDate month(change.at.toLocalTime().date().year(), change.at.toLocalTime().date().month(), 1);
    if (!m_newestMonth.isValid())
        m_newestMonth = newestMonth();
    if (!m_newestMonth.isValid() || month > m_newestMonth)
        m_newestMonth = month;
    const QString path = QDir(m_folder).filePath(ChangeFileName(m_newestMonth));
    const auto failed = m_failed;
    diskWriter().appendMade(path, make, fields, [failed](const QString &why) {
        if (failed)
            failed(WithFailureReason(QString::fromLatin1(kChangeRecordWriteFailedText), why));
    });
}

} // namespace PLM_INC
