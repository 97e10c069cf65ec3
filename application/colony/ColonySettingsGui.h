#pragma once

#include "ColonySettings.h"
#include "ColonySettingsData.h"

#include <QVariant>
#include <QWidget>

#include <functional>
#include <memory>

class ColonySettingsColorPage;
class ColonySettingsFileActions;
class ColonySettingsLabwareEditor;
class ColonySettingsRefPointSearchAreaEditor;
class IColonySettingsHost;
class IHalconView;
class QDoubleSpinBox;
class QSlider;

namespace Ui {
class ColonySettingsGui;
}

// The dockable editor of the one colony settings record: five pages, one slot per field,
// each change written into the record at once and announced through its debounced change
// notice. Property and colour-threshold edits are validated and undone when the record
// refuses them. Changes made elsewhere (loads, defaults, mouse-drawn rectangles) reach the
// widgets through the record's custom signal. The title of the parent (the dock) shows the
// settings name and a "*" while modified. GUI thread only.
//
// Widgets are written from the record only while their signals are blocked, so showing
// values never counts as an edit.
class ColonySettingsGui : public QWidget {
    Q_OBJECT
public:
    // Undo record of one validated edit: a copy of the whole record taken when it is made.
    class SettingsSnapshot {
    public:
        explicit SettingsSnapshot(ColonySettingsGui* editor);
        // true when the record passes; otherwise the warning "Validation" and, with
        // restore, the copy goes back into the record and the widgets show it again.
        bool validate(bool restore);

    private:
        ColonySettingsData* m_data;
        ColonySettingsData m_copy;
        ColonySettingsGui* m_editor;
    };

    // None of host, view or settings is owned; parent is the dock that shows the editor. The
    // rectangle editors draw on the viewer behind analyserView (may be null: no drawing).
    ColonySettingsGui(IColonySettingsHost* host, IHalconView* analyserView, ColonySettings* settings,
                      QWidget* parent = nullptr);
    ~ColonySettingsGui() override;

    void updateTitle();
    // Offers to save modified settings. false when the caller must not replace them: the
    // operator wanted them saved and the save failed or was cancelled.
    bool askSaveModified();
    // The offer before the program ends, for any modified settings, with Cancel. false when
    // the window must stay open.
    bool askSaveModifiedBeforeClose();
    bool isModified() const { return m_modified; }

    // The two edit cycles, shared with the colour page.
    void notifySettingsEdited();
    // Signals of all child widgets blocked, snapshot, store, validation; an accepted record
    // is announced as edited. true when accepted.
    bool runValidatedEdit(const std::function<void()>& store);
    void refreshFromSettings();

    ColonySettings* settings() const { return m_settings; }
    Ui::ColonySettingsGui* form() const { return m_ui.get(); }
    ColonySettingsLabwareEditor* labwareEditor() const { return m_labwareEditor; }
    ColonySettingsRefPointSearchAreaEditor* refPointEditor(int index) const;

signals:
    // The receiver fills in the three reference points in percent of the longer picture side.
    void signal_GetRefPointOffset(double& x1Pct, double& y1Pct, double& x2Pct, double& y2Pct, double& x3Pct,
                                  double& y3Pct);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private slots:
    void slot_ColonySettings_custom(ColonySettings::Enum_CustomSignal number, const QVariant& data);
    void slot_SettingsTab_currentChanged(int index);
    void slot_RefPointsGetFromAnalyser_clicked();

    // Reference points page.
    void slot_RefPointFixedPosition_toggled(bool checked);
    void slot_RefPointSearchPos_valueChanged(double);
    void slot_RefPointSearchWidth_valueChanged(double value);
    void slot_RefPointSearchHeight_valueChanged(double value);
    void slot_RefPointDistanceX_valueChanged(double value);
    void slot_RefPointDistanceY_valueChanged(double value);
    void slot_RefPointDistanceCameraToRefPointPlate_valueChanged(double value);
    void slot_RefPointDistanceRefPointPlaneToAgarPlane_valueChanged(double value);
    void slot_RefPointTopLeft_valueChanged();
    void slot_RefPointMinimumContrast_valueChanged(int value);
    void slot_RefPointMinimumScore_valueChanged(double value);
    void slot_RefPointScaleRange_valueChanged(double value);
    void slot_RefPointRadius_valueChanged(double value);

    // Labware page.
    void slot_LabwareRoundArea_toggled(bool checked);
    void slot_LabwareLeftToRight_toggled(bool checked);
    void slot_LabwareRightToLeft_toggled(bool checked);
    void slot_LabwareSectionsX_valueChanged(int value);
    void slot_LabwareSectionsY_valueChanged(int value);
    void slot_QComboBox_PickOrder_currentIndexChanged(int index);
    void slot_LabwarePositionX_valueChanged(double value);
    void slot_LabwarePositionY_valueChanged(double value);
    void slot_LabwareSizeX_valueChanged(double value);
    void slot_LabwareSizeY_valueChanged(double value);
    void slot_LabwareGapX_valueChanged(double value);
    void slot_LabwareGapY_valueChanged(double value);
    void slot_LabwareAngle_valueChanged(double value);

    // Colony margins page.
    void slot_PreprocessingMedian_toggled(bool checked);
    void slot_PreprocessingMedianMode_currentIndexChanged(int index);
    void slot_PreprocessingMean_toggled(bool checked);
    void slot_PreprocessingMeanMode_currentIndexChanged(int index);
    void slot_AnalyseModeSelection_activated(int index);
    void slot_AnalyseModeStandardGrayMargin_valueChanged(double value);
    void slot_AnalyseModeStandardBrightTone_valueChanged(int value);
    void slot_AnalyseModeStandardDarkTone_valueChanged(int value);
    void slot_AnalyseModeStandardThreshold_valueChanged(int value);
    void slot_AnalyseModeDynThresholdOffset_valueChaned(int value);
    void slot_AnalyseModeDynThresholdMaxColonyDiameter_valueChanged(double value);
    void slot_ColonyWhiteOnBlack_toggled(bool checked);

    // Colony properties page.
    void slot_ColonyFastCalculation_toggled(bool checked);
    void slot_ColonyArea_valueChanged(double);
    void slot_ColonyAreaWeightSlider_valueChanged(int value);
    void slot_ColonyCircularity_valueChanged(double);
    void slot_ColonyCircularityWeightSlider_valueChanged(int value);
    void slot_ColonyNeighborDistance_valueChanged(double);
    void slot_ColonyNeighborDistanceWeightSlider_valueChanged(int value);
    void slot_ColonyMarginDistance_valueChanged(double);
    void slot_ColonyMarginDistanceWeightSlider_valueChanged(int value);

private:
    // One colony property: its fields, whether its maximum is cut, its widgets.
    struct Measure {
        double* min;
        double* max;
        double* weight;
        bool cutMax;
        QDoubleSpinBox* minBox;
        QDoubleSpinBox* maxBox;
        QDoubleSpinBox* weightBox;
        QSlider* slider;
    };
    // 0 area, 1 circularity, 2 neighbour distance, 3 margin distance.
    Measure measure(int index) const;
    void measureToRecord(int index);
    void measureSliderToRecord(int index, int value);
    void buildForm();
    void connectFieldWidgets();
    void refreshReferencePoints();
    void refreshLabware();
    void refreshMargins();
    void refreshProperties();
    void updatePickOrderText();
    void endColorRangeSelection();
    // Stores value into field and announces a plain edit.
    template <typename Field, typename Value>
    void plainEdit(Field& field, Value value);

    IColonySettingsHost* m_host = nullptr;
    ColonySettings* m_settings = nullptr;
    std::unique_ptr<Ui::ColonySettingsGui> m_ui;
    ColonySettingsLabwareEditor* m_labwareEditor = nullptr;
    ColonySettingsRefPointSearchAreaEditor* m_refPointEditors[4] = {};
    ColonySettingsColorPage* m_colorPage = nullptr;
    ColonySettingsFileActions* m_fileActions = nullptr;
    bool m_modified = false;
};
