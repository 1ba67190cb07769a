#pragma once

#include <QCamera>
#include <QDialog>
#include <QPixmap>
#include <QString>

class LangModel;
class QCameraViewfinder;
class QLabel;
class QPushButton;

// Takes a picture from the system's default camera: the live video beside a
// preview of the picture taken so far. After an accepted exec() the caller
// reads picture(); without a capture it is the default photo at 200 x 200.
class WebCamDialog : public QDialog
{
    Q_OBJECT

public:
    explicit WebCamDialog(LangModel* langModel, QWidget* parent = nullptr);
    ~WebCamDialog() override;

    // The picture the dialog returns; null only when nothing was captured and
    // the default photo could not be loaded (OK is then disabled).
    QPixmap picture() const;
    // False when there is no camera or it cannot be used; "Capture image" is then disabled.
    bool cameraUsable() const;

public slots:
    void captureImage();

private slots:
    void _onCameraError(QCamera::Error error);

private:
    QString _translate(const QString& text) const;
    void _loadDefaultPicture();
    void _showPicture();
    void _startCamera();
    void _disableCamera(const QString& reason);
    void _buildLayout();
    void _fitSize();

    QPixmap _picture;
    QCamera _camera;
    QLabel* _preview = nullptr;
    QCameraViewfinder* _viewfinder = nullptr;
    LangModel* _langModel = nullptr;
    QLabel* _cameraInfo = nullptr;
    QPushButton* _captureButton = nullptr;
    QPushButton* _okButton = nullptr;
    QPushButton* _cancelButton = nullptr;
    bool _cameraUsable = false;
};
