#pragma once

#include <QLayout>
#include <QObject>
#include <QString>
#include <QVariant>

#include <vector>

class ImageLabel;
class QHBoxLayout;
class QPushButton;
class QTableWidget;

// The base of every editor: the layout the main window puts into a tab, and
// the two signals by which an editor talks to the window.
class EditableEntity : public QObject
{
    Q_OBJECT

public:
    explicit EditableEntity(QObject* parent = nullptr);

    void _connectEditButtons(std::vector<QPushButton*>& buttons);
    // The stored form of the label's picture; "0" when it holds none.
    void imageToVar(ImageLabel* label, QVariant& out);
    // Commits what a cell editor still open holds, so that a typed value
    // counts before the book is read, saved or replaced.
    virtual void commitOpenEditors() {}

    QLayout* layout = nullptr;

signals:
    void documentChanged();
    void informUser(QString text, int splashTimeout);

public slots:
    virtual void synchronize() = 0;
    virtual void onEditButtonClicked() = 0;
};

// The row-action buttons "a" (add), "c" (copy), "d" (delete) in a row of their own.
QHBoxLayout* _createEditButtons(std::vector<QPushButton*>& buttons);
// A grid of whole-row single selection, as every editor shows its rows.
QTableWidget* _createTableWidget();
