#include "Camera_Settings_Marks.h"

#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVariant>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr const char* kMarked = "valueMarked";

QString translated(const char* text)
{
    return QCoreApplication::translate("Camera_Settings_Gui", text);
}

// What a box of its kind can hold at all.
double limited(const QSpinBox*, double value)
{
    return std::clamp(value, double(INT_MIN), double(INT_MAX));
}

double limited(const QDoubleSpinBox*, double value)
{
    return std::clamp(value, -1e15, 1e15);
}

} // namespace

void Camera_Settings_Marks::addBox(QSpinBox* box)
{
    m_ranges.insert(box, {double(box->minimum()), double(box->maximum())});
}

void Camera_Settings_Marks::addBox(QDoubleSpinBox* box)
{
    m_ranges.insert(box, {box->minimum(), box->maximum()});
}

template <typename Box>
void Camera_Settings_Marks::show(Box* box, double value)
{
    const Range own = m_ranges.value(box);
    const bool outside = !(value >= own.minimum && value <= own.maximum);
    const QSignalBlocker blocker(box);
    if (outside && std::isfinite(value)) {
        const double shown = limited(box, value);
        box->setRange(std::min(own.minimum, shown), std::max(own.maximum, shown));
        box->setValue(shown);
    } else {
        box->setRange(own.minimum, own.maximum);
        box->setValue(std::isfinite(value) ? value : own.minimum);
    }
    setOutOfRange(box, outside, QString::number(own.minimum), QString::number(own.maximum));
}

template <typename Box, typename Value>
Value Camera_Settings_Marks::take(Box* box, Value value)
{
    const Range own = m_ranges.value(box);
    const Value taken = std::clamp(value, Value(own.minimum), Value(own.maximum));
    const QSignalBlocker blocker(box);
    box->setRange(own.minimum, own.maximum);
    box->setValue(taken);
    setOutOfRange(box, false, QString(), QString());
    return taken;
}

void Camera_Settings_Marks::showValue(QSpinBox* box, double value)
{
    show(box, value);
}

void Camera_Settings_Marks::showValue(QDoubleSpinBox* box, double value)
{
    show(box, value);
}

int Camera_Settings_Marks::takeValue(QSpinBox* box, int value)
{
    return take(box, value);
}

double Camera_Settings_Marks::takeValue(QDoubleSpinBox* box, double value)
{
    return take(box, value);
}

void Camera_Settings_Marks::setOutOfRange(QWidget* display, bool outside, const QString& minimum,
                                          const QString& maximum)
{
    if (outside)
        m_outOfRange.insert(display, translated("Outside the range %1 to %2").arg(minimum, maximum));
    else
        m_outOfRange.remove(display);
    apply(display);
}

void Camera_Settings_Marks::setRefused(QWidget* display, const QString& parameter, const QString& value,
                                       const QString& why)
{
    m_refused.insert(display, translated("The camera refused %1 = %2: %3").arg(parameter, value, why));
    apply(display);
}

void Camera_Settings_Marks::clearRefused()
{
    const QList<QWidget*> displays = m_refused.keys();
    m_refused.clear();
    for (QWidget* display : displays)
        apply(display);
}

bool Camera_Settings_Marks::isMarked(const QWidget* display)
{
    return display->property(kMarked).toBool();
}

void Camera_Settings_Marks::apply(QWidget* display)
{
    QStringList reasons;
    if (m_outOfRange.contains(display))
        reasons.append(m_outOfRange.value(display));
    if (m_refused.contains(display))
        reasons.append(m_refused.value(display));
    const bool marked = !reasons.isEmpty();
    display->setProperty(kMarked, marked);
    display->setToolTip(reasons.join(QLatin1Char('\n')));
    display->setStyleSheet(marked ? QStringLiteral("color: red;") : QString());
}
