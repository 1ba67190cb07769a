#include "app/mainwindow.h"

#include "app/appinfo.h"
#include "app/bookprogress.h"
#include "app/colourtheme.h"
#include "app/recentbooks.h"
#include "app/setdial.h"
#include "settings/settings.h"
#include "data/diagnostics.h"
#include "data/recipebook.h"
#include "editing/editabledata.h"
#include "editing/editabledatatable.h"
#include "exchange/exchangeactions.h"
#include "lang/langmodel.h"
#include "recovery/booksafety.h"
#include "resources/resourcefiles.h"
#include "views/editablecookingplanlist.h"
#include "views/editablerecipelist.h"

#include "ui_mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QSplashScreen>
#include <QSqlDatabase>
#include <QTabWidget>
#include <QTimer>
#include <QTranslator>
#include <QUrl>
#include <QVBoxLayout>

#include <utility>

namespace {

// The file name of a book that has never been saved.
const QString NewBookName = QStringLiteral("NewBook");
const QString BookSuffix = QStringLiteral(".carb");
const int FailureMessageTimeout = 2000;

QString mediaPath(const QString& file)
{
    return ResourceFiles::path(QStringLiteral("media/") + file);
}

// The pictures of the form's actions. The form names them relative to the
// working directory, so they are set again from wherever the pictures are.
const std::pair<const char*, const char*> ActionPictures[] = {
    {"actionNew", "new.png"},      {"actionSave", "save.png"},
    {"actionSave_as", "save_as.png"}, {"actionOpen", "open.png"},
    {"actionExit", "quit.png"},    {"actionAbout", "about.png"},
    {"actionVisit_website", "website.png"}, {"actionLanguage", "conf.png"},
};

} // namespace

MainWindow::MainWindow(QApplication* app, QWidget* parent)
    : QMainWindow(parent),
      ui(new Ui::MainWindow),
      langModel(nullptr),
      app(app),
      splash(nullptr),
      _tabs(nullptr)
{
    AppInfo* info = AppInfo::create();

    // Numbers are written and read with a decimal point whatever the system says.
    QLocale::setDefault(QLocale(QLocale::C, QLocale::AnyCountry));

    // The settings store is keyed by these names.
    QCoreApplication::setOrganizationName(info->organization);
    QCoreApplication::setOrganizationDomain(info->domain);
    QCoreApplication::setApplicationName(info->name);

    const int systemLanguage = Settings::languageIndexFor(QLocale::system().language());
    if (!appSettings())
        setAppSettings(new Settings(Settings::defaults(systemLanguage)));

    langModel = new LangModel(appSettings()->value(SettingKey::Language).toInt(),
                              ResourceFiles::folderOf(QStringLiteral("languages/_lanraw_en.bpl")));
    setAppLangModel(langModel);
    _installQtTranslation(langModel->languageIndex);
    info->title = _translate(QStringLiteral("Recipe book"));

    document.setDataStructure();

    ui->setupUi(this);
    _initInterface();
    _recentBooks = new RecentBooks(appSettings(), ui->menuFile, ui->actionSave, this);
    connect(_recentBooks, &RecentBooks::openRequested, this, &MainWindow::openBook);
    auto* exchange = new ExchangeActions(this, document, editors, ui->menuFile, ui->actionSave_as);
    exchange->settleEdits = [this]() { return _settleEdits(); };
    exchange->startFolder = [this]() { return _recentBooks->startFolder(document.fileName); };
    _createSplash();
    _safety = new BookSafety(this, &document, &editors);
    on_actionNew_triggered();
}

MainWindow::~MainWindow()
{
    delete ui;
    // The book's in-memory database goes with the window, so that a later
    // window (in tests) opens its own connection without clashing with it.
    const QString connection = document.db.connectionName();
    document.db.close();
    document.db = QSqlDatabase();
    if (!connection.isEmpty())
        QSqlDatabase::removeDatabase(connection);
}

void MainWindow::showMainWindow()
{
    if (_safety->offerRecovery())
        _refresh();
    applyTheme(appSettings()->value(SettingKey::Style).toInt());
    show();
}

void MainWindow::applyTheme(int style)
{
    QApplication* application = app ? app : qApp;
    application->setStyleSheet(ColourTheme::styleSheet(style));
}

void MainWindow::_initInterface()
{
    icon = QIcon(mediaPath(QStringLiteral("favicon.png")));
    setWindowIcon(icon);
    for (const auto& picture : ActionPictures) {
        if (auto* action = findChild<QAction*>(QLatin1String(picture.first)))
            action->setIcon(QIcon(mediaPath(QLatin1String(picture.second))));
    }

    // The menus' own actions carry the menu titles, so they are translated too.
    for (QAction* action : findChildren<QAction*>())
        action->setText(_translate(action->text()));

    _tabs = new QTabWidget;
    for (const TabEditor& tab : _createTabEditors())
        addTab(tab.editor, _translate(tab.title));
    connect(_tabs, &QTabWidget::currentChanged, this, &MainWindow::_onTabChanged);
    auto* layout = new QVBoxLayout;
    layout->addWidget(_tabs);
    ui->centralWidget->setLayout(layout);
}

std::vector<MainWindow::TabEditor> MainWindow::_createTabEditors()
{
    // Created without a parent; they live as long as the process.
    return {
        {QStringLiteral("Recipes"),
         new EditableRecipeList(&document, Book::Recipes, {Book::CookingPlanRecipes})},
        {QStringLiteral("Ingredients"), new EditableDataTable(&document, Book::Ingredients)},
        {QStringLiteral("Cooking plans"), new EditableCookingPlanList(&document, Book::CookingPlans)},
    };
}

void MainWindow::addTab(EditableData* editor, QString title)
{
    auto* page = new QWidget;
    page->setProperty("class", QStringLiteral("childTab"));
    if (editor) {
        editors.push_back(editor);
        if (editor->layout)
            page->setLayout(editor->layout);
        connect(editor, &EditableEntity::documentChanged, this, &MainWindow::showDocumentChanged);
        connect(editor, &EditableEntity::informUser, this, &MainWindow::showSplash);
        _pageEditors[page] = editor;
    }
    _tabs->addTab(page, title);
}

void MainWindow::_createSplash()
{
    QPixmap picture(mediaPath(QStringLiteral("save.jpg")));
    if (!picture.isNull())
        picture = picture.scaled(100, 100, Qt::KeepAspectRatio, Qt::FastTransformation);
    splash = new QSplashScreen(picture);
    // Owned by the window, yet still a splash window of its own.
    splash->setParent(this, splash->windowFlags());
}

void MainWindow::_updateWindowTitle()
{
    QString title = AppInfo::instance()->name;
    if (document.modified)
        title += QLatin1Char('*');
    title += QStringLiteral(" - ");
    title += document.fileName.isEmpty() ? NewBookName : document.fileName;
    if (title != windowTitle()) {
        setWindowTitle(title);
        CULINOR_DIAG("mainwindow", QStringLiteral("Window title: ") + title);
    }
}

void MainWindow::showDocumentChanged()
{
    document.modified = true;
    _updateWindowTitle();
    const QObject* source = sender();
    for (EditableData* editor : editors) {
        if (editor != source)
            _staleEditors.insert(editor);
    }
}

void MainWindow::_onTabChanged(int index)
{
    // A cell editor left open on the tab before counts as typed.
    for (EditableData* editor : editors)
        editor->commitOpenEditors();
    // An editor filled before another tab changed the book may show names
    // that are gone; saving them would write them back. Refill it, keeping
    // its current row.
    const auto found = _pageEditors.find(_tabs->widget(index));
    if (found == _pageEditors.end() || _staleEditors.erase(found->second) == 0)
        return;
    EditableData* editor = found->second;
    if (auto* list = qobject_cast<EditableDataList*>(editor))
        list->refreshKeepingEdits(); // a changed panel keeps what the user typed
    else
        editor->synchronize();
}

// What the user typed counts before the book is read, written or replaced:
// open cell editors are committed, and each changed panel is saved or
// dropped as the user answers. False when the user cancels.
bool MainWindow::_settleEdits()
{
    for (EditableData* editor : editors)
        editor->commitOpenEditors();
    for (EditableData* editor : editors) {
        auto* list = qobject_cast<EditableDataList*>(editor);
        if (list && !list->settlePanel())
            return false;
    }
    return true;
}

void MainWindow::showSplash(QString text, int timeout)
{
    splash->show();
    splash->showMessage(QStringLiteral("<p style=\"font-size: 20px; font-weight: bold; "
                                       "text-shadow: 1px 1px 2px black, 0 0 1em red;\">")
                            + text + QStringLiteral("</p>"),
                        Qt::AlignHCenter | Qt::AlignVCenter, Qt::green);
    if (timeout > 0)
        QTimer::singleShot(timeout, this, &MainWindow::hideSplash);
}

void MainWindow::hideSplash()
{
    splash->hide();
}

void MainWindow::on_actionLanguage_triggered()
{
    Settings* settings = appSettings();
    const int style = settings->value(SettingKey::Style).toInt();
    SetDial dialog(settings, langModel, this);
    dialog.exec();
    const int newStyle = settings->value(SettingKey::Style).toInt();
    if (newStyle != style)
        applyTheme(newStyle);
}

void MainWindow::on_actionExit_triggered()
{
    close();
}

void MainWindow::on_actionAbout_triggered()
{
    const AppInfo* info = AppInfo::instance();
    QMessageBox box(this);
    box.setWindowTitle(_translate(QStringLiteral("About")) + QLatin1Char(' ') + info->name);
    box.setWindowIcon(icon);
    box.setIconPixmap(icon.pixmap(64, 64));
    box.setTextFormat(Qt::RichText);
    box.setText(QStringLiteral("<h3>") + info->title.toHtmlEscaped() + QStringLiteral("</h3><p><b>")
                + info->name + QStringLiteral("</b> ") + _translate(QStringLiteral("version"))
                + QLatin1Char(' ') + info->version + QStringLiteral("</p><p>")
                + _translate(QStringLiteral("Author:")) + QLatin1Char(' ') + info->author
                + QStringLiteral("</p><p>") + info->organization + QStringLiteral("</p><p><a href=\"")
                + info->domain + QStringLiteral("\">") + info->domain + QStringLiteral("</a></p>"));
    box.setTextInteractionFlags(Qt::TextBrowserInteraction);
    box.setStandardButtons(QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

void MainWindow::on_actionVisit_website_triggered()
{
    const QUrl site(AppInfo::instance()->domain, QUrl::TolerantMode);
    if (!QDesktopServices::openUrl(site))
        ui->statusBar->showMessage(_translate(QStringLiteral("The web browser could not be opened")),
                                   FailureMessageTimeout);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!_settleEdits()) {
        event->ignore();
        return;
    }
    if (!document.modified) {
        event->accept();
        return;
    }
    QMessageBox box;
    box.setWindowIcon(icon);
    box.setText(_translate(QStringLiteral("Document has been modified!")));
    box.setInformativeText(_translate(QStringLiteral("Do you want to save changes?")));
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        on_actionSave_triggered();
        // The changes must not be lost: a cancelled or failed save keeps the window open.
        if (document.modified)
            event->ignore();
        else
            event->accept();
        break;
    case QMessageBox::No:
        event->accept();
        break;
    default:
        event->ignore();
        break;
    }
}

bool MainWindow::_askToSave()
{
    QMessageBox box;
    box.setWindowIcon(icon);
    box.setText(_translate(QStringLiteral("Document has been modified!")));
    box.setInformativeText(_translate(QStringLiteral("Do you want to save changes?")));
    // Cancel (or Escape) keeps the book, as the question on closing does.
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::No);
    const int answer = box.exec();
    if (answer == QMessageBox::No)
        return true;
    if (answer != QMessageBox::Yes)
        return false;
    on_actionSave_triggered();
    // Going on after a cancelled or failed save would drop the changes.
    return !document.modified;
}

bool MainWindow::_selectFile(QString& fileName, bool saving)
{
    const AppInfo* info = AppInfo::instance();
    QFileDialog dialog(this, QString(), QString(), QString());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDirectory(_recentBooks->startFolder(document.fileName));
    dialog.setNameFilter(info->name + QLatin1Char(' ') + _translate(QStringLiteral("documents"))
                         + QStringLiteral("(*.carb)"));
    QString action;
    if (saving) {
        action = QStringLiteral("saving");
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setWindowTitle(_translate(QStringLiteral("Save")) + QLatin1Char(' ') + info->title);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
    } else {
        action = QStringLiteral("opening");
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setWindowTitle(_translate(QStringLiteral("Load")) + QLatin1Char(' ') + info->title);
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList selected = dialog.selectedFiles();
    if (selected.size() != 1) {
        ui->statusBar->showMessage(_translate(action + QStringLiteral(" error: specify one file!")));
        return false;
    }
    fileName = selected.first();
    _recentBooks->useFolderOf(fileName);
    return true;
}

bool MainWindow::_confirmReplace(const QString& fileName)
{
    return !QFile::exists(fileName)
           || askYesNo(_translate(QStringLiteral("This file already exists. Replace it?")),
                       fileName);
}

// Qt's own texts (file dialog, standard buttons) follow the interface language.
void MainWindow::_installQtTranslation(int languageIndex)
{
    static QTranslator* installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    if (languageIndex <= 0 || languageIndex >= LangModel::languageCodes().size())
        return;
    auto* translator = new QTranslator;
    const QString file = QStringLiteral("qtbase_") + LangModel::languageCodes().at(languageIndex);
    if (!translator->load(file, QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
        CULINOR_DIAG("mainwindow", QStringLiteral("No translation of Qt's own texts: ") + file);
        delete translator;
        return;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
}

void MainWindow::_refresh()
{
    for (EditableData* editor : editors)
        editor->synchronize();
    _staleEditors.clear();
    _safety->bookSettled();
    _updateWindowTitle();
}

void MainWindow::_showFailure(const char* message)
{
    CULINOR_DIAG("mainwindow", message);
    // Shown as it stands: these two texts are not translated.
    ui->statusBar->showMessage(QString::fromLatin1(message), FailureMessageTimeout);
}

void MainWindow::on_actionNew_triggered()
{
    if (!_settleEdits())
        return;
    if (document.modified && !_askToSave())
        return;
    document.Clear();
    document.fileName = NewBookName;
    document.fillSampleBook();
    document.modified = false;
    _refresh();
}

void MainWindow::on_actionOpen_triggered()
{
    if (!_settleEdits())
        return;
    if (document.modified && !_askToSave())
        return;
    QString name;
    if (_selectFile(name, false) && _safety->mayUseBook(name))
        _loadBook(name);
}

// A book named outside the Open dialog (the command line, the recent books):
// the user's edits are settled first, as for Open.
void MainWindow::openBook(const QString& fileName)
{
    if (!_settleEdits() || (document.modified && !_askToSave()))
        return;
    if (_safety->mayUseBook(fileName))
        _loadBook(fileName);
}

void MainWindow::_loadBook(const QString& fileName)
{
    BookProgressDialog progress(fileName, false, this);
    if (document.OpenDocument(fileName, progress.callback()))
        _recentBooks->add(fileName);
    else
        _showFailure("Loading error");
    _refresh();
}

void MainWindow::_saveBook(const QString& fileName)
{
    BookProgressDialog progress(fileName, true, this);
    if (document.SaveDocument(fileName, progress.callback()))
        _recentBooks->add(fileName);
    else
        _showFailure("Saving error");
    _refresh();
}

void MainWindow::on_actionSave_triggered()
{
    if (!_settleEdits())
        return;
    const QString name = document.fileName;
    if (name.isEmpty()) {
        on_actionSave_as_triggered();
        return;
    }
    if (!document.modified)
        return;
    // A book never saved has no file yet, even if a file called NewBook happens
    // to lie in the working directory.
    if (name == NewBookName || !QFile::exists(name)) {
        on_actionSave_as_triggered();
        return;
    }
    _saveBook(name);
}

void MainWindow::on_actionSave_as_triggered()
{
    if (!_settleEdits())
        return;
    QString name;
    if (!_selectFile(name, true))
        return;
    if (!name.endsWith(BookSuffix, Qt::CaseSensitive)) {
        name += BookSuffix;
        // The dialog asked only about the name without the suffix.
        if (!_confirmReplace(name))
            return;
    }
    if (!_safety->mayUseBook(name))
        return;
    _saveBook(name);
}

QString MainWindow::_translate(const QString& text) const
{
    return langModel ? langModel->translate(text) : text;
}
