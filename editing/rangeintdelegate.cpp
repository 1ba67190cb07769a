#include "editing/rangeintdelegate.h"

#include <QSpinBox>

RangeIntDelegate::RangeIntDelegate(int minimum, int maximum, QObject* parent)
    : QItemDelegate(parent), minimum(minimum), maximum(maximum)
{
}

QWidget* RangeIntDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                        const QModelIndex&) const
{
    auto* editor = new QSpinBox(parent);
    editor->setMinimum(minimum);
    editor->setMaximum(maximum);
    return editor;
}
