#include "editing/floatdelegate.h"

#include "editing/spinboxes.h"

#include <QDoubleSpinBox>

FloatDelegate::FloatDelegate(QObject* parent) : QItemDelegate(parent) {}

QWidget* FloatDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                     const QModelIndex&) const
{
    return SpinBoxes::amount(parent);
}

void FloatDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                 const QModelIndex& index) const
{
    if (!model)
        return;
    auto* spinBox = static_cast<QDoubleSpinBox*>(editor);
    spinBox->interpretText();
    model->setData(index, AmountSpinBox::shortestText(spinBox->value()), Qt::EditRole);
}
