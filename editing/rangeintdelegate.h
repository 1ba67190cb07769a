#pragma once

#include <QItemDelegate>

// Whole numbers within a range, such as ratings.
class RangeIntDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    RangeIntDelegate(int minimum, int maximum, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

    int minimum;
    int maximum;
};
