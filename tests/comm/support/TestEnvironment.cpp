#include "TestEnvironment.h"

#include "AlarmHistory.h"
#include "DiskWriter.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "Protocol.h"

#include <QFile>
#include <QSettings>

void RecordingLinkView::setStatusPanel(int p, const QString &text)
{
    if (p >= 1 && p <= 4)
        panel[p] = text;
    if (p == 1)
        panel1History << text;
}
void RecordingLinkView::setReadingNoticeVisible(bool visible) { readingNotice = visible; }
void RecordingLinkView::setCommErrorNoticeVisible(bool visible) { commErrorNotice = visible; }
void RecordingLinkView::setStartupProgress(int count) { startupProgress << count; }
void RecordingLinkView::startupFinished() { ++startupFinishedCount; }
void RecordingLinkView::resetSettingEditor() { ++resetEditorCount; }
void RecordingLinkView::setPortDialogSelection(const QString &port, const QString &speed)
{
    portSelections << qMakePair(port, speed);
}
void RecordingLinkView::showPortDialog(const QString &port, const QString &speed)
{
    portDialogs << qMakePair(port, speed);
    if (onPortDialog)
        onPortDialog();
}
void RecordingLinkView::setPortProblem(const QString &text) { portProblems << text; }
void RecordingLinkView::setTransferProgress(int value, bool visible) { transferProgress << qMakePair(value, visible); }
void RecordingLinkView::transferFinished(bool allBlocks) { transfersFinished << allBlocks; }
void RecordingLinkView::refreshDisplay()
{
    ++refreshCount;
    if (onRefresh)
        onRefresh();
}

void RecordingPrompter::message(const QString &text, const QString &kind)
{
    messages << qMakePair(text, kind);
    if (duringMessage)
        duringMessage();
}

PLM_INC::Answer RecordingPrompter::question(const QString &, PLM_INC::QuestionIcon)
{
    return PLM_INC::Answer::No;
}

CommTestEnvironment::CommTestEnvironment()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path() + QStringLiteral("/config"));
    Prefs::reopen();
    PLM_INC::ResetImage();
    PLM_INC::FillItemCodeTable();
    PLM_INC::setClock(&clock);
    PLM_INC::setPrompter(&prompter);
    setHistoryListener({});
    CreateHistoryFile(dir.path(), clock.now());
}

CommTestEnvironment::~CommTestEnvironment()
{
    // Lines still on their way, and their failures, belong to this test, not the next one.
    PLM_INC::diskWriter().waitUntilWritten();
    setHistoryListener({});
    PLM_INC::setClock(nullptr);
    PLM_INC::setPrompter(nullptr);
    Prefs::reopen();
}

QByteArray CommTestEnvironment::historyFileBytes() const
{
    PLM_INC::diskWriter().waitUntilWritten();
    QFile f(PLM_INC::HistoryFileName);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

QStringList CommTestEnvironment::historyContents() const
{
    QStringList out;
    for (int row = 0; row < PLM_INC::kHistoryRows; ++row) {
        const QString content = PLM_INC::HistoryBuffer[row][3];
        if (!content.isEmpty())
            out << content;
    }
    return out;
}

int CommTestEnvironment::historyCount(const QString &content) const
{
    return historyContents().count(content);
}

QString replyData(const std::vector<int> &values)
{
    QString data;
    for (int v : values)
        data += QString::fromStdString(tobrel::EncodeValue(static_cast<int16_t>(v)));
    return data;
}

QString ackReply(int addressCode, const QString &item, const QString &data)
{
    const std::string body = std::string(1, char(addressCode)) + " \"" + item.toStdString() + data.toStdString();
    return QString::fromLatin1((std::string(1, tobrel::ACK) + body + tobrel::MakeCheckSum(body) + tobrel::ETX).c_str());
}
