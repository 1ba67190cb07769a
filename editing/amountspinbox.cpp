#include "editing/amountspinbox.h"

#include <QLocale>

#include <cfloat>

namespace {

// Enough decimals for any double to be held as it is, however small.
const int AllDecimals = DBL_MAX_10_EXP + DBL_DIG;

} // namespace

AmountSpinBox::AmountSpinBox(QWidget* parent) : QDoubleSpinBox(parent)
{
    setLocale(QLocale(QLocale::C, QLocale::AnyCountry));
    setDecimals(AllDecimals);
}

QString AmountSpinBox::shortestText(double value)
{
    for (int decimals = 0; decimals < AllDecimals; ++decimals) {
        const QString text = QString::number(value, 'f', decimals);
        if (text.toDouble() == value)
            return text;
    }
    return QString::number(value, 'f', AllDecimals);
}

QString AmountSpinBox::textFromValue(double value) const
{
    return shortestText(value);
}
