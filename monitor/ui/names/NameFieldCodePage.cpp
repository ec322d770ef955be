#include "NameFieldCodePage.h"

#include "FileCodePage.h"
#include "Prompter.h"

#include <QLineEdit>

QString NameCharactersRefusedText(const QString &refused)
{
    return QStringLiteral("A name cannot hold \"%1\": the program's files keep names in the Windows character set "
                          "(Windows-1252), which has no such character. The other characters are kept.")
        .arg(refused);
}

void RefuseCharactersOutsideFileCodePage(QLineEdit *field)
{
    QObject::connect(field, &QLineEdit::textEdited, field, [field](const QString &text) {
        const QString refused = PLM_INC::OutsideFileCodePage(text);
        if (refused.isEmpty())
            return;
        // The cursor stays behind what was typed, less what was taken out before it.
        const int cursor = int(PLM_INC::WithinFileCodePage(text.left(field->cursorPosition())).size());
        field->setText(PLM_INC::WithinFileCodePage(text));
        field->setCursorPosition(cursor);
        PLM_INC::prompter().message(NameCharactersRefusedText(refused));
    });
}
