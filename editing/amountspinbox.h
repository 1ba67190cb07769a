#pragma once

#include <QDoubleSpinBox>
#include <QString>

// A spin box for real numbers that keeps every digit of a double: it shows
// the shortest text that reads back to its value, with a decimal point.
class AmountSpinBox : public QDoubleSpinBox
{
    Q_OBJECT

public:
    explicit AmountSpinBox(QWidget* parent = nullptr);

    // The shortest plain decimal text (no exponent) that reads back to value.
    static QString shortestText(double value);

    QString textFromValue(double value) const override;
};
