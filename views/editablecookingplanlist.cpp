#include "views/editablecookingplanlist.h"

#include "settings/settings.h"
#include "data/diagnostics.h"
#include "data/queryresult.h"
#include "data/recipebook.h"
#include "editing/flowlayout.h"
#include "lang/langmodel.h"
#include "views/pageview.h"
#include "views/printwebview.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebView>

#include <map>
#include <vector>

namespace {

const int IdRole = Qt::UserRole + 1;

QString currencySetting()
{
    if (Settings* settings = appSettings())
        return settings->value(SettingKey::Currency).toString();
    return QSettings().value(SettingKey::Currency, QStringLiteral("USD")).toString();
}

// One ingredient of the shopping list: its name and the quantity needed of
// it per unit name, units in ascending name order.
struct ShoppingEntry
{
    QString name;
    std::map<QString, double> quantities;
};

using ShoppingList = std::map<int, ShoppingEntry>;

QString money(double value)
{
    return QString::number(value, 'f', 2);
}

QString shoppingRows(const ShoppingList& shopping)
{
    QString rows;
    for (const auto& ingredient : shopping) {
        const ShoppingEntry& entry = ingredient.second;
        rows += QStringLiteral("<td rowspan=\"") + QString::number(entry.quantities.size()) +
                QStringLiteral("\">") + entry.name.toHtmlEscaped() + QStringLiteral("</td>");
        for (const auto& unit : entry.quantities)
            rows += QStringLiteral("<td>") + money(unit.second) + QStringLiteral("</td><td>") +
                    unit.first.toHtmlEscaped() + QStringLiteral("</td></tr><tr>");
    }
    return rows;
}

} // namespace

EditableCookingPlanList::EditableCookingPlanList(Document* document, QString table)
    : EditableDataList(document, table, {})
{
    auto* detailsButton = new QPushButton(translate(QStringLiteral("Show/hide details")));
    printButton = new QPushButton(translate(QStringLiteral("Print details")));
    saveBar->addWidget(detailsButton);
    saveBar->addWidget(printButton);
    connect(detailsButton, &QPushButton::clicked, this, &EditableCookingPlanList::showDetails);
    connect(printButton, &QPushButton::clicked, this, &EditableCookingPlanList::printDetails);

    detailsView = createPageView();
    detailsView->setMinimumHeight(300);
    detailsView->setHtml(QStringLiteral("<h1>Hello</h1>"), QUrl());
    detailsView->hide();
    printButton->setEnabled(false);
    editorLayout->insertWidget(0, detailsView);
}

void EditableCookingPlanList::showDetails()
{
    if (detailsView->isHidden()) {
        const int planId = _currentItemID();
        printButton->setEnabled(planId >= 0);
        if (planId >= 0)
            _obtainDetails(planId);
        detailsView->show();
    } else {
        detailsView->hide();
        printButton->setEnabled(false);
    }
}

// With no plan left to show, the report of a plan that is gone must not stay.
void EditableCookingPlanList::_showNoItem()
{
    detailsView->setHtml(QString(), QUrl());
    report.clear();
    printButton->setEnabled(false);
}

void EditableCookingPlanList::printDetails()
{
    printWebView(detailsView);
}

void EditableCookingPlanList::onListItemActivated(QListWidgetItem* item)
{
    bool ok = false;
    const int planId = item ? item->data(IdRole).toInt(&ok) : -1;
    if (!ok) {
        CULINOR_DIAG("mainwindow", "Unknown Recipe index");
        return;
    }
    EditableDataList::onListItemActivated(item);
    _showViews(planId);
}

void EditableCookingPlanList::_showViews(int planId)
{
    if (detailsView->isHidden())
        return;
    _obtainDetails(planId);
    printButton->setEnabled(true);
}

void EditableCookingPlanList::_obtainDetails(int planId)
{
    if (planId < 0) {
        CULINOR_DIAG("mainwindow", "Incorrect ID");
        return;
    }
    detailsView->setHtml(QString(), QUrl());
    report.clear();
    QString html;
    const char* failure = nullptr;
    if (!_buildReport(planId, html, failure)) {
        CULINOR_DIAG("mainwindow", failure);
        return;
    }
    report = html;
    detailsView->setHtml(report, QUrl());
}

// The report of one plan into html; false, with the reason in failure, when a
// row it needs is missing or unreadable.
bool EditableCookingPlanList::_buildReport(int planId, QString& html, const char*& failure)
{
    using namespace Book;
    const QString currency = currencySetting().toHtmlEscaped();

    QueryResult dishes;
    document->getRows(CookingPlanRecipes, QStringLiteral("id_cp=") + QString::number(planId),
                      &dishes);

    QString dishTable = QStringLiteral("<h1>") +
                        document->getNameByID(CookingPlans, planId).toHtmlEscaped() +
                        QStringLiteral("</h1><h2>") + translate(QStringLiteral("Expenses")) +
                        QStringLiteral("</h2><table border=\"1\"><tr><th>") +
                        translate(QStringLiteral("Recipe")) + QStringLiteral("</th><th>") +
                        translate(QStringLiteral("Expenses per portion")) +
                        QStringLiteral("</th><th>") + translate(QStringLiteral("Number of dishes")) +
                        QStringLiteral("</th><th>") +
                        translate(QStringLiteral("Expenses per dish")) + QStringLiteral(", ") +
                        currency + QStringLiteral("</th></tr><tr>");
    QString shoppingTable = QStringLiteral("<h2>") + translate(QStringLiteral("Ingredients")) +
                            QStringLiteral("</h2><table border=\"1\"><tr><th>") +
                            translate(QStringLiteral("Ingredient")) + QStringLiteral("</th><th>") +
                            translate(QStringLiteral("Quantity")) + QStringLiteral("</th><th>") +
                            translate(QStringLiteral("Unit")) + QStringLiteral("</th></tr><tr>");

    ShoppingList shopping;
    double total = 0;
    // Dishes without a readable recipe are left out and named above the tables.
    QString notices;
    int dishRow = 0;
    std::vector<QVariant> dish;
    while (readNextRow(dishes.query, dish, 1)) {
        ++dishRow;
        if (dish.size() < DishFieldCount) {
            failure = "No such field";
            return false;
        }
        const int portions = dish[DishPortions].toInt();
        bool ok = false;
        const int recipeId = dish[DishRecipe].toInt(&ok);
        std::vector<QVariant> recipe;
        if (ok && recipeId != -1)
            document->getRowByID(Recipes, recipeId, recipe);
        if (recipe.size() < RecipeFieldCount) {
            notices += QStringLiteral("<p><b>") +
                       translate(QStringLiteral("Dish row %1 has no recipe and is left out of "
                                                "this report."))
                           .arg(dishRow) +
                       QStringLiteral("</b></p>");
            continue;
        }
        const double expenses = recipe[RecipeExpenses].toDouble();
        const double line = expenses * portions;
        dishTable += QStringLiteral("<td>") + recipe[RecipeName].toString().toHtmlEscaped() +
                     QStringLiteral("</td><td>") + money(expenses) + QStringLiteral("</td><td>") +
                     QString::number(portions) + QStringLiteral("</td><td>") + money(line) +
                     QStringLiteral("</td></tr><tr>");

        QueryResult lines;
        document->getRows(RecipeIngredients, QStringLiteral("id_rec=") + QString::number(recipeId),
                          &lines);
        std::vector<QVariant> ingredientLine;
        while (readNextRow(lines.query, ingredientLine, 1)) {
            if (ingredientLine.size() < LineFieldCount) {
                failure = "Field not available";
                return false;
            }
            const int ingredientId = ingredientLine[LineIngredient].toInt(&ok);
            if (!ok) {
                failure = "Cannot get ID";
                return false;
            }
            const double quantity = ingredientLine[LineQuantity].toDouble(&ok);
            if (!ok) {
                failure = "Cannot extract quantity";
                return false;
            }
            const int unitId = ingredientLine[LineUnit].toInt(&ok);
            if (!ok) {
                failure = "Cannot get unit ID";
                return false;
            }
            auto found = shopping.find(ingredientId);
            if (found == shopping.end())
                found = shopping.emplace(ingredientId,
                                         ShoppingEntry{document->getNameByID(Ingredients,
                                                                             ingredientId),
                                                       {}})
                            .first;
            const QString unit = document->getNameByID(Units, unitId);
            const double amount = quantity * portions;
            auto& quantities = found->second.quantities;
            auto unitEntry = quantities.find(unit);
            if (unitEntry == quantities.end())
                quantities.emplace(unit, amount);
            else
                unitEntry->second += amount;
        }
        total += line;
    }

    dishTable += QStringLiteral("</tr></table><b>") + translate(QStringLiteral("Total expenses")) +
                 QStringLiteral(":</b> <i>") + money(total) + QStringLiteral(" ") + currency +
                 QStringLiteral("</i>");
    shoppingTable += shoppingRows(shopping) + QStringLiteral("</tr></table>");
    dishTable.insert(dishTable.indexOf(QStringLiteral("</h1>")) + 5, notices);
    html = dishTable + shoppingTable;
    return true;
}
