// Block and channel names go into files exchanged with the plant's Windows PCs (the log and
// history files hold channel names), which hold Windows-1252 text (FileCodePage.h). A name
// field refuses a character that code page cannot hold: the character is taken out again,
// the rest of what was typed or pasted stays, and one message says why.
#pragma once

#include <QString>

class QLineEdit;

// The message for the refused characters.
QString NameCharactersRefusedText(const QString &refused);
// Makes the field refuse such characters as the operator types or pastes.
void RefuseCharactersOutsideFileCodePage(QLineEdit *field);
