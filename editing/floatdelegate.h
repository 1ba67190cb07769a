#pragma once

#include <QItemDelegate>

// Real numbers, always with a decimal point, stored as their shortest text.
class FloatDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    explicit FloatDelegate(QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
};
