#include "OptionBoxes.h"

#include <QComboBox>
#include <QSpinBox>

#include <algorithm>

namespace kdx {

int ChosenIndex(const QComboBox* box, int stored) { return box->currentIndex() >= 0 ? box->currentIndex() : stored; }

void ShowIndex(QComboBox* box, int value) { box->setCurrentIndex(value >= 0 && value < box->count() ? value : -1); }

int IntervalValue(const QSpinBox* box)
{
    bool ok = false;
    const int typed = box->cleanText().toInt(&ok);
    return std::clamp(ok ? typed : 1, box->minimum(), box->maximum());
}

} // namespace kdx
