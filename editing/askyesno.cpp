#include "editing/askyesno.h"

#include "resources/resourcefiles.h"

#include <QIcon>
#include <QMessageBox>

bool askYesNo(QString text, QString informativeText)
{
    QMessageBox box;
    box.setWindowIcon(QIcon(ResourceFiles::path(QStringLiteral("media/favicon.png"))));
    box.setText(text);
    box.setInformativeText(informativeText);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
