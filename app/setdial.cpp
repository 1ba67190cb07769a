#include "app/setdial.h"

#include "app/colourtheme.h"
#include "settings/settings.h"
#include "lang/langmodel.h"
#include "resources/resourcefiles.h"

#include "ui_setdial.h"

#include <QIcon>

SetDial::SetDial(Settings* settings, LangModel* langModel, QWidget* parent)
    : QDialog(parent), settings(settings), langModel(langModel), ui(new Ui::LangDial)
{
    ui->setupUi(this);
    // The form's picture path is relative to the working directory.
    setWindowIcon(QIcon(ResourceFiles::path(QStringLiteral("media/conf.png"))));

    ui->comboBox->addItems(languages());
    ui->comboBox->setCurrentIndex(settings->value(SettingKey::Language).toInt());

    const QString currency = settings->value(SettingKey::Currency).toString();
    ui->comboBox_2->addItems(currencies());
    if (currencies().contains(currency))
        ui->comboBox_2->setCurrentIndex(currencies().indexOf(currency));
    else if (currency.isEmpty())
        ui->comboBox_2->setCurrentIndex(0);
    else
        ui->comboBox_2->setEditText(currency); // a currency of the user's own

    for (const QString& theme : ColourTheme::names())
        ui->comboBox_3->addItem(_translate(theme));
    ui->comboBox_3->setCurrentIndex(settings->value(SettingKey::Style).toInt());

    for (QLabel* label : {ui->label, ui->label_3, ui->label_4})
        label->setText(QStringLiteral("<b>") + _translate(label->text()) + QStringLiteral("</b>"));
    ui->label_2->setText(QStringLiteral("<i>") + _translate(ui->label_2->text())
                         + QStringLiteral("</i>"));
    setWindowTitle(_translate(windowTitle()));
}

SetDial::~SetDial()
{
    delete ui;
}

QStringList SetDial::currencies()
{
    return {QStringLiteral("USD"), QStringLiteral("EUR"), QStringLiteral("JPY"),
            QStringLiteral("GBP"), QStringLiteral("CHF"), QStringLiteral("CAD"),
            QStringLiteral("AUD"), QStringLiteral("CNY"), QStringLiteral("RUB")};
}

QStringList SetDial::languages()
{
    return {QStringLiteral("English"), QStringLiteral("Russian (Русский)"),
            QStringLiteral("French (Français)"), QStringLiteral("German (Deutsch)")};
}

void SetDial::accept()
{
    // A value stored by hand outside the lists selects nothing: it stays as it is.
    if (ui->comboBox->currentIndex() >= 0)
        settings->setValue(SettingKey::Language, ui->comboBox->currentIndex());
    settings->setValue(SettingKey::Currency, ui->comboBox_2->currentText());
    if (ui->comboBox_3->currentIndex() >= 0)
        settings->setValue(SettingKey::Style, ui->comboBox_3->currentIndex());
    settings->sync();
    QDialog::accept();
}

QString SetDial::_translate(const QString& text) const
{
    return langModel ? langModel->translate(text) : text;
}
