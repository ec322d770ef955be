#include "Prompter.h"

#include <cstdio>

namespace PLM_INC {

namespace {
ConsolePrompter consolePrompter;
Prompter *current = &consolePrompter;
} // namespace

void ConsolePrompter::message(const QString &text, const QString &)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

Answer ConsolePrompter::question(const QString &text, QuestionIcon)
{
    std::fprintf(stderr, "%s [No]\n", text.toLocal8Bit().constData());
    return Answer::No;
}

Prompter &prompter()
{
    return *current;
}

void setPrompter(Prompter *p)
{
    current = p ? p : &consolePrompter;
}

} // namespace PLM_INC
