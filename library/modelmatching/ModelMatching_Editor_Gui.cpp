#include "ModelMatching_Editor_Gui.h"

#include "ModelMatching.h"

#include <Gui_Helper.h>

ModelMatching_Editor_Gui::ModelMatching_Editor_Gui(ModelMatching* facade, QWidget* parent)
    : QWidget(parent), m_facade(facade)
{
}

ModelMatchingSettings* ModelMatching_Editor_Gui::settings() const
{
    return m_facade ? m_facade->GetSettings() : nullptr;
}

bool ModelMatching_Editor_Gui::edit(const std::function<void(ModelMatchingSettings& settings)>& change)
{
    if (!m_facade || !m_facade->EditSettings(change))
        return false;
    emit signal_SettingChanged();
    return true;
}

void ModelMatching_Editor_Gui::styleForm()
{
    Gui_Helper::setObjectName(this, QString());
    Gui_Helper::applyWidgetStyles(this, true, true, true);
    Gui_Helper::fillParentWidget(this, true, true);
}
