// Started in Russian, French and German, every screen fits 1024 x 768 and is translated.
#include "support/guisupport.h"

#include "app/appinfo.h"
#include "lang/langmodel.h"
#include "views/editablerecipelist.h"

#include <QtWidgets>

class TestUntranslated : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { useTemporarySettings(_settings.path()); }
    void everyScreenTranslated_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("texts"); // a menu, recent books, a tab, the title, Qt's Cancel
        QTest::newRow("ru") << 1 << "Файл|Недавние книги|Рецепты|Книга рецептов|Отмена";
        QTest::newRow("fr") << 2 << "Fichier|Livres récents|Recettes|Livre de recettes|Annuler";
        QTest::newRow("de") << 3 << "Datei|Zuletzt verwendete Bücher|Rezepte|Rezeptbuch|Abbrechen";
    }
    void everyScreenTranslated();

private:
    QTemporaryDir _settings;
};

void TestUntranslated::everyScreenTranslated()
{
    QFETCH(int, language);
    QFETCH(QString, texts);
    const auto clickButtons = [](QWidget* panel, const char* text) {
        for (QPushButton* button : panel->findChildren<QPushButton*>()) {
            if (button->text() == translate(QLatin1String(text)))
                QTest::mouseClick(button, Qt::LeftButton);
        }
    };
    ScratchDir dir;
    storeSettings(_settings.path(), QStringLiteral("language=%1").arg(language));
    MainWindow window(qApp);
    window.showMainWindow();
    window.resize(1024, 768);
    auto* tabs = window.findChild<QTabWidget*>();
    QCOMPARE(QStringList({window.menuBar()->actions().first()->text(),
                          window.findChild<QMenu*>(QStringLiteral("menuRecent_books"))->title(),
                          tabs->tabText(0), AppInfo::instance()->title,
                          QCoreApplication::translate("QPlatformTheme", "Cancel")}),
             texts.split(QLatin1Char('|')));

    // Every tab, with the plan report shown, fits with all its buttons inside, none blank.
    for (int tab = 0; tab < 3; ++tab) {
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                          tabs->tabBar()->tabRect(tab).center());
        QCOMPARE(tabs->currentIndex(), tab);
        clickButtons(tabs->currentWidget(), "Show/hide details");
        QApplication::processEvents();
        const QSize least = window.minimumSizeHint().expandedTo(window.minimumSize());
        QCOMPARE(least.boundedTo(QSize(1024, 768)), least);
        for (QPushButton* button : tabs->currentWidget()->findChildren<QPushButton*>()) {
            if (!button->isVisible())
                continue;
            QVERIFY2(button->mapTo(&window, QPoint(button->width(), 0)).x() <= 1024,
                     qPrintable(button->text()));
            QVERIFY2(!button->text().isEmpty() || !button->icon().pixmap(16).isNull(),
                     qPrintable("blank button: " + button->toolTip()));
        }
    }
    auto* recipes = qobject_cast<EditableRecipeList*>(window.editors[0]);
    for (int row = 0; row < recipes->list->count(); ++row)
        recipes->onListItemActivated(recipes->list->item(row));
    for (int press = 0; press < 3; ++press)
        recipes->changeView();
    for (QMenu* menu : window.menuBar()->findChildren<QMenu*>())
        emit menu->aboutToShow();

    // Each dialog the user opens, closed with Escape: the last is the unsaved-changes question.
    QStringList closed;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&closed]() {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            closed << dialog->metaObject()->className();
            QTest::keyClick(dialog, Qt::Key_Escape);
        }
    });
    closer.start(10);
    for (const char* action : {"actionLanguage", "actionAbout", "actionOpen"})
        trigger(&window, action);
    clickButtons(tabs->widget(0), "Get image from web camera");
    recipes->list->parentWidget()->findChild<QPushButton*>(QStringLiteral("d"))->click();
    window.document.modified = true;
    window.close();
    QVERIFY(window.isVisible()); // Escape on the question keeps the book open
    QCOMPARE(closed, QStringList({"SetDial", "QMessageBox", "QFileDialog", "WebCamDialog",
                                  "QMessageBox", "QMessageBox"}));
    const std::vector<QString>& untranslated = window.langModel->untranslated;
    QCOMPARE(QStringList(untranslated.begin(), untranslated.end()), QStringList());
}

QTEST_MAIN(TestUntranslated)
#include "tst_untranslated.moc"
