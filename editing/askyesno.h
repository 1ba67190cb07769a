#pragma once

#include <QString>

// A Yes/No question with No as the default answer; true only on Yes.
bool askYesNo(QString text, QString informativeText);
