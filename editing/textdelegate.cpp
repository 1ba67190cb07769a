#include "editing/textdelegate.h"

#include <QLineEdit>

TextDelegate::TextDelegate(QObject* parent) : QItemDelegate(parent) {}

void TextDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const
{
    auto* lineEdit = qobject_cast<QLineEdit*>(editor);
    if (!lineEdit || !model)
        return;
    const QString text = lineEdit->text();
    if (!text.isEmpty())
        model->setData(index, text, Qt::EditRole);
}
