#pragma once

#include "editing/editabledatalist.h"

#include <QString>

class QPushButton;
class QWebView;

// The Cooking plans tab: a data list with an expense report and shopping
// list of the current plan above its editor panel, shown on demand and
// printable while shown.
class EditableCookingPlanList : public EditableDataList
{
    Q_OBJECT

public:
    EditableCookingPlanList(Document* document, QString table);

    // Builds the report of one plan and shows it in the details view; a
    // report that cannot be completed leaves the view empty.
    void _obtainDetails(int planId);

    QWebView* detailsView = nullptr;
    QPushButton* printButton = nullptr;
    // The report last put into the details view, as it was built; empty
    // when the last report was abandoned.
    QString report;

public slots:
    void onListItemActivated(QListWidgetItem* item) override;
    void showDetails();
    void printDetails();

private:
    void _showNoItem() override;
    void _showViews(int planId) override;
    bool _buildReport(int planId, QString& html, const char*& failure);
};
