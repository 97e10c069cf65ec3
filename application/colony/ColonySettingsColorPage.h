#pragma once

#include <QColor>
#include <QObject>

class ColonySettings;
class ColonySettingsGui;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QSlider;
class QSpinBox;
class QtColorTriangle;

namespace Ui {
class ColonySettingsGui;
}

// The page "Colony Color" of the colony settings editor: the colour model, the HSV filters
// and colour range with its two colour triangles, value and tolerance boxes and effective
// limits, the mouse selection of the range from colonies, and the RGB thresholds. Pickers and
// value boxes keep each other in step without loops: a picker writes the boxes with signals
// on, a box writes its picker with signals off. GUI thread only.
class ColonySettingsColorPage : public QObject {
    Q_OBJECT
public:
    // The pickers are made here, as children of the form's placeholders. Nothing is owned.
    ColonySettingsColorPage(ColonySettingsGui* editor, Ui::ColonySettingsGui* form, ColonySettings* settings);

    // Fills the combo boxes, then connects every widget of the page.
    void connectWidgets();
    // The RGB thresholds and the colour page from the record; the caller blocks the signals.
    void refresh();
    void updateEnabledStates();
    // The widgets of a running mouse selection of the colour range, or of none.
    void showRangeSelection(bool active);

    QtColorTriangle* rangeStartPicker() const { return m_rangeStart; }
    QtColorTriangle* rangeEndPicker() const { return m_rangeEnd; }

    // The picker colour of a range end held on the analysis scale (hue 255 a full turn).
    static QColor rangeColor(double hue, double saturation, double intensity);

public slots:
    void slot_QComboBox_Color_ColorModel_activated(int index);
    void slot_QToolButton_Color_MouseSelect_ColorRange_toggled(bool on);
    void slot_QPushButton_Color_MouseSelect_ColorRange_Ok_clicked();
    void slot_QGroupBox_Filter_Median_toggled(bool on);
    void slot_QComboBox_Filter_Median_Mode_currentIndexChanged(int index);
    void slot_QGroupBox_Filter_Mean_toggled(bool on);
    void slot_QComboBox_Filter_Mean_Mode_currentIndexChanged(int index);
    void slot_QtColorTriangle_RangeStart_colorChanged(const QColor& col);
    void slot_QtColorTriangle_RangeEnd_colorChanged(const QColor& col);
    void slot_QDoubleSpinBox_Color_RangeStart_Hue_valueChanged(double value);
    void slot_QDoubleSpinBox_Color_RangeStart_Hue_Percent_valueChanged(double);
    void slot_QDoubleSpinBox_Color_RangeStart_Saturation_valueChanged(double value);
    void slot_QDoubleSpinBox_Color_RangeStart_Saturation_Percent_valueChanged(double);
    void slot_QDoubleSpinBox_Color_RangeStart_Intensity_valueChanged(double value);
    void slot_QDoubleSpinBox_Color_RangeStart_Intensity_Percent_valueChanged(double);
    void slot_QDoubleSpinBox_Color_RangeEnd_Hue_valueChanged(double value);
    void slot_QDoubleSpinBox_Color_RangeEnd_Hue_Percent_valueChanged(double);
    void slot_QDoubleSpinBox_Color_RangeEnd_Saturation_valueChanged(double value);
    void slot_QDoubleSpinBox_Color_RangeEnd_Saturation_Percent_valueChanged(double);
    void slot_QDoubleSpinBox_Color_RangeEnd_Intensity_valueChanged(double value);
    void slot_QDoubleSpinBox_Color_RangeEnd_Intensity_Percent_valueChanged(double);
    void slot_QCheckBox_Color_Hue_Used_toggled(bool on);
    void slot_QCheckBox_Color_Saturation_Used_toggled(bool on);
    void slot_QCheckBox_Color_Intensity_Used_toggled(bool on);
    void slot_QCheckBox_Color_RangeGoods_toggled(bool on);
    void slot_QComboBox_Color_MeasureAlgorithm_currentIndexChanged(int index);
    void slot_QSpinBox_Color_CombinedAreaPercent_valueChanged(int value);
    void UpdateLabelEffectiveHueValues();
    void UpdateLabelEffectiveSaturationValues();
    void UpdateLabelEffectiveIntensityValues();
    void slot_ColonyThresholdColorRed_valueChanged();
    void slot_ColonyThresholdColorRedWeightSlider_valueChanged(int value);
    void slot_ColonyThresholdColorGreen_valueChanged();
    void slot_ColonyThresholdColorGreenWeightSlider_valueChanged(int value);
    void slot_ColonyThresholdColorBlue_valueChanged();
    void slot_ColonyThresholdColorBlueWeightSlider_valueChanged(int value);

private:
    // One end of the colour range: its three values and tolerances in the record, its boxes
    // and its picker.
    struct RangeEnd {
        double* value[3];
        double* tolerance[3];
        QDoubleSpinBox* valueBox[3];
        QDoubleSpinBox* toleranceBox[3];
        QtColorTriangle* picker;
    };
    // One RGB channel: its fields and widgets.
    struct Channel {
        bool* inverse;
        double* min;
        double* minNorm;
        double* max;
        double* maxNorm;
        double* weight;
        QCheckBox* inverseBox;
        QSpinBox* minBox;
        QSpinBox* minNormBox;
        QSpinBox* maxBox;
        QSpinBox* maxNormBox;
        QDoubleSpinBox* weightBox;
        QSlider* weightSlider;
    };
    enum Component { Hue = 0, Saturation = 1, Intensity = 2 };

    RangeEnd rangeEnd(bool start) const;
    Channel channel(int index) const;
    void pickerToRecord(bool start, const QColor& col);
    void valueBoxToRecord(bool start, Component component, double value);
    void toleranceBoxToRecord(bool start, Component component);
    void updateEffectiveLabels(Component component);
    void setComponentUsed(Component component, bool used);
    void setFilterMode(int& field, int index, bool median);
    void thresholdToRecord(int index);
    void thresholdSliderToRecord(int index, int value);
    void refreshChannel(int index);
    void refreshRangeEnd(bool start);
    void enableChannel(const Channel& c);

    ColonySettingsGui* m_editor;
    Ui::ColonySettingsGui* m_ui;
    ColonySettings* m_settings;
    QtColorTriangle* m_rangeStart = nullptr;
    QtColorTriangle* m_rangeEnd = nullptr;
};
