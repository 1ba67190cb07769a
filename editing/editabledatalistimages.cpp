// The photo editor's slots of a data list: set, clear and capture a picture.
#include "editing/editabledatalist.h"

#include "data/diagnostics.h"
#include "images/imagelabel.h"
#include "images/pictures.h"
#include "images/webcamdialog.h"
#include "lang/langmodel.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPixmap>
#include <QStandardPaths>

namespace {

// The folder a picture was last chosen from in this run.
QString lastPictureFolder;

// Where the user keeps pictures, never the program's working directory.
QString pictureStartFolder()
{
    for (const QString& folder :
         {lastPictureFolder, QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
          QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return QDir::homePath();
}

} // namespace

ImageLabel* EditableDataList::_getImageLabel(QString name)
{
    bool ok = false;
    const int index = name.toInt(&ok);
    if (!ok) {
        CULINOR_DIAG("mainwindow", "Cannot extract index");
        return nullptr;
    }
    if (index < 0 || static_cast<size_t>(index) >= form.widgets.size()) {
        CULINOR_DIAG("mainwindow", "Index out of range");
        return nullptr;
    }
    const EditWidget& entry = form.widgets[static_cast<size_t>(index)];
    auto* label = qobject_cast<ImageLabel*>(entry.widget);
    if (entry.type != MD_IMAGE || !label) {
        CULINOR_DIAG("mainwindow", "Incorrect data type");
        return nullptr;
    }
    return label;
}

void EditableDataList::onSetImageRequested()
{
    ImageLabel* label = _getImageLabel(sender() ? sender()->objectName() : QString());
    if (!label) {
        CULINOR_DIAG("mainwindow", "Cannot get image widget");
        return;
    }
    QFileDialog dialog;
    dialog.setNameFilter(translate(QStringLiteral("Image files")) +
                         QStringLiteral(" (*.bmp *.jpg *.jpeg *.png)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setWindowTitle(translate(QStringLiteral("Select image")));
    dialog.setDirectory(pictureStartFolder());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        label->showInfo(QString());
        return;
    }
    lastPictureFolder = QFileInfo(dialog.selectedFiles().first()).absolutePath();
    const QPixmap picture = QPixmap::fromImage(readPictureFile(dialog.selectedFiles().first()));
    if (picture.isNull()) {
        CULINOR_DIAG("mainwindow", "Cannot load image: incorrect format");
        label->showInfo(QStringLiteral("<i>") +
                        translate(QStringLiteral("Cannot load image: incorrect format")) +
                        QStringLiteral("</i>"));
        return;
    }
    label->setImage(picture, false);
    label->showInfo(QString()); // an earlier error no longer applies
}

void EditableDataList::onClearImageRequested()
{
    ImageLabel* label = _getImageLabel(sender() ? sender()->objectName() : QString());
    if (!label) {
        CULINOR_DIAG("mainwindow", "Cannot get image widget");
        return;
    }
    label->setImage(QPixmap(defaultPhotoPath()), true);
}

void EditableDataList::getImageFromWebCam()
{
    ImageLabel* label = _getImageLabel(sender() ? sender()->objectName() : QString());
    if (!label) {
        CULINOR_DIAG("mainwindow", "Cannot get image widget");
        return;
    }
    // On the stack: leaving the slot stops the camera.
    WebCamDialog dialog(appLangModel(), nullptr);
    if (dialog.exec() != QDialog::Accepted || dialog.picture().isNull())
        return;
    label->setImage(dialog.picture(), false);
    label->showInfo(QString()); // an earlier error no longer applies
}
