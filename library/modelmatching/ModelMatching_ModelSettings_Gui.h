#pragma once

#include "ModelMatching_Editor_Gui.h"
#include "ModelRoiDrawSettings.h"

#include <Errors.h>

#include <memory>

class Hobject_View_Gui;
class ModelMatching;
class ModelMatchingSettings;
class ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi;
class QTreeWidgetItem;

namespace Ui {
class ModelMatching_ModelSettings_Gui;
}

// The editor of how the shape model is made: the pre-filters of the template, the
// contrasts, the minimum element size, the match metric and the regions of interest, which
// the operator draws and moves on the viewer with the editor's three tool buttons. Each
// entered value goes straight into the facade's settings record (under its lock) and is
// announced by signal_SettingChanged. Editable only in define-model mode. GUI thread only.
class ModelMatching_ModelSettings_Gui : public ModelMatching_Editor_Gui {
    Q_OBJECT
public:
    // Registers with the facade when one is given, which brings it to the current mode.
    ModelMatching_ModelSettings_Gui(ModelMatching* facade, const ModelRoiDrawSettings& drawSettings,
                                    Hobject_View_Gui* view, QWidget* parent = nullptr);
    ~ModelMatching_ModelSettings_Gui() override;

    // 1 analyse (nothing editable, no region selected, the region tools off) or 2 define
    // model; 10000 for any other value, which changes nothing.
    Errors::Type_Error SetMode(int mode);
    // Shows the record's values as they are; writes nothing. Always 0.
    Errors::Type_Error UpdateWidget();

    // Index of the selected region in the record's list; -1: none.
    int GetSelectedRoi() const { return m_selectedRoi; }
    ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi* GetMouseDraw() const { return m_mouseDraw.get(); }

private slots:
    void slot_QGroupBox_Filter_Median_Used_toggled(bool on);
    void slot_QComboBox_Filter_Median_Mode_currentIndexChanged(int index);
    void slot_QGroupBox_Filter_Shock_Used_toggled(bool on);
    void slot_QComboBox_Filter_Shock_Mode_currentIndexChanged(int index);
    void slot_QGroupBox_Filter_Emphasize_Used_toggled(bool on);
    void slot_QComboBox_Filter_Emphasize_Mode_currentIndexChanged(int index);
    void slot_QSpinBox_Picture_MinContrast_valueChanged(int i);
    void slot_QSpinBox_Model_ContrastLow_valueChanged(int i);
    void slot_QSpinBox_Model_ContrastHigh_valueChanged(int i);
    void slot_QSpinBox_Model_MinElementSize_valueChanged(int i);
    void slot_QComboBox_Model_MatchMetric_currentIndexChanged(int index);
    void slot_QTreeWidget_Model_ROI_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void slot_QPushButton_Model_Remove_clicked();
    void slot_QPushButton_Model_RemoveAll_clicked();

private:
    void refreshGroupHeights();
    // Rebuilds the region list from the record, keeping the selection, emitting nothing.
    void FillRoiTree();
    // The regions after the list changed, under the first drawing prefix.
    void redrawRois();
    void removeRois(bool all);

    std::unique_ptr<Ui::ModelMatching_ModelSettings_Gui> m_ui;
    const ModelRoiDrawSettings m_drawSettings;
    int m_selectedRoi = -1;
    std::unique_ptr<ModelMatching_ModelSettings_Gui_MouseDraw_Model_Roi> m_mouseDraw;
};
