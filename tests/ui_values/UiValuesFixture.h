// What the page refresh and name tests share: an empty preference store and data folder per
// test, a prompter that records its notices, and a controller image set to a known state.
#pragma once

#include "PLM_INC.h"
#include "Preferences.h"
#include "Prompter.h"

#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class RecordingPrompter : public PLM_INC::Prompter {
public:
    void message(const QString &text, const QString &) override { messages << text; }
    PLM_INC::Answer question(const QString &text, PLM_INC::QuestionIcon = PLM_INC::QuestionIcon::Exclamation) override
    {
        messages << text;
        return PLM_INC::Answer::Yes;
    }
    QString openFileName(const QString &, const QString &, const QString &, const QString & = QString()) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &, const QString & = QString()) override { return {}; }

    QStringList messages;
};

class UiValuesFixture {
public:
    UiValuesFixture()
    {
        qputenv("PLM870_HOME", QFile::encodeName(m_dir.path() + QStringLiteral("/home")));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path() + QStringLiteral("/config"));
        Prefs::reopen();
        PLM_INC::ResetImage();
        PLM_INC::FillItemCodeTable();
        PLM_INC::setPrompter(&prompter);
    }
    ~UiValuesFixture()
    {
        PLM_INC::setPrompter(nullptr);
        Prefs::reopen();
    }
    UiValuesFixture(const UiValuesFixture &) = delete;
    UiValuesFixture &operator=(const UiValuesFixture &) = delete;

    // Every channel fitted, with a thermocouple K input in deg.C.
    static void connectAll()
    {
        for (int n = 0; n < PLM_INC::kChannels; ++n) {
            PLM_INC::ChannelConnected[n] = 1;
            PLM_INC::DecimalDivisor[n] = 1;
        }
    }

    RecordingPrompter prompter;

private:
    QTemporaryDir m_dir;
};
