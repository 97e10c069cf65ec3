#pragma once

class QComboBox;
class QDoubleSpinBox;

// Conversions between the colony settings record and the editor's widgets, shared by its
// pages.
namespace ColonySettingsWidgetValues {

// value truncated toward zero; 0 for a value that is not a number, the int limits beyond them.
int truncatedInt(double value);
// A weight 0 to 1 as the position of its slider 0 to 100.
int weightToSlider(double weight);
// Cut to hundredths by truncation (1.239 gives 1.23, -1.239 gives -1.23).
double cutToHundredths(double value);
// The six filter strengths "Very soft" 1 to "Very Strong" 6 as entries with item data.
void fillStrengthComboBox(QComboBox* box);
// The entry whose item data is value becomes current; none when no entry carries it.
void setCurrentByData(QComboBox* box, int value);

} // namespace ColonySettingsWidgetValues

// value rounded half up to decimals (negative decimals round to tens, hundreds, ...).
double roundToDecimals(double value, int decimals);
// The box's value rounded to decimals; a value that rounds to 0 while the box shows another
// is also written back into the box, with its signals blocked.
double roundSpinBoxValue(QDoubleSpinBox* box, int decimals);
