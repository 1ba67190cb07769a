#include "app/bookprogress.h"

#include "lang/langmodel.h"

#include <QFileInfo>

namespace {

const int Steps = 1000;

} // namespace

int BookProgressDialog::showAfter = 500;

BookProgressDialog::BookProgressDialog(const QString& fileName, bool saving, QWidget* window)
    : QProgressDialog(window), _cancellable(!saving)
{
    const QString book = QFileInfo(fileName).fileName();
    const QString label =
        saving ? translate(QStringLiteral("Saving %1")) : translate(QStringLiteral("Opening %1"));
    setLabelText(label.arg(book));
    setWindowTitle(book);
    if (saving)
        setCancelButton(nullptr);
    setWindowModality(Qt::WindowModal);
    setMinimumDuration(showAfter);
    setRange(0, Steps);
    // Starts the clock by which it decides whether to show.
    setValue(0);
}

BookProgress BookProgressDialog::callback()
{
    return [this](qint64 done, qint64 total) {
        if (total > 0 && !wasCanceled())
            setValue(static_cast<int>(done * Steps / total));
        // A save stopped halfway would only leave the book unsaved.
        return !_cancellable || !wasCanceled();
    };
}
