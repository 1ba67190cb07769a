#pragma once

#include <QItemDelegate>

// Whole numbers: a spin box with its default range.
class IntDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    explicit IntDelegate(QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
};
