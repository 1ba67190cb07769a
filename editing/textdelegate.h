#pragma once

#include <QItemDelegate>

// Text that cannot be emptied: an emptied editor keeps the old value.
class TextDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    explicit TextDelegate(QObject* parent = nullptr);

    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
};
