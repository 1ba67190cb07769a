#include "editing/askyesno.h"

#include "resources/resourcefiles.h"

#include <QIcon>
#include <QMessageBox>

namespace {

int ask(const QString& text, const QString& informativeText, QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton defaultButton)
{
    QMessageBox box;
    box.setWindowIcon(QIcon(ResourceFiles::path(QStringLiteral("media/favicon.png"))));
    box.setText(text);
    box.setInformativeText(informativeText);
    box.setStandardButtons(buttons);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

bool askYesNo(QString text, QString informativeText)
{
    return ask(text, informativeText, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

int askYesNoCancel(QString text, QString informativeText)
{
    const int answer = ask(text, informativeText,
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                           QMessageBox::Yes);
    return answer == QMessageBox::Yes || answer == QMessageBox::No ? answer
                                                                   : int(QMessageBox::Cancel);
}
