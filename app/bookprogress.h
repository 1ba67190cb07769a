#pragma once

#include "data/document.h"

#include <QProgressDialog>
#include <QString>

// The progress of a long load or save of a book, naming the book. It shows
// only once the work looks like taking longer than about half a second.
class BookProgressDialog : public QProgressDialog
{
    Q_OBJECT

public:
    // How long the work must look like taking before the dialog shows, in ms.
    static int showAfter;

    // Loads can be cancelled; saves run to their end.
    BookProgressDialog(const QString& fileName, bool saving, QWidget* window);

    // Moves the bar; answers false once the user has cancelled.
    BookProgress callback();

private:
    bool _cancellable;
};
