#pragma once

#include "editing/amountspinbox.h"

#include <QSpinBox>

// Spin boxes for counts and amounts. Their ranges reach far beyond everyday
// values, so that opening an editor never cuts a stored value down (400 g of
// meat, a unit cost in yen, a large number of persons).
namespace SpinBoxes {

const int MaxCount = 999999999;
const double MaxAmount = 999999999.99;

inline QSpinBox* count(QWidget* parent = nullptr)
{
    auto* box = new QSpinBox(parent);
    box->setRange(0, MaxCount);
    return box;
}

inline QDoubleSpinBox* amount(QWidget* parent = nullptr)
{
    auto* box = new AmountSpinBox(parent);
    box->setRange(0.0, MaxAmount);
    return box;
}

} // namespace SpinBoxes
