// Starting the program in each language and going through every tab, menu
// and dialog must meet no text without a translation.
#include "app/mainwindow.h"
#include "settings/settings.h"
#include "lang/langmodel.h"
#include "support/testsupport.h"
#include "views/editablecookingplanlist.h"
#include "views/editablerecipelist.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

namespace {

// Closes the next modal dialog once it shows: No or Cancel for a question,
// else reject. Records the class of what it closed.
void closeNextDialog(QStringList* closed)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, closed]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        *closed << QString::fromLatin1(modal->metaObject()->className());
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            for (auto button : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok}) {
                if (box->button(button)) {
                    box->button(button)->click();
                    return;
                }
            }
        }
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    });
    timer->start();
}

template <class Editor>
Editor* editorOf(MainWindow& window)
{
    for (EditableData* editor : window.editors) {
        if (auto* found = qobject_cast<Editor*>(editor))
            return found;
    }
    return nullptr;
}

QPushButton* buttonNamed(QWidget* parent, const QString& text)
{
    for (QPushButton* button : parent->findChildren<QPushButton*>()) {
        if (button->objectName() == text || button->text() == text)
            return button;
    }
    return nullptr;
}

} // namespace

class TestUntranslated : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyScreenTranslated_data();
    void everyScreenTranslated();

private:
    QTemporaryDir _settings;
};

void TestUntranslated::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, _settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, _settings.path());
}

void TestUntranslated::everyScreenTranslated_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("Russian") << 1;
    QTest::newRow("French") << 2;
    QTest::newRow("German") << 3;
}

void TestUntranslated::everyScreenTranslated()
{
    QFETCH(int, language);
    ScratchDir dir;
    QCoreApplication::setOrganizationName(QStringLiteral("Ostrel software"));
    QCoreApplication::setApplicationName(QStringLiteral("Culinor"));
    if (appSettings())
        appSettings()->setValue(SettingKey::Language, language);
    else
        QSettings().setValue(SettingKey::Language, language);

    MainWindow window(qApp);
    window.showMainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.langModel->languageIndex, language);
    QStringList closed;

    // Every tab, with a page or a report built.
    auto* tabs = window.findChild<QTabWidget*>();
    QVERIFY(tabs);
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QCoreApplication::processEvents();
    }
    auto* recipes = editorOf<EditableRecipeList>(window);
    auto* plans = editorOf<EditableCookingPlanList>(window);
    QVERIFY(recipes && plans);
    for (int row = 0; row < recipes->list->count(); ++row)
        recipes->onListItemActivated(recipes->list->item(row));
    for (int press = 0; press < 3; ++press)
        recipes->changeView();
    plans->showDetails();
    plans->showDetails();

    // Every menu.
    for (QMenu* menu : window.menuBar()->findChildren<QMenu*>())
        emit menu->aboutToShow();

    // The dialogs the user can open: Options, About, a file dialog, the
    // camera, a deletion question and the question about unsaved changes.
    for (const char* action : {"actionLanguage", "actionAbout", "actionOpen"}) {
        closeNextDialog(&closed);
        window.findChild<QAction*>(QLatin1String(action))->trigger();
    }
    QWidget* recipePage = window.findChild<QTabWidget*>()->widget(0);
    closeNextDialog(&closed);
    buttonNamed(recipePage, translate(QStringLiteral("Get image from web camera")))->click();
    closeNextDialog(&closed);
    buttonNamed(recipes->list->parentWidget(), QStringLiteral("d"))->click();
    window.document.modified = true;
    closeNextDialog(&closed);
    window.close();
    QCOMPARE(closed, QStringList({"SetDial", "QMessageBox", "QFileDialog", "WebCamDialog",
                                  "QMessageBox", "QMessageBox"}));

    QStringList untranslated;
    for (const QString& text : window.langModel->untranslated)
        untranslated << text;
    QCOMPARE(untranslated, QStringList());
    window.document.modified = false;
}

QTEST_MAIN(TestUntranslated)
#include "tst_untranslated.moc"
