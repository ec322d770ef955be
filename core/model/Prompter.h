// Every message box and file dialog of the program goes through the prompter, so tests answer
// questions instead of blocking and a window-less run never hangs on a box.
#pragma once

#include <QString>

namespace PLM_INC {

enum class Answer { Ok, Yes, No, Cancel };
// The icon of a Yes / No question: the exclamation mark for a question about what the program
// is about to do, the question mark for a question about the operator's choice (overwrite?).
enum class QuestionIcon { Exclamation, Question };

class Prompter {
public:
    virtual ~Prompter() = default;
    // An OK-only message. `kind` groups messages raised by timer-driven work: while one box
    // of a kind is open, another of the same kind is not stacked on it.
    virtual void message(const QString &text, const QString &kind = QString()) = 0;
    virtual Answer question(const QString &text, QuestionIcon icon = QuestionIcon::Exclamation) = 0; // Yes / No
    // A Yes / No question under a title of its own; prompters without titles just ask it.
    virtual Answer titledQuestion(const QString &text, const QString &title)
    {
        (void)title;
        return question(text, QuestionIcon::Exclamation);
    }
    // `defaultSuffix` (without the dot) is added by the dialog to a typed name without one.
    virtual QString openFileName(const QString &title, const QString &folder, const QString &filter,
                                 const QString &defaultSuffix = QString()) = 0;
    virtual QString saveFileName(const QString &title, const QString &folder, const QString &filter,
                                 const QString &defaultSuffix = QString()) = 0;
    // A file to write that may exist already or not; the caller asks about overwriting, so
    // the dialog does not.
    virtual QString anyFileName(const QString &title, const QString &folder, const QString &filter,
                                const QString &defaultSuffix = QString())
    {
        return saveFileName(title, folder, filter, defaultSuffix);
    }
};

// Writes messages to standard error and answers every question No; used until a window
// installs its own prompter.
class ConsolePrompter : public Prompter {
public:
    void message(const QString &text, const QString &kind = QString()) override;
    Answer question(const QString &text, QuestionIcon icon = QuestionIcon::Exclamation) override;
    QString openFileName(const QString &, const QString &, const QString &, const QString & = QString()) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &, const QString & = QString()) override { return {}; }
};

Prompter &prompter();
void setPrompter(Prompter *p); // nullptr restores the console prompter

} // namespace PLM_INC
