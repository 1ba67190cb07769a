#pragma once

#include <QString>

// A Yes/No question with No as the default answer; true only on Yes.
bool askYesNo(QString text, QString informativeText);

// A Yes/No/Cancel question with Yes as the default answer; Escape cancels.
// Returns QMessageBox::Yes, No or Cancel.
int askYesNoCancel(QString text, QString informativeText);
