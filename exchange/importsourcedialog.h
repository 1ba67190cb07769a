#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

// Asks where to import recipes from: a web address typed or pasted, or a
// saved page or JSON-LD file chosen with "Browse...".
class ImportSourceDialog : public QDialog
{
    Q_OBJECT

public:
    // "Browse..." starts in startFolder when one is given.
    explicit ImportSourceDialog(QWidget* parent = nullptr, const QString& startFolder = QString());

    QString source() const;

private:
    void _browse();

    QLineEdit* _source;
    QString _startFolder;
};
