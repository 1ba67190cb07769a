#include "views/editablerecipelist.h"

#include "settings/settings.h"
#include "data/diagnostics.h"
#include "data/recipe.h"
#include "editing/verticalscrollarea.h"
#include "images/dropimagelabel.h"
#include "images/photoiconengine.h"
#include "images/pictures.h"
#include "lang/langmodel.h"
#include "resources/resourcefiles.h"
#include "views/pageview.h"
#include "views/printwebview.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebView>

namespace {

const int IdRole = Qt::UserRole + 1;

// The settings object of the program when there is one, else the same store.
QVariant readSetting(const QString& key)
{
    if (Settings* settings = appSettings())
        return settings->value(key);
    return QSettings().value(key);
}

void writeSetting(const QString& key, const QVariant& value)
{
    if (Settings* settings = appSettings())
        settings->setValue(key, value);
    else
        QSettings().setValue(key, value);
}

QString tagLine(const std::vector<QString>& tags)
{
    if (tags.empty())
        return translate(QStringLiteral("None"));
    QString line;
    for (size_t i = 0; i < tags.size(); ++i) {
        line += tags[i].toHtmlEscaped();
        line += i + 1 < tags.size() ? QStringLiteral(", ") : QStringLiteral(".");
    }
    return line;
}

// "7 of 10": the word "of" stays English in every language.
QString outOfTen(uchar value)
{
    return QString::number(value, 10) + QStringLiteral(" ") + QStringLiteral("of") +
           QStringLiteral(" 10");
}

QString ingredientItems(const std::vector<RecipeIngredient>& ingredients)
{
    if (ingredients.empty())
        return QStringLiteral("<li>") + translate(QStringLiteral("None")) +
               QStringLiteral("</li>");
    QString items;
    for (const RecipeIngredient& line : ingredients)
        items += QStringLiteral("<li>") + line.ingredient.toHtmlEscaped() + QStringLiteral(": ") +
                 QString::number(double(line.quantity), 'g', 6) + QStringLiteral(" ") +
                 line.unit.toHtmlEscaped() + QStringLiteral("</li>");
    return items;
}

} // namespace

EditableRecipeList::EditableRecipeList(Document* document, QString table,
                                       std::initializer_list<QString> excluded)
    : EditableDataList(document, table, excluded)
{
    photoLabel = nullptr;

    auto* tabs = new QTabWidget;
    tabs->addTab(_createViewPage(), translate(QStringLiteral("View")));
    tabs->addTab(scrollArea, translate(QStringLiteral("Edit")));
    splitter->addWidget(tabs);

    auto* viewButton = new QPushButton;
    viewButton->setIcon(QIcon(ResourceFiles::path(QStringLiteral("media/view.png"))));
    viewButton->setToolTip(translate(QStringLiteral("Change view")));
    viewButton->setWhatsThis(translate(QStringLiteral("Change view")));
    connect(viewButton, &QPushButton::clicked, this, &EditableRecipeList::changeView);
    buttonBar->addWidget(viewButton);

    viewMode = static_cast<short>(readSetting(SettingKey::RecipeIcons).toInt());
    setView(viewMode);

    photoLabel = _findPhotoLabel();
    if (!photoLabel)
        CULINOR_DIAG("mainwindow", "Image field not found!");
}

QWidget* EditableRecipeList::_createViewPage()
{
    printButton = new QPushButton(translate(QStringLiteral("Print page")));
    printButton->setEnabled(false);
    connect(printButton, &QPushButton::clicked, this, &EditableRecipeList::printView);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(printButton);

    view = createPageView();
    auto* pageLayout = new QVBoxLayout;
    pageLayout->addLayout(buttonRow);
    pageLayout->addWidget(view);
    auto* viewPage = new QWidget;
    viewPage->setLayout(pageLayout);
    viewPage->setProperty("class", QStringLiteral("viewDisplay"));
    return viewPage;
}

// With no recipe left to show, the page of one that is gone must not stay.
void EditableRecipeList::_showNoItem()
{
    view->setHtml(QString(), QUrl());
    page.clear();
    printButton->setEnabled(false);
}

// The panel's photo editor: the last picture field shown by a DropImageLabel.
DropImageLabel* EditableRecipeList::_findPhotoLabel() const
{
    DropImageLabel* found = nullptr;
    for (const EditWidget& entry : form.widgets)
        if (entry.type == MD_IMAGE && entry.widget &&
            QLatin1String(entry.widget->metaObject()->className()) ==
                QLatin1String("DropImageLabel"))
            found = static_cast<DropImageLabel*>(entry.widget);
    return found;
}

int EditableRecipeList::iconSide(int viewMode)
{
    switch (viewMode) {
    case 0:
        return 20;
    case 1:
        return 100;
    default:
        return 1;
    }
}

void EditableRecipeList::setView(int viewMode)
{
    const int side = iconSide(viewMode);
    list->setIconSize(QSize(side, side));
}

void EditableRecipeList::changeView()
{
    viewMode = viewMode + 1;
    if (viewMode > 2)
        viewMode = 0;
    writeSetting(SettingKey::RecipeIcons, int(viewMode));
    setView(viewMode);
}

void EditableRecipeList::printView()
{
    printWebView(view);
}

QString EditableRecipeList::recipePageHtml(const Recipe& recipe)
{
    QString html;
    html += QStringLiteral("<h1>") + recipe.name.toHtmlEscaped() + QStringLiteral("</h1>");
    html += QStringLiteral("<div style=\"float: left; margin: 10px; padding: 10px;\">"
                           "<div style=\"padding: 10px;\">") +
            imageVarToHtml(recipe.photo) + QStringLiteral("</div></div>");
    html += QStringLiteral("<div><b>") + translate(QStringLiteral("Tags")) +
            QStringLiteral("</b>: ");
    html += tagLine(recipe.tags);
    html += QStringLiteral("<br />");
    html += QStringLiteral("<b>") + translate(QStringLiteral("Rating")) + QStringLiteral("</b>: ") +
            outOfTen(recipe.rating) + QStringLiteral("<br />");
    html += QStringLiteral("<b>") + translate(QStringLiteral("Complexity")) +
            QStringLiteral("</b>: ") + outOfTen(recipe.complexity) + QStringLiteral("</div>");
    html += QStringLiteral("<div style=\"clear: left;\"></div>");
    html += QStringLiteral("<div style=\"float: left; margin: 10px; padding: 10px;\">"
                           "<div style=\"width: 200px; padding: 10px; border: 1px solid gray; "
                           "border-radius: 10px; background-color: orange; \"><h2>") +
            translate(QStringLiteral("Ingredients")) + QStringLiteral("</h2><ul>");
    html += ingredientItems(recipe.ingredients);
    html += QStringLiteral("</ul>");
    html += QStringLiteral("</div></div><div><i>") + recipe.description +
            QStringLiteral("</i></div>");
    return html;
}

void EditableRecipeList::onListItemActivated(QListWidgetItem* item)
{
    bool ok = false;
    const int id = item ? item->data(IdRole).toInt(&ok) : -1;
    if (!ok) {
        CULINOR_DIAG("mainwindow", "Unknown Recipe index");
        return;
    }
    _showViews(id);
    EditableDataList::onListItemActivated(item);
}

void EditableRecipeList::_showViews(int id)
{
    Recipe recipe;
    document->getRecipe(id, recipe);
    page = recipePageHtml(recipe);
    view->setHtml(page, QUrl());
    printButton->setEnabled(true);
}

void EditableRecipeList::_addListItemCopy(int id, QListWidgetItem* source)
{
    const QVariant decoration = source->data(Qt::DecorationRole);
    QIcon icon;
    if (decoration.userType() == QMetaType::QIcon)
        icon = decoration.value<QIcon>();
    else if (decoration.userType() == QMetaType::QPixmap)
        icon = QIcon(decoration.value<QPixmap>());
    else if (decoration.userType() == QMetaType::QImage)
        icon = QIcon(QPixmap::fromImage(decoration.value<QImage>()));
    else if (decoration.canConvert<QIcon>())
        icon = decoration.value<QIcon>();

    auto* item = new QListWidgetItem(source->data(Qt::DisplayRole).toString());
    item->setData(IdRole, id);
    item->setData(Qt::DecorationRole, icon);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    list->addItem(item);
}

void EditableRecipeList::_addListItem(std::vector<QVariant>& row)
{
    if (row.size() < 2) {
        CULINOR_DIAG("mainwindow", "Error: list row without id and name");
        return;
    }
    bool ok = false;
    const int id = row[0].toInt(&ok);
    // The photo is read and decoded when its icon is first drawn: a list of
    // thousands of recipes holds no copy of their photos.
    const QIcon icon(row.size() >= 3 ? new PhotoIconEngine(row[2])
                     : ok            ? new PhotoIconEngine([this, id] { return _photoOf(id); })
                                     : new PhotoIconEngine(QVariant()));
    auto* item = new QListWidgetItem(row[1].toString());
    item->setData(IdRole, ok ? QVariant(id) : row[0]);
    item->setData(Qt::DecorationRole, icon);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    list->addItem(item);
}

QString EditableRecipeList::_listFields()
{
    return QStringLiteral("id,name");
}

QVariant EditableRecipeList::_photoOf(int id)
{
    QueryResult result;
    document->getRows(table, QStringLiteral("photo"), QStringLiteral("id=") + QString::number(id),
                      &result);
    QVariant photo;
    readNextValue(result.query, photo);
    return photo;
}

void EditableRecipeList::_modifyListItem(QListWidgetItem* item)
{
    EditableDataList::_modifyListItem(item);
    if (!photoLabel)
        return;
    const QSignalBlocker blocker(list);
    item->setData(Qt::DecorationRole, QIcon(photoLabel->pixmap(Qt::ReturnByValue)));
}
