// What the window tests share: preferences and data folders in a temporary folder, a fresh
// image, a clock that stands still and a prompter that records every box and answers
// questions as told.
#pragma once

#include "Clock.h"
#include "Prompter.h"

#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>

class UiPrompter : public PLM_INC::Prompter {
public:
    void message(const QString &text, const QString &kind = QString()) override;
    PLM_INC::Answer question(const QString &text, PLM_INC::QuestionIcon icon = PLM_INC::QuestionIcon::Exclamation) override;
    QString openFileName(const QString &, const QString &, const QString &, const QString & = QString()) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &, const QString & = QString()) override { return {}; }

    QStringList messages;
    QStringList questions;
    PLM_INC::Answer answer = PLM_INC::Answer::No;
};

class FixedClock : public PLM_INC::Clock {
public:
    QDateTime now() const override { return at; }
    QDateTime at = QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7));
};

class UiTestEnvironment {
public:
    UiTestEnvironment();
    ~UiTestEnvironment();
    QString home() const { return dir.path() + QStringLiteral("/home"); }
    QString preferencesFile() const;
    // Stores a preference before the window reads it.
    void store(const QString &key, const QString &value);

    QTemporaryDir dir;
    FixedClock clock;
    UiPrompter prompter;
};
