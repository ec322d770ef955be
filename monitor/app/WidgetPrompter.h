// Message boxes of the windowed program. Messages raised by timer-driven work carry a kind:
// such a box opens without a nested event loop and at most one box of a kind is open at a
// time, so an operator away from the desk comes back to one box and a running program.
#pragma once

#include "Prompter.h"

#include <QMessageBox>
#include <QPointer>
#include <map>

class WidgetPrompter : public PLM_INC::Prompter {
public:
    void message(const QString &text, const QString &kind = QString()) override;
    PLM_INC::Answer question(const QString &text, PLM_INC::QuestionIcon icon = PLM_INC::QuestionIcon::Exclamation) override;
    PLM_INC::Answer titledQuestion(const QString &text, const QString &title) override;
    QString openFileName(const QString &title, const QString &folder, const QString &filter,
                         const QString &defaultSuffix = QString()) override;
    QString saveFileName(const QString &title, const QString &folder, const QString &filter,
                         const QString &defaultSuffix = QString()) override;
    QString anyFileName(const QString &title, const QString &folder, const QString &filter,
                        const QString &defaultSuffix = QString()) override;

    // True while a box of this kind is open.
    bool isOpen(const QString &kind) const;

private:
    PLM_INC::Answer ask(const QString &text, const QString &title, PLM_INC::QuestionIcon icon);
    QString fileName(const QString &title, const QString &folder, const QString &filter, const QString &defaultSuffix,
                     bool existing);

    std::map<QString, QPointer<QMessageBox>> m_open;
};
