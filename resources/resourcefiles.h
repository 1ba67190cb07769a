#pragma once

#include <QString>
#include <QStringList>

// Finds the program's pictures (media/) and language files (languages/).
// The working directory comes first, so a build run from the top of the
// source tree uses the files there; then the data folder of an installed
// program, found next to the executable (../share/culinor from bin/).
// Each file is looked up on its own, so an unrelated "media" folder in the
// working directory does not hide the installed pictures.
class ResourceFiles
{
public:
    // The places searched, in order.
    static QStringList roots();
    // The absolute path of a file below the first root that has it, for
    // example path("media/sort.png"); the working directory's when none has
    // it, so a missing file stays missing where it always was.
    static QString path(const QString& relativePath);
    // The folder, ending with '/', that holds the file path() finds, for
    // example folderOf("languages/_lanraw_en.bpl").
    static QString folderOf(const QString& relativePath);
};
