#pragma once

#include <QSpinBox>

namespace orvital {

// A spin field with its range and step fixed when it is made. Every value it is given, by the
// operator or by code, is clamped to the range; values off the step are kept as they are.
class SpinEdit : public QSpinBox {
public:
    SpinEdit(int minValue, int maxValue, int step = 1, QWidget* parent = nullptr)
        : QSpinBox(parent) {
        setRange(minValue, maxValue);
        setSingleStep(step);
        setValue(minValue);
    }
};

} // namespace orvital
