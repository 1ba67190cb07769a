#pragma once

// Shared pieces of the editor tests: the sample book in a scratch folder, a
// shown window around an editor, and grid cells edited the way a user does.
#include "data/document.h"
#include "support/testsupport.h"

#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QtTest>

#include <memory>
#include <vector>

// The sample book in a scratch working folder, and the window showing an editor.
struct SampleBook
{
    std::unique_ptr<ScratchDir> dir;
    std::unique_ptr<Document> document;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<QObject> editor; // deleted after its window, before the book

    bool open()
    {
        dir.reset(new ScratchDir);
        document.reset(new Document);
        if (!document->setDataStructure())
            return false;
        document->fillSampleBook();
        return true;
    }

    void close()
    {
        window.reset();
        editor.reset();
        if (document) {
            document.reset();
            QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
        }
        dir.reset();
    }

    bool show(QLayout* layout, const QSize& size = QSize(1000, 800))
    {
        window.reset(new QWidget);
        window->setLayout(layout);
        window->resize(size);
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window.get());
    }

    // The stored row; empty values when it cannot be read, so comparisons fail.
    std::vector<QVariant> row(const QString& table, int id) const
    {
        std::vector<QVariant> values;
        if (!document->getRowByID(table, id, values))
            values.assign(16, QVariant());
        return values;
    }
};

inline int countRows(const QString& table, const QString& where = QString())
{
    QSqlQuery query(QStringLiteral("SELECT COUNT(*) FROM ") + table +
                    (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where));
    return query.next() ? query.value(0).toInt() : -1;
}

inline int rowWithText(QTableWidget* grid, int column, const QString& text)
{
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, column) && grid->item(r, column)->text() == text)
            return r;
    return -1;
}

// Opens the cell's editor with a click and a double click; an open cell
// editor is a visible child of the grid's viewport.
inline QWidget* openCellEditor(QTableWidget* grid, int row, int column)
{
    QTableWidgetItem* item = grid->item(row, column);
    if (!item)
        return nullptr;
    grid->scrollToItem(item);
    const QPoint centre = grid->visualItemRect(item).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
    for (QWidget* child :
         grid->viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (child->isVisible())
            return child;
    return nullptr;
}

// Replaces the editor's text with the typed one and commits it with Enter.
inline bool typeIntoCell(QWidget* editor, const QString& text, bool replace = true)
{
    if (!editor)
        return false;
    QPointer<QWidget> open(editor);
    QWidget* target = editor;
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        target = combo->lineEdit();
    if (auto* line = qobject_cast<QLineEdit*>(target); line && replace)
        line->selectAll();
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(target); spin && replace)
        spin->selectAll();
    QTest::keyClicks(target, text);
    QTest::keyClick(target, Qt::Key_Enter);
    return QTest::qWaitFor([&open]() { return !open || !open->isVisible(); });
}

inline void clickCell(QTableWidget* grid, int row, int column)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid->visualItemRect(grid->item(row, column)).center());
}
