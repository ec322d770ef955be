// What the communication and alarm tests share: a view and a prompter that record, a clock
// that stands still, an isolated preference store and history file.
#pragma once

#include "Clock.h"
#include "LinkView.h"
#include "Prompter.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class RecordingLinkView : public LinkView {
public:
    void setStatusPanel(int panel, const QString &text) override;
    void setReadingNoticeVisible(bool visible) override;
    void setCommErrorNoticeVisible(bool visible) override;
    void setStartupProgress(int count) override;
    void startupFinished() override;
    void resetSettingEditor() override;
    void setPortDialogSelection(const QString &port, const QString &speed) override;
    void showPortDialog(const QString &port, const QString &speed) override;
    void setPortProblem(const QString &text) override;
    void setTransferProgress(int value, bool visible) override;
    void transferFinished(bool allBlocks) override;
    void setWaitingWrites(int count, const QString &blocks) override
    {
        waitingWrites << count;
        waitingBlocks << blocks;
    }
    void showWriteProblem(const QString &text) override { writeProblems << text; }
    void refreshDisplay() override;

    QString panel[5];                   // panels 1..4
    QStringList panel1History;          // every text put into panel 1
    bool readingNotice = false;
    bool commErrorNotice = false;
    QList<int> startupProgress;
    int startupFinishedCount = 0;
    int resetEditorCount = 0;
    int refreshCount = 0;
    QList<QPair<QString, QString>> portSelections;
    QList<QPair<QString, QString>> portDialogs;
    QStringList portProblems;
    QList<QPair<int, bool>> transferProgress;
    QList<bool> transfersFinished;
    QList<int> waitingWrites; // every count of writes waiting for the controller told
    QStringList waitingBlocks; // with the blocks they waited for
    QStringList writeProblems; // what the operator was told of writes that did not arrive
    std::function<void()> onRefresh; // runs inside the tick, as a window handler would between ticks
    std::function<void()> onPortDialog; // runs as the port dialog comes up
};

class RecordingPrompter : public PLM_INC::Prompter {
public:
    void message(const QString &text, const QString &kind = QString()) override;
    PLM_INC::Answer question(const QString &text, PLM_INC::QuestionIcon icon = PLM_INC::QuestionIcon::Exclamation) override;
    QString openFileName(const QString &, const QString &, const QString &, const QString & = QString()) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &, const QString & = QString()) override { return {}; }

    QList<QPair<QString, QString>> messages; // text, kind
    std::function<void()> duringMessage;     // what runs while the "box" is open
};

class TestClock : public PLM_INC::Clock {
public:
    QDateTime now() const override { return at; }
    QDateTime at = QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7));
};

// Preferences in a temporary folder, a fresh image, the test clock and prompter installed,
// and this run's history file created in the temporary folder. Undone when destroyed.
class CommTestEnvironment {
public:
    CommTestEnvironment();
    ~CommTestEnvironment();
    QString folder() const { return dir.path(); }
    QByteArray historyFileBytes() const;
    // The history entries of the buffer in the order they were written (rows 1.. up to HistoryRow-1).
    QStringList historyContents() const;
    int historyCount(const QString &content) const;

    QTemporaryDir dir;
    TestClock clock;
    RecordingPrompter prompter;
};

// Twenty values of a reply field as four hex digits each.
QString replyData(const std::vector<int> &values);
// An acknowledged read reply of block (address char = block + 32), item and data, with its checksum.
QString ackReply(int addressCode, const QString &item, const QString &data);
