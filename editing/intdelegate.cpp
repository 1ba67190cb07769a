#include "editing/intdelegate.h"

#include <QSpinBox>

IntDelegate::IntDelegate(QObject* parent) : QItemDelegate(parent) {}

QWidget* IntDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                   const QModelIndex&) const
{
    return new QSpinBox(parent);
}
