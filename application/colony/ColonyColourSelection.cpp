#include "ColonyColourSelection.h"

#include "ColonySettings.h"

#include <Hobject_View_Gui.h>
#include <MessageBox_Helper.h>

#include <QCoreApplication>

#include <algorithm>
#include <iterator>

namespace {

const QString kColoniesPrefix = QStringLiteral("HalconObject_Colonies.");

} // namespace

void ColonyColourSelection::enter(Hobject_View_Gui& view)
{
    view.clearSelection(kColoniesPrefix, true);
    m_picked.clear();
    view.setObjectSelectorsChecked(kColoniesPrefix, true, true);
    view.beginMouseMode(QCursor(Qt::CrossCursor));
    m_active = true;
}

void ColonyColourSelection::leave(Hobject_View_Gui& view)
{
    view.endMouseMode();
    view.clearSelection(kColoniesPrefix, true);
    m_active = false;
}

void ColonyColourSelection::toggleAt(const ColonyRackRecord& rack, Hobject_View_Gui& view, double x, double y)
{
    for (const auto& container : rack.containers) {
        for (const auto& colony : container->colonies) {
            if (!colony->contains(x, y))
                continue;
            if (view.isObjectSelected(colony->objectName))
                view.clearSelection(colony->objectName, true);
            else
                view.selectObjects(colony->objectName, true);
        }
    }
}

void ColonyColourSelection::objectSelected(const ColonyRackRecord& rack, Hobject_View_Gui& view,
                                           const QString& objectName)
{
    for (const auto& container : rack.containers) {
        for (const auto& colony : container->colonies) {
            if (colony->objectName != objectName)
                continue;
            auto found = std::find_if(m_picked.begin(), m_picked.end(),
                                      [&](const std::unique_ptr<ColonyRackRecord::Colony>& e) {
                                          return e->objectName == objectName;
                                      });
            if (found != m_picked.end()) {
                view.clearSelection(objectName, true);
                m_picked.erase(found);
            } else {
                m_picked.push_back(std::make_unique<ColonyRackRecord::Colony>(*colony));
            }
            return;
        }
    }
}

void ColonyColourSelection::apply(ColonySettings& settings, QWidget* parent) const
{
    if (m_picked.empty())
        return;
    double hueMin = 255.0, saturationMin = 255.0, intensityMin = 255.0;
    double hueMax = 0.0, saturationMax = 0.0, intensityMax = 0.0;
    for (const auto& colony : m_picked) {
        hueMin = std::min(hueMin, colony->row.ColorHue);
        hueMax = std::max(hueMax, colony->row.ColorHue);
        saturationMin = std::min(saturationMin, colony->row.ColorSaturation);
        saturationMax = std::max(saturationMax, colony->row.ColorSaturation);
        intensityMin = std::min(intensityMin, colony->row.ColorIntensity);
        intensityMax = std::max(intensityMax, colony->row.ColorIntensity);
    }
    ColonySettingsData::ColonyColorData& color = settings.ColonyColor;
    color.StartHue = hueMin;
    color.EndHue = hueMax;
    color.StartSaturation = saturationMin;
    color.EndSaturation = saturationMax;
    color.StartIntensity = intensityMin;
    color.EndIntensity = intensityMax;
    double* tolerances[] = {&color.StartHuePercent, &color.EndHuePercent, &color.StartSaturationPercent,
                            &color.EndSaturationPercent, &color.StartIntensityPercent, &color.EndIntensityPercent};
    const bool small = std::any_of(std::begin(tolerances), std::end(tolerances), [](double* t) { return *t < 5.0; });
    if (small
        && MessageBox_Helper::question(parent, QCoreApplication::translate("ColonyAnalyserGui", "HSV color settings"),
                                       QCoreApplication::translate("ColonyAnalyserGui",
                                                                   "Increase range tolerance to at least 5%"),
                                       QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes) {
        for (double* t : tolerances)
            *t = std::max(*t, 5.0);
    }
    settings.emitCustom(ColonySettings::CustomSignal_ValuesChanged, QVariant());
}
