// What the setting file tests share: preferences and the data folder in a temporary folder,
// a fresh image, and a prompter that answers file dialogs and questions from queues and
// records every box.
#pragma once

#include "Prompter.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class FilePrompter : public PLM_INC::Prompter {
public:
    void message(const QString &text, const QString &kind = QString()) override;
    PLM_INC::Answer question(const QString &text, PLM_INC::QuestionIcon icon = PLM_INC::QuestionIcon::Exclamation) override;
    QString openFileName(const QString &title, const QString &folder, const QString &filter,
                         const QString &suffix = QString()) override;
    QString saveFileName(const QString &title, const QString &folder, const QString &filter,
                         const QString &suffix = QString()) override;

    QStringList openNames;             // answered in turn; "" (cancel) when empty
    QStringList saveNames;
    QList<PLM_INC::Answer> answers;    // answered in turn; `answer` when empty
    PLM_INC::Answer answer = PLM_INC::Answer::Yes;

    QStringList messages;
    QStringList questions;
    QList<PLM_INC::QuestionIcon> questionIcons;
    QStringList dialogFolders;
    QStringList dialogFilters;
    QStringList dialogSuffixes;
};

class FilesTestEnvironment {
public:
    FilesTestEnvironment();
    ~FilesTestEnvironment();
    FilesTestEnvironment(const FilesTestEnvironment &) = delete;
    FilesTestEnvironment &operator=(const FilesTestEnvironment &) = delete;

    QString home() const { return dir.path() + QStringLiteral("/home"); }
    QString setdata() const { return home() + QStringLiteral("/Setdata"); }
    // A path in the Setdata folder.
    QString file(const QString &name) const { return setdata() + QLatin1Char('/') + name; }

    QTemporaryDir dir;
    FilePrompter prompter;
};

bool WriteBytes(const QString &path, const QByteArray &bytes);
QByteArray ReadBytes(const QString &path);
