#pragma once

class QComboBox;
class QSpinBox;

namespace kdx {

// The settings-file value an options drop-down list stands for: its chosen index, or the
// stored value when the stored value named no item and the user chose none since.
int ChosenIndex(const QComboBox* box, int stored);
// Shows Value in an options drop-down list; a value outside the list leaves no item chosen.
void ShowIndex(QComboBox* box, int value);
// The number an interval box stands for: its text read as a whole number (1 when it is none),
// brought into the box's range.
int IntervalValue(const QSpinBox* box);

} // namespace kdx
