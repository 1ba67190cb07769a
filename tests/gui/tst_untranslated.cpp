// The program started in each language: it shows the language's texts, every
// tab fits a 1024 x 768 screen, and going through every tab, menu and dialog
// meets no text without a translation.
#include "support/guisupport.h"

#include "app/appinfo.h"
#include "lang/langmodel.h"
#include "settings/settings.h"
#include "views/editablerecipelist.h"

#include <QListWidget>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>

class TestUntranslated : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useTemporarySettings(_settings.path()); }
    void everyScreenTranslated_data();
    void everyScreenTranslated();

private:
    QTemporaryDir _settings;
};

void TestUntranslated::everyScreenTranslated_data()
{
    QTest::addColumn<int>("language");
    // Menus, recent books, tabs, book title, Qt's Cancel button.
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("en") << 0
                        << QStringList({"File", "Settings", "Help", "Recent books", "Recipes",
                                        "Ingredients", "Cooking plans", "Recipe book", "Cancel"});
    QTest::newRow("ru") << 1
                        << QStringList({"Файл", "Параметры", "Справка", "Недавние книги", "Рецепты",
                                        "Ингредиенты", "Планы готовки", "Книга рецептов",
                                        "Отмена"});
    QTest::newRow("fr") << 2
                        << QStringList({"Fichier", "Paramètres", "Aide", "Livres récents",
                                        "Recettes", "Ingrédients", "Plans de repas",
                                        "Livre de recettes", "Annuler"});
    QTest::newRow("de") << 3
                        << QStringList({"Datei", "Einstellungen", "Hilfe",
                                        "Zuletzt verwendete Bücher", "Rezepte", "Zutaten",
                                        "Kochpläne", "Rezeptbuch", "Abbrechen"});
}

void TestUntranslated::everyScreenTranslated()
{
    QFETCH(int, language);
    QFETCH(QStringList, texts);
    ScratchDir dir;
    if (appSettings())
        appSettings()->setValue(SettingKey::Language, language);
    else
        storeSettings(_settings.path(), QStringLiteral("language=%1").arg(language));
    MainWindow window(qApp);
    window.showMainWindow();
    window.resize(1024, 768);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QStringList shown;
    for (QAction* menu : window.menuBar()->actions())
        shown << menu->text();
    shown << window.findChild<QMenu*>(QStringLiteral("menuRecent_books"))->title();
    auto* tabs = window.findChild<QTabWidget*>();
    for (int i = 0; i < 3; ++i)
        shown << tabs->tabText(i);
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Cancel);
    shown << AppInfo::instance()->title << box.button(QMessageBox::Cancel)->text();
    QCOMPARE(shown, texts);

    // Every tab, with the plan report shown, fits with all its buttons inside.
    for (int tab = 0; tab < 3; ++tab) {
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                          tabs->tabBar()->tabRect(tab).center());
        QCOMPARE(tabs->currentIndex(), tab);
        for (QPushButton* button : tabs->currentWidget()->findChildren<QPushButton*>()) {
            if (button->text() == translate(QStringLiteral("Show/hide details")))
                QTest::mouseClick(button, Qt::LeftButton);
        }
        QApplication::processEvents();
        const QSize least = window.minimumSizeHint().expandedTo(window.minimumSize());
        QCOMPARE(least.boundedTo(QSize(1024, 768)), least);
        QCOMPARE(window.size(), QSize(1024, 768));
        for (QPushButton* button : tabs->currentWidget()->findChildren<QPushButton*>()) {
            if (button->isVisible())
                QVERIFY2(button->mapTo(&window, QPoint(button->width(), 0)).x() <= 1024,
                         qPrintable(button->text()));
        }
    }
    // Every recipe page and list view.
    auto* recipes = qobject_cast<EditableRecipeList*>(window.editors[0]);
    for (int row = 0; row < recipes->list->count(); ++row)
        recipes->onListItemActivated(recipes->list->item(row));
    for (int press = 0; press < 3; ++press)
        recipes->changeView();

    // Every menu.
    for (QMenu* menu : window.menuBar()->findChildren<QMenu*>())
        emit menu->aboutToShow();

    // The dialogs the user can open, each closed with Escape: Options, About, a file
    // dialog, the camera, a deletion question and the question about unsaved changes.
    QStringList closed;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&closed]() {
        QWidget* dialog = QApplication::activeModalWidget();
        if (dialog && dialog->isVisible()) {
            closed << QString::fromLatin1(dialog->metaObject()->className());
            QTest::keyClick(dialog, Qt::Key_Escape);
        }
    });
    closer.start(10);
    for (const char* action : {"actionLanguage", "actionAbout", "actionOpen"})
        trigger(&window, action);
    for (QPushButton* button : tabs->widget(0)->findChildren<QPushButton*>()) {
        if (button->text() == translate(QStringLiteral("Get image from web camera")))
            button->click();
    }
    recipes->list->parentWidget()->findChild<QPushButton*>(QStringLiteral("d"))->click();
    window.document.modified = true;
    window.close();
    QVERIFY(window.isVisible()); // Escape on the question keeps the book open
    QCOMPARE(closed, QStringList({"SetDial", "QMessageBox", "QFileDialog", "WebCamDialog",
                                  "QMessageBox", "QMessageBox"}));

    const std::vector<QString>& untranslated = window.langModel->untranslated;
    QCOMPARE(QStringList(untranslated.begin(), untranslated.end()), QStringList());
    window.document.modified = false;
}

QTEST_MAIN(TestUntranslated)
#include "tst_untranslated.moc"
