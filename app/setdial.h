#pragma once

#include <QDialog>

class LangModel;
class Settings;

namespace Ui {
class LangDial;
}

// The Options dialog: interface language, currency and colour theme.
class SetDial : public QDialog
{
    Q_OBJECT

public:
    SetDial(Settings* settings, LangModel* langModel, QWidget* parent);
    ~SetDial() override;

    // The currencies offered, in list order; any other can be typed in.
    static QStringList currencies();
    // The names of the interface languages, by language index.
    static QStringList languages();

public slots:
    // Stores the choices and closes the dialog.
    void accept() override;

private:
    QString _translate(const QString& text) const;

    Settings* settings;
    LangModel* langModel;
    Ui::LangDial* ui;
};
