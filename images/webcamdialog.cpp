#include "images/webcamdialog.h"

#include "data/diagnostics.h"
#include "lang/langmodel.h"
#include "resources/resourcefiles.h"

#include <QCameraInfo>
#include <QCameraViewfinder>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const int PictureSide = 200;

QString mediaFile(const QString& name)
{
    return ResourceFiles::path(QStringLiteral("media/") + name);
}

} // namespace

WebCamDialog::WebCamDialog(LangModel* langModel, QWidget* parent)
    : QDialog(parent), _langModel(langModel)
{
    setWindowIcon(QIcon(mediaFile(QStringLiteral("favicon.png"))));
    setWindowTitle(_translate(QStringLiteral("Web camera")));

    _viewfinder = new QCameraViewfinder(this);
    _viewfinder->setObjectName(QStringLiteral("viewfinder"));
    _viewfinder->setMinimumSize(PictureSide, PictureSide);

    _preview = new QLabel(this);
    _preview->setObjectName(QStringLiteral("preview"));
    _preview->setMinimumSize(PictureSide, PictureSide);
    _preview->setAlignment(Qt::AlignCenter);

    // Says why the live picture stays empty; hidden while the camera works.
    _cameraInfo = new QLabel(this);
    _cameraInfo->setObjectName(QStringLiteral("cameraInfo"));
    _cameraInfo->setWordWrap(true);
    _cameraInfo->hide();

    _captureButton = new QPushButton(_translate(QStringLiteral("Capture image")), this);
    _captureButton->setObjectName(QStringLiteral("captureButton"));
    _okButton = new QPushButton(_translate(QStringLiteral("OK")), this);
    _okButton->setObjectName(QStringLiteral("okButton"));
    _okButton->setDefault(true);
    _cancelButton = new QPushButton(_translate(QStringLiteral("Cancel")), this);
    _cancelButton->setObjectName(QStringLiteral("cancelButton"));
    connect(_captureButton, &QPushButton::clicked, this, &WebCamDialog::captureImage);
    connect(_okButton, &QPushButton::clicked, this, &WebCamDialog::accept);
    connect(_cancelButton, &QPushButton::clicked, this, &WebCamDialog::reject);

    _loadDefaultPicture();
    _showPicture();
    _buildLayout();
    _startCamera();

    _fitSize();
}

WebCamDialog::~WebCamDialog()
{
    // The camera goes before the viewfinder it draws into.
    _camera.stop();
}

QPixmap WebCamDialog::picture() const
{
    return _picture;
}

bool WebCamDialog::cameraUsable() const
{
    return _cameraUsable;
}

void WebCamDialog::captureImage()
{
    if (!_cameraUsable)
        return;
    // What the viewfinder shows right now, at the widget's size.
    _picture = _viewfinder->grab();
    _showPicture();
}

void WebCamDialog::_onCameraError(QCamera::Error error)
{
    if (error == QCamera::NoError)
        return;
    CULINOR_DIAG("dialogs", QStringLiteral("Camera error: ") + _camera.errorString());
    _disableCamera(_translate(QStringLiteral("The camera cannot be used")));
}

QString WebCamDialog::_translate(const QString& text) const
{
    return _langModel ? _langModel->translate(text) : text;
}

void WebCamDialog::_loadDefaultPicture()
{
    const QString fileName = mediaFile(QStringLiteral("defphoto.png"));
    const QPixmap defaultPicture(fileName);
    if (defaultPicture.isNull()) {
        CULINOR_DIAG("dialogs", QStringLiteral("Cannot load default picture: ") + fileName);
        _picture = QPixmap();
        return;
    }
    _picture = defaultPicture.scaled(PictureSide, PictureSide, Qt::IgnoreAspectRatio,
                                     Qt::FastTransformation);
}

void WebCamDialog::_showPicture()
{
    // Without any picture there is nothing to confirm: only Cancel ends the dialog.
    if (_picture.isNull()) {
        _preview->setText(_translate(QStringLiteral("No picture")));
        _okButton->setEnabled(false);
        return;
    }
    _preview->setPixmap(_picture);
    _okButton->setEnabled(true);
}

void WebCamDialog::_startCamera()
{
    if (QCameraInfo::availableCameras().isEmpty()) {
        CULINOR_DIAG("dialogs", "No camera available");
        _disableCamera(_translate(QStringLiteral("No web camera found")));
        return;
    }
    if (_camera.availability() != QMultimedia::Available) {
        CULINOR_DIAG("dialogs", "Camera service is not available");
        _disableCamera(_translate(QStringLiteral("The camera cannot be used")));
        return;
    }
    _cameraUsable = true;
    _captureButton->setEnabled(true);
    // Connected before start(): a back end may report a failure from inside it.
    connect(&_camera, &QCamera::errorOccurred, this, &WebCamDialog::_onCameraError);
    _camera.setViewfinder(_viewfinder);
    _viewfinder->show();
    _camera.start();
}

void WebCamDialog::_disableCamera(const QString& reason)
{
    _cameraUsable = false;
    _captureButton->setEnabled(false);
    _cameraInfo->setText(reason);
    _cameraInfo->show();
    _fitSize();
}

void WebCamDialog::_fitSize()
{
    // The dialog may shrink but not grow beyond its natural size, which a
    // late camera failure enlarges by the line that explains it.
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    adjustSize();
    setMaximumSize(size());
}

void WebCamDialog::_buildLayout()
{
    auto* pictures = new QHBoxLayout;
    pictures->addWidget(_viewfinder);
    pictures->addWidget(_preview);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(_captureButton);
    buttons->addWidget(_okButton);
    buttons->addWidget(_cancelButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pictures);
    layout->addWidget(_cameraInfo);
    layout->addLayout(buttons);
}
