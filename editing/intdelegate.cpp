#include "editing/intdelegate.h"

#include "editing/spinboxes.h"

#include <QSpinBox>

IntDelegate::IntDelegate(QObject* parent) : QItemDelegate(parent) {}

QWidget* IntDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                   const QModelIndex&) const
{
    return SpinBoxes::count(parent);
}
