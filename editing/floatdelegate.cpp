#include "editing/floatdelegate.h"

#include "editing/spinboxes.h"

#include <QDoubleSpinBox>
#include <QLocale>

FloatDelegate::FloatDelegate(QObject* parent) : QItemDelegate(parent) {}

QWidget* FloatDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                     const QModelIndex&) const
{
    auto* editor = SpinBoxes::amount(parent);
    editor->setLocale(QLocale(QLocale::C, QLocale::AnyCountry));
    return editor;
}

void FloatDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                 const QModelIndex& index) const
{
    if (!model)
        return;
    auto* spinBox = static_cast<QDoubleSpinBox*>(editor);
    spinBox->interpretText();
    model->setData(index, QString::number(spinBox->value(), 'g', 6), Qt::EditRole);
}
