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

QPushButton* button(QWidget* dialog, const QString& name)
{
    return dialog->findChild<QPushButton*>(name);
}

QLabel* label(QWidget* dialog, const QString& name)
{
    return dialog->findChild<QLabel*>(name);
}

// The default photo as the dialog offers it: stretched to 200 x 200.
QImage defaultPicture()
{
    return QPixmap(QDir::currentPath() + "/media/defphoto.png")
        .scaled(200, 200, Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .toImage();
}

// Once the modal dialog runs, presses the named button, or Escape; a
// disabled button is not pressed and the dialog is rejected instead.
void answerLater(const QString& answer, bool* seenModal)
{
    QTimer::singleShot(0, [answer, seenModal] {
        auto* dialog = qobject_cast<WebCamDialog*>(QApplication::activeModalWidget());
        *seenModal = dialog != nullptr;
        if (!dialog)
            return;
        QPushButton* target = button(dialog, answer);
        if (answer == QLatin1String("Escape"))
            QTest::keyClick(dialog, Qt::Key_Escape);
        else if (target && target->isEnabled())
            QTest::mouseClick(target, Qt::LeftButton);
        else
            dialog->reject();
    });
}

} // namespace

class TestWebCamDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init();
    void cleanup() { _scratch.reset(); }

    void noCameraExplained_data();
    void noCameraExplained();
    void answers_data();
    void answers();
    void missingDefaultPicture();

private:
    std::unique_ptr<ScratchDir> _scratch;
};

void TestWebCamDialog::init()
{
    if (!QCameraInfo::availableCameras().isEmpty())
        QSKIP("a camera is attached: these cases need a machine without one");
    _scratch = std::make_unique<ScratchDir>();
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
    QLabel* info = label(&dialog, "cameraInfo");
    QVERIFY(info && !info->isHidden());
    QCOMPARE(info->text(), model.translate("No web camera found"));
    QCOMPARE(info->text() == "No web camera found", language == 0);
    QVERIFY(model.untranslated.empty()); // every text shown has its translation
    QVERIFY(!button(&dialog, "captureButton")->isEnabled());
    QVERIFY(button(&dialog, "okButton")->isEnabled());
    QVERIFY(button(&dialog, "cancelButton")->isEnabled());
}

void TestWebCamDialog::answers_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("result");
    QTest::newRow("OK without capture") << "okButton" << int(QDialog::Accepted);
    QTest::newRow("Cancel button") << "cancelButton" << int(QDialog::Rejected);
    QTest::newRow("Escape key") << "Escape" << int(QDialog::Rejected);
}

// Without a capture, OK gives the default picture; a capture without camera
// changes nothing.
void TestWebCamDialog::answers()
{
    QFETCH(QString, answer);
    QFETCH(int, result);
    WebCamDialog dialog(nullptr, nullptr);
    QCOMPARE(label(&dialog, "preview")->pixmap(Qt::ReturnByValue).toImage(), defaultPicture());
    dialog.captureImage();
    bool seenModal = false;
    answerLater(answer, &seenModal);
    QCOMPARE(dialog.exec(), result);
    QVERIFY(seenModal);
    if (result == QDialog::Accepted)
        QCOMPARE(dialog.picture().toImage(), defaultPicture());
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
    QCOMPARE(label(&dialog, "preview")->text(), model.translate("No picture"));
    QVERIFY(label(&dialog, "preview")->text() != "No picture");
    QVERIFY(!button(&dialog, "okButton")->isEnabled());
    bool seenModal = false;
    answerLater("okButton", &seenModal); // disabled: the answerer rejects
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY(seenModal);
    QVERIFY(dialog.picture().isNull());
}

QTEST_MAIN(TestWebCamDialog)
#include "tst_webcamdialog.moc"
