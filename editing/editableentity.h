#pragma once

#include <QLayout>
#include <QObject>
#include <QString>

// The base of every editor: the layout the main window puts into a tab, and
// the two signals by which an editor talks to the window.
class EditableEntity : public QObject
{
    Q_OBJECT

public:
    explicit EditableEntity(QObject* parent = nullptr);

    QLayout* layout = nullptr;

signals:
    void documentChanged();
    void informUser(QString text, int splashTimeout);

public slots:
    virtual void synchronize() = 0;
    virtual void onEditButtonClicked() = 0;
};
