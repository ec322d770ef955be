#include "ChangeVerify.h"

#include "ChangeLine.h"
#include "FileCodePage.h"

#include <QDir>
#include <QFile>

namespace PLM_INC {

namespace {

ChangeFileCheck notFollowing(int number, const QByteArray &line, const QString &why, int changes)
{
    ChangeFileCheck check;
    check.changes = changes;
    check.badLine = number;
    check.badText = FileTextDecoder(line)(line);
    check.why = why;
    return check;
}

} // namespace

ChangeFileCheck VerifyChangeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ChangeFileCheck check;
        check.why = QStringLiteral("Cannot read the file: %1.").arg(file.errorString());
        return check;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        ChangeFileCheck check;
        check.why = QStringLiteral("Cannot read the file: %1.").arg(file.errorString());
        return check;
    }
    if (bytes.isEmpty())
        return notFollowing(1, QByteArray(), QStringLiteral("the file is empty: it has no column line."), 0);

    QByteArray previous = kChangeChainStart;
    int changes = 0;
    int number = 0;
    qsizetype start = 0;
    const QByteArray columns = ChangeColumnLine();
    while (start < bytes.size()) {
        ++number;
        const qsizetype end = bytes.indexOf('\n', start);
        if (end < 0 || end == start || bytes.at(end - 1) != '\r')
            return notFollowing(number, bytes.mid(start, end < 0 ? -1 : end - start),
                                QStringLiteral("the line is not ended with CR LF (an unfinished line)."), changes);
        const QByteArray line = bytes.mid(start, end - 1 - start);
        if (number == 1) {
            if (line + "\r\n" != columns)
                return notFollowing(number, line, QStringLiteral("it is not the column line."), changes);
        } else {
            QByteArray fields;
            const QByteArray hash = SplitChangeLine(line, &fields);
            if (hash.isEmpty())
                return notFollowing(number, line, QStringLiteral("it carries no hash."), changes);
            if (hash != ChangeHash(previous, fields))
                return notFollowing(number, line,
                                    QStringLiteral("its hash is not the one that follows from the line before it "
                                                   "(the line, or one before it, was changed or removed)."),
                                    changes);
            if (CountChangeFields(line) != kChangeColumns)
                return notFollowing(number, line, QStringLiteral("it does not hold the fields of a change."), changes);
            previous = hash;
            ++changes;
        }
        start = end + 1;
    }
    ChangeFileCheck check;
    check.ok = true;
    check.changes = changes;
    return check;
}

QString ChangeCheckText(const QString &path, const ChangeFileCheck &check)
{
    const QString name = QDir::toNativeSeparators(path);
    if (check.ok)
        return QStringLiteral("%1: OK, %2 changes follow the chain.").arg(name, QString::number(check.changes));
    if (check.badLine == 0)
        return QStringLiteral("%1: %2").arg(name, check.why);
    return QStringLiteral("%1: line %2 does not follow: %3\n%4")
        .arg(name, QString::number(check.badLine), check.why, check.badText);
}

} // namespace PLM_INC
