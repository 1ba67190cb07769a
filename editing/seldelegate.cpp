#include "editing/seldelegate.h"

#include <QComboBox>
#include <QLineEdit>

SelDelegate::SelDelegate(QString table, QObject* parent) : QItemDelegate(parent), table(table) {}

QWidget* SelDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                   const QModelIndex&) const
{
    auto* editor = new QComboBox(parent);
    editor->setLineEdit(new QLineEdit);
    return editor;
}

void SelDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QVariant value = index.model() ? index.model()->data(index, Qt::DisplayRole) : QVariant();
    emit populateCombo(static_cast<QComboBox*>(editor), value.toString(), table);
}
