#include "exchange/exchangeactions.h"

#include "settings/settings.h"
#include "data/document.h"
#include "data/recipebook.h"
#include "exchange/importsourcedialog.h"
#include "exchange/recipeexporter.h"
#include "exchange/recipeimporter.h"
#include "lang/langmodel.h"
#include "views/editablerecipelist.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

namespace {

const int StatusTimeout = 4000;

bool isRecipeFile(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == QLatin1String("html") || suffix == QLatin1String("htm") ||
           suffix == QLatin1String("json") || suffix == QLatin1String("jsonld");
}

} // namespace

ExchangeActions::ExchangeActions(QMainWindow* window, Document& document,
                                 const std::vector<EditableData*>& editors, QMenu* menu,
                                 QAction* after)
    : QObject(window), _window(window), _document(document)
{
    importAction = new QAction(translate(QStringLiteral("Import recipe…")), this);
    importAction->setObjectName(QStringLiteral("actionImport_recipe"));
    importAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+I")));
    exportAction = new QAction(translate(QStringLiteral("Export recipes…")), this);
    exportAction->setObjectName(QStringLiteral("actionExport_recipes"));
    connect(importAction, &QAction::triggered, this, &ExchangeActions::_askForSource);
    connect(exportAction, &QAction::triggered, this, &ExchangeActions::exportRecipes);

    const QList<QAction*> actions = menu->actions();
    const int at = actions.indexOf(after);
    QAction* before = at >= 0 && at + 1 < actions.size() ? actions.at(at + 1) : nullptr;
    menu->insertSeparator(before);
    menu->insertAction(before, importAction);
    menu->insertAction(before, exportAction);
    if (before)
        menu->insertSeparator(before);

    for (EditableData* editor : editors)
        if (auto* recipes = qobject_cast<EditableRecipeList*>(editor))
            _recipes = recipes;
    if (_recipes) {
        _recipes->list->setAcceptDrops(true);
        _recipes->list->viewport()->setAcceptDrops(true);
        _recipes->list->viewport()->installEventFilter(this);
    }
}

QString ExchangeActions::_currency() const
{
    const Settings* settings = appSettings();
    const QString currency =
        settings ? settings->value(SettingKey::Currency).toString() : QString();
    return currency.isEmpty() ? QStringLiteral("USD") : currency;
}

void ExchangeActions::_askForSource()
{
    if (settleEdits && !settleEdits())
        return;
    ImportSourceDialog dialog(_window, startFolder ? startFolder() : QString());
    if (dialog.exec() == QDialog::Accepted && !dialog.source().isEmpty())
        importSources({dialog.source()});
}

bool ExchangeActions::importSources(const QStringList& sources)
{
    if (settleEdits && !settleEdits())
        return false;
    RecipeImporter importer(_document, _currency());
    QProgressDialog progress(
        translate(QStringLiteral("Loading %1")).arg(sources.join(QStringLiteral(", "))),
        translate(QStringLiteral("Cancel")), 0, 0, _window);
    progress.setWindowTitle(translate(QStringLiteral("Import recipe")));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    bool cancelled = false;
    connect(&importer, &RecipeImporter::progress, &progress, &QProgressDialog::setLabelText);
    connect(&progress, &QProgressDialog::canceled, &importer, [&importer, &cancelled] {
        cancelled = true;
        importer.cancel();
    });
    QEventLoop loop;
    connect(&importer, &RecipeImporter::finished, &loop, &QEventLoop::quit);
    progress.show();
    importer.start(sources);
    if (importer.running())
        loop.exec();
    progress.hide();

    if (!importer.addedIds.empty() && _recipes) {
        for (int id : importer.addedIds) {
            std::vector<QVariant> row;
            _document.getRowByID(Book::Recipes, id, row);
            std::vector<QVariant> item{id, row.empty() ? QVariant() : row[Book::RecipeName],
                                       row.size() > Book::RecipePhoto ? row[Book::RecipePhoto]
                                                                      : QVariant()};
            _recipes->_addListItem(item);
        }
        _recipes->selectItem(importer.addedIds.front());
        emit _recipes->documentChanged();
    }
    if (cancelled) {
        _window->statusBar()->showMessage(translate(QStringLiteral("The import was cancelled.")),
                                          StatusTimeout);
    } else if (importer.addedIds.empty()) {
        _showError(importer.errors.join(QLatin1Char('\n')));
    } else {
        _window->statusBar()->showMessage(
            translate(QStringLiteral("Recipes imported: %1")).arg(importer.addedIds.size()),
            StatusTimeout);
    }
    return !importer.addedIds.empty();
}

void ExchangeActions::exportRecipes()
{
    if (settleEdits && !settleEdits())
        return;
    std::vector<int> ids = RecipeExporter::allRecipes(_document);
    const int current = _recipes ? _recipes->_currentItemID() : -1;
    if (ids.empty()) {
        _showError(translate(QStringLiteral("The book has no recipe to export.")));
        return;
    }
    if (current >= 0 && ids.size() > 1) {
        QMessageBox box(_window);
        box.setWindowTitle(translate(QStringLiteral("Export recipes")));
        box.setText(translate(QStringLiteral("Which recipes do you want to export?")));
        QPushButton* one =
            box.addButton(translate(QStringLiteral("Current recipe")), QMessageBox::AcceptRole);
        QPushButton* all =
            box.addButton(translate(QStringLiteral("All recipes")), QMessageBox::AcceptRole);
        box.addButton(QMessageBox::Cancel);
        box.setDefaultButton(all);
        box.exec();
        if (box.clickedButton() == one)
            ids = {current};
        else if (box.clickedButton() != all)
            return;
    }
    QFileDialog dialog(_window, translate(QStringLiteral("Export recipes")));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (startFolder)
        dialog.setDirectory(startFolder());
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString json = QStringLiteral("JSON-LD (*.json)");
    const QString page = translate(QStringLiteral("Web page")) + QStringLiteral(" (*.html)");
    dialog.setNameFilters({json, page});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().size() != 1)
        return;
    QString fileName = dialog.selectedFiles().first();
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix != QLatin1String("json") && suffix != QLatin1String("html") &&
        suffix != QLatin1String("htm"))
        fileName +=
            dialog.selectedNameFilter() == page ? QStringLiteral(".html") : QStringLiteral(".json");
    if (!RecipeExporter(_document, _currency()).write(ids, fileName)) {
        _showError(translate(QStringLiteral("The file %1 could not be written.")).arg(fileName));
        return;
    }
    _window->statusBar()->showMessage(
        translate(QStringLiteral("Recipes exported: %1")).arg(ids.size()), StatusTimeout);
}

QStringList ExchangeActions::droppedSources(const QMimeData* data)
{
    QStringList sources;
    if (!data || !data->hasUrls())
        return sources;
    for (const QUrl& url : data->urls()) {
        if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
            sources << url.toString();
        else if (url.isLocalFile() && isRecipeFile(url.toLocalFile()))
            sources << url.toLocalFile();
    }
    return sources;
}

bool ExchangeActions::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (droppedSources(drag->mimeData()).isEmpty())
            return QObject::eventFilter(watched, event);
        drag->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QStringList sources = droppedSources(drop->mimeData());
        if (sources.isEmpty())
            return QObject::eventFilter(watched, event);
        drop->acceptProposedAction();
        // The import runs its own event loop: not inside the drop.
        QTimer::singleShot(0, this, [this, sources] { importSources(sources); });
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ExchangeActions::_showError(const QString& text)
{
    QMessageBox box(_window);
    box.setIcon(QMessageBox::Warning);
    box.setWindowTitle(translate(QStringLiteral("Recipe exchange")));
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}
