#include "ColonySettingsWidgetValues.h"

#include "ColonySettings.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QSignalBlocker>

#include <climits>
#include <cmath>

namespace ColonySettingsWidgetValues {

int truncatedInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(INT_MAX))
        return INT_MAX;
    if (value <= double(INT_MIN))
        return INT_MIN;
    return int(value);
}

int weightToSlider(double weight)
{
    return truncatedInt(weight * 100.0 + 0.5);
}

double cutToHundredths(double value)
{
    return ColonySettings::truncateToStep(value, 100.0);
}

void fillStrengthComboBox(QComboBox* box)
{
    static const char* const texts[] = {QT_TRANSLATE_NOOP("ColonySettingsGui", "Very soft"),
                                        QT_TRANSLATE_NOOP("ColonySettingsGui", "Soft"),
                                        QT_TRANSLATE_NOOP("ColonySettingsGui", "Normal"),
                                        QT_TRANSLATE_NOOP("ColonySettingsGui", "Hard"),
                                        QT_TRANSLATE_NOOP("ColonySettingsGui", "Strong"),
                                        QT_TRANSLATE_NOOP("ColonySettingsGui", "Very Strong")};
    for (int i = 0; i < 6; ++i)
        box->addItem(QCoreApplication::translate("ColonySettingsGui", texts[i]), i + 1);
}

void setCurrentByData(QComboBox* box, int value)
{
    box->setCurrentIndex(box->findData(value));
}

} // namespace ColonySettingsWidgetValues

double roundToDecimals(double value, int decimals)
{
    const double p = decimals >= 0 ? std::pow(10.0, decimals) : 1.0 / std::pow(10.0, -decimals);
    return std::floor(value * p + 0.5) / p;
}

double roundSpinBoxValue(QDoubleSpinBox* box, int decimals)
{
    const double rounded = roundToDecimals(box->value(), decimals);
    if (rounded == 0.0 && box->value() != rounded) {
        const QSignalBlocker blocker(box);
        box->setValue(rounded);
    }
    return rounded;
}
