// What the logging and chart tests share: preferences and the data folder in a temporary
// folder, a fresh image, a clock set by the test, and a prompter that records its boxes,
// answers questions as told and returns the file name the test chose for Browse.
#pragma once

#include "Clock.h"
#include "DataFolder.h"
#include "PLM_INC.h"
#include "Preferences.h"
#include "DiskWriter.h"
#include "Prompter.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

class ChartLogPrompter : public PLM_INC::Prompter {
public:
    void message(const QString &text, const QString &kind) override
    {
        messages << text;
        kinds << kind;
    }
    PLM_INC::Answer question(const QString &text, PLM_INC::QuestionIcon icon = PLM_INC::QuestionIcon::Exclamation) override
    {
        questions << text;
        questionIcons << icon;
        return answer;
    }
    QString openFileName(const QString &, const QString &, const QString &, const QString & = QString()) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &, const QString & = QString()) override { return {}; }
    QString anyFileName(const QString &, const QString &folder, const QString &, const QString &suffix = QString()) override
    {
        dialogFolder = folder;
        dialogSuffix = suffix;
        return chosenFile;
    }

    QStringList messages;
    QStringList kinds;
    QStringList questions;
    QList<PLM_INC::QuestionIcon> questionIcons;
    PLM_INC::Answer answer = PLM_INC::Answer::No;
    QString chosenFile;
    QString dialogFolder;
    QString dialogSuffix;
};

class SetClock : public PLM_INC::Clock {
public:
    QDateTime now() const override { return at; }
    QDateTime at = QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7));
};

class ChartLogFixture {
public:
    ChartLogFixture()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path() + QStringLiteral("/config"));
        Prefs::reopen();
        qputenv("PLM870_HOME", QFile::encodeName(home()));
        PLM_INC::ForgetDataFolder();
        QDir().mkpath(PLM_INC::DataSubFolder(QStringLiteral("logging")));
        PLM_INC::ResetImage();
        PLM_INC::setClock(&clock);
        PLM_INC::setPrompter(&prompter);
    }
    ~ChartLogFixture()
    {
        PLM_INC::setClock(nullptr);
        PLM_INC::setPrompter(nullptr);
        Prefs::reopen();
        PLM_INC::ForgetDataFolder();
    }
    ChartLogFixture(const ChartLogFixture &) = delete;
    ChartLogFixture &operator=(const ChartLogFixture &) = delete;

    QString home() const { return m_dir.path() + QStringLiteral("/home"); }
    QString logFolder() const { return home() + QStringLiteral("/logging"); }
    // The stored text of a preference, or "(none)" when the store holds no such key.
    static QString stored(const QString &key)
    {
        Prefs::sync();
        QSettings settings(Prefs::storePath(), QSettings::IniFormat);
        return settings.contains(key) ? settings.value(key).toString() : QStringLiteral("(none)");
    }
    // The file once every line handed to the disk writer is written.
    static QByteArray bytes(const QString &path)
    {
        PLM_INC::diskWriter().waitUntilWritten();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
    }
    static void write(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }

    SetClock clock;
    ChartLogPrompter prompter;

private:
    QTemporaryDir m_dir;
};
