#pragma once

#include "ModelMatching_Editor_Gui.h"
#include "SearchPositionDrawSettings.h"

#include <Errors.h>

#include <memory>

class Hobject_View_Gui;
class ModelMatching;
class ModelMatchingSettings;
class ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition;

namespace Ui {
class ModelMatching_AnalyseSettings_Gui;
}

// The editor of how the shape model is searched: the search rectangle (also drawn and
// moved on the viewer with the editor's two tool buttons), the search tolerances, the
// pyramid levels and the minimum score. Each entered value goes straight into the
// facade's settings record (under its lock) and is announced by signal_SettingChanged.
// GUI thread only.
class ModelMatching_AnalyseSettings_Gui : public ModelMatching_Editor_Gui {
    Q_OBJECT
public:
    // Registers with the facade when one is given, which brings it to the current mode.
    ModelMatching_AnalyseSettings_Gui(ModelMatching* facade, const SearchPositionDrawSettings& drawSettings,
                                      Hobject_View_Gui* view, QWidget* parent = nullptr);
    ~ModelMatching_AnalyseSettings_Gui() override;

    // 1 analyse (all editable) or 2 define model (as the draw settings say); 10000 for any
    // other value, which changes nothing.
    Errors::Type_Error SetMode(int mode);
    // Shows the record's values as they are; writes nothing. Always 0.
    Errors::Type_Error UpdateWidget();

    ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition* GetMouseDraw() const { return m_mouseDraw.get(); }

private slots:
    void slot_QDoubleSpinBox_SearchPosition_PositionX_valueChanged(double d);
    void slot_QDoubleSpinBox_SearchPosition_PositionY_valueChanged(double d);
    void slot_QDoubleSpinBox_SearchPosition_SizeX_valueChanged(double d);
    void slot_QDoubleSpinBox_SearchPosition_SizeY_valueChanged(double d);
    void slot_QDoubleSpinBox_SearchPosition_Angle_valueChanged(double d);
    void slot_QGroupBox_SearchTolerance_Used_toggled(bool on);
    void slot_QDoubleSpinBox_SearchTolerance_AngleTolerance_valueChanged(double d);
    void slot_QDoubleSpinBox_SearchTolerance_ScaleTolerance_valueChanged(double d);
    void slot_QSpinBox_SearchTolerance_CheckTolerance_valueChanged(int i);
    void slot_QSpinBox_Analyse_PyramidLevels_valueChanged(int i);
    void slot_QSlider_Analyse_MinimumScore_valueChanged(int i);

private:
    void showMinimumScore();

    std::unique_ptr<Ui::ModelMatching_AnalyseSettings_Gui> m_ui;
    const SearchPositionDrawSettings m_drawSettings;
    std::unique_ptr<ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition> m_mouseDraw;
};
