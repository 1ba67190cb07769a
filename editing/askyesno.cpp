#include "editing/askyesno.h"

#include <QDir>
#include <QIcon>
#include <QMessageBox>

bool askYesNo(QString text, QString informativeText)
{
    QMessageBox box;
    box.setWindowIcon(QIcon(QDir::currentPath() + QStringLiteral("/media/favicon.png")));
    box.setText(text);
    box.setInformativeText(informativeText);
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
