#pragma once

#include <QItemDelegate>
#include <QString>

class QComboBox;

// A selection: an editable combo box holding the names of another table.
class SelDelegate : public QItemDelegate
{
    Q_OBJECT

public:
    explicit SelDelegate(QString table, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;

    QString table;

signals:
    void populateCombo(QComboBox* editor, QString patternString, QString table) const;
};
