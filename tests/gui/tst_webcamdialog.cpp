#include "images/webcamdialog.h"
#include "lang/langmodel.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QCameraInfo>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

QPushButton* button(WebCamDialog& dialog, const char* name)
{
    return dialog.findChild<QPushButton*>(QLatin1String(name));
}

QLabel* label(WebCamDialog& dialog, const char* name)
{
    return dialog.findChild<QLabel*>(QLatin1String(name));
}

// The default photo as the dialog offers it: stretched to 200 x 200.
QImage defaultPicture()
{
    return QPixmap(QDir::currentPath() + "/media/defphoto.png")
        .scaled(200, 200, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .toImage();
}

// Presses one of the dialog's buttons once the modal dialog is running.
void clickLater(const char* name, bool* seenModal)
{
    QTimer::singleShot(0, [name, seenModal] {
        auto* dialog = qobject_cast<WebCamDialog*>(QApplication::activeModalWidget());
        *seenModal = dialog != nullptr;
        if (!dialog)
            return;
        QPushButton* target = button(*dialog, name);
        if (target && target->isEnabled())
            QTest::mouseClick(target, Qt::LeftButton);
        else
            dialog->reject(); // never leave the test hanging on an unusable button
    });
}

} // namespace

class TestWebCamDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void noCameraExplained_data();
    void noCameraExplained();
    void startsWithDefaultPicture();
    void okWithoutCaptureGivesDefaultPicture();
    void cancelEnds_data();
    void cancelEnds();
    void captureWithoutCameraKeepsPicture();
    void missingDefaultPicture();
    void cannotGrowBeyondNaturalSize();

private:
    std::unique_ptr<ScratchDir> _scratch;
};

void TestWebCamDialog::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestWebCamDialog::init()
{
    if (!QCameraInfo::availableCameras().isEmpty())
        QSKIP("a camera is attached: these cases need a machine without one");
    _scratch = std::make_unique<ScratchDir>();
}

void TestWebCamDialog::cleanup()
{
    _scratch.reset();
}

void TestWebCamDialog::noCameraExplained_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("English") << 0;
    QTest::newRow("Russian") << 1;
    QTest::newRow("French") << 2;
    QTest::newRow("German") << 3;
}

void TestWebCamDialog::noCameraExplained()
{
    QFETCH(int, language);
    LangModel model(language, QDir::currentPath() + "/languages/");
    MessageCapture messages;
    WebCamDialog dialog(&model, nullptr);

    QVERIFY(!dialog.cameraUsable());
    QCOMPARE(messages.diagnostics("No camera available"), 1);
    QLabel* info = label(dialog, "cameraInfo");
    QVERIFY(info);
    QVERIFY(!info->isHidden());
    QCOMPARE(info->text(), model.translate("No web camera found"));
    QVERIFY(!button(dialog, "captureButton")->isEnabled());
    QVERIFY(button(dialog, "okButton")->isEnabled());
    QVERIFY(button(dialog, "cancelButton")->isEnabled());

    QCOMPARE(button(dialog, "captureButton")->text(), model.translate("Capture image"));
    QCOMPARE(button(dialog, "cancelButton")->text(), model.translate("Cancel"));
    QCOMPARE(dialog.windowTitle(), model.translate("Web camera"));
    // Every text shown has a translation in the shipped language files.
    QVERIFY(model.untranslated.empty());
    if (language != 0)
        QVERIFY(info->text() != "No web camera found");
}

void TestWebCamDialog::startsWithDefaultPicture()
{
    WebCamDialog dialog(nullptr, nullptr);
    QCOMPARE(dialog.picture().size(), QSize(200, 200));
    QCOMPARE(dialog.picture().toImage(), defaultPicture());
    QLabel* preview = label(dialog, "preview");
    QVERIFY(preview);
    QCOMPARE(preview->pixmap(Qt::ReturnByValue).toImage(), defaultPicture());
    QVERIFY(!dialog.windowIcon().isNull());
}

void TestWebCamDialog::okWithoutCaptureGivesDefaultPicture()
{
    WebCamDialog dialog(nullptr, nullptr);
    bool seenModal = false;
    clickLater("okButton", &seenModal);
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QVERIFY(seenModal);
    QCOMPARE(dialog.picture().toImage(), defaultPicture());
}

void TestWebCamDialog::cancelEnds_data()
{
    QTest::addColumn<bool>("byEscape");
    QTest::newRow("Cancel button") << false;
    QTest::newRow("Escape key") << true;
}

void TestWebCamDialog::cancelEnds()
{
    QFETCH(bool, byEscape);
    WebCamDialog dialog(nullptr, nullptr);
    bool seenModal = false;
    if (byEscape) {
        QTimer::singleShot(0, [&seenModal] {
            QWidget* modal = QApplication::activeModalWidget();
            seenModal = qobject_cast<WebCamDialog*>(modal) != nullptr;
            if (modal)
                QTest::keyClick(modal, Qt::Key_Escape);
        });
    } else {
        clickLater("cancelButton", &seenModal);
    }
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY(seenModal);
}

void TestWebCamDialog::captureWithoutCameraKeepsPicture()
{
    WebCamDialog dialog(nullptr, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::mouseClick(button(dialog, "captureButton"), Qt::LeftButton);
    dialog.captureImage();
    QCOMPARE(dialog.picture().toImage(), defaultPicture());
    QCOMPARE(label(dialog, "preview")->pixmap(Qt::ReturnByValue).toImage(), defaultPicture());
}

// Without the default photo there is nothing to return until a capture:
// the preview says so and only Cancel ends the dialog.
void TestWebCamDialog::missingDefaultPicture()
{
    const QString photo = QDir::currentPath() + "/media/defphoto.png";
    QVERIFY(QFile::remove(photo));
    LangModel model(2, QDir::currentPath() + "/languages/");
    MessageCapture messages;
    WebCamDialog dialog(&model, nullptr);

    QCOMPARE(messages.diagnostics("Cannot load default picture: " + photo), 1);
    QVERIFY(dialog.picture().isNull());
    QLabel* preview = label(dialog, "preview");
    QCOMPARE(preview->text(), model.translate("No picture"));
    QVERIFY(preview->text() != "No picture");
    QVERIFY(!button(dialog, "okButton")->isEnabled());

    bool seenModal = false;
    clickLater("okButton", &seenModal); // disabled: the answerer falls back to reject()
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY(seenModal);
    QVERIFY(dialog.picture().isNull());
}

void TestWebCamDialog::cannotGrowBeyondNaturalSize()
{
    WebCamDialog dialog(nullptr, nullptr);
    const QSize natural = dialog.size();
    QCOMPARE(dialog.maximumSize(), natural);
    QVERIFY(natural.width() >= 400 && natural.height() >= 200);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.resize(natural * 2);
    QCOMPARE(dialog.size(), natural);
}

QTEST_MAIN(TestWebCamDialog)
#include "tst_webcamdialog.moc"
