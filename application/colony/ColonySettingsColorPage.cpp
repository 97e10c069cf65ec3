#include "ColonySettingsColorPage.h"

#include "CalculateColorThresholdLimits.h"
#include "ColonySettings.h"
#include "ColonySettingsGui.h"
#include "ColonySettingsWidgetValues.h"
#include "QtColorTriangle.h"
#include "ui_ColonySettingsGui.h"

#include <Gui_Helper.h>

#include <QIcon>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

using namespace ColonySettingsWidgetValues;

namespace {

const QString kMouseSelectIcon = QStringLiteral("pictures:/ColonySettings/MouseSelect_ColorRange.png");
// Scale of hue, saturation and intensity in the record; a hue of 255 is a full turn.
constexpr double kColorScale = 255.0;

// Combo entry and stacked page of each colour model: 0 none, 1 RGB, 2 HSV.
int colorModelOfEntry(int index)
{
    return index == 1 ? ColonySettingsData::ColorModelHsi : index == 2 ? ColonySettingsData::ColorModelRgb
                                                                        : ColonySettingsData::ColorModelNone;
}

int pageOfColorModel(int model)
{
    return model == ColonySettingsData::ColorModelRgb ? 2 : model == ColonySettingsData::ColorModelHsi ? 1 : 0;
}

double fraction(double value)
{
    return std::isfinite(value) ? std::clamp(value / kColorScale, 0.0, 1.0) : 0.0;
}

} // namespace

ColonySettingsColorPage::ColonySettingsColorPage(ColonySettingsGui* editor, Ui::ColonySettingsGui* form,
                                                 ColonySettings* settings)
    : QObject(editor)
    , m_editor(editor)
    , m_ui(form)
    , m_settings(settings)
{
    m_rangeStart = new QtColorTriangle(m_ui->m_QWidget_Color_RangeStart);
    Gui_Helper::fillParentWidget(m_rangeStart, true, false);
    m_rangeEnd = new QtColorTriangle(m_ui->m_QWidget_Color_RangeEnd);
    Gui_Helper::fillParentWidget(m_rangeEnd, true, false);
    m_ui->m_QToolButton_Color_MouseSelect_ColorRange->setIcon(QIcon(kMouseSelectIcon));
}

QColor ColonySettingsColorPage::rangeColor(double hue, double saturation, double intensity)
{
    double turn = std::isfinite(hue) ? hue / kColorScale : 0.0;
    turn -= std::floor(turn);
    // A hue the colour would round up to a full turn is the red of hue 0.
    if (turn * 36000.0 >= 35999.5)
        turn = 0.0;
    return QColor::fromHsvF(float(turn), float(fraction(saturation)), float(fraction(intensity)), 1.0f);
}

ColonySettingsColorPage::RangeEnd ColonySettingsColorPage::rangeEnd(bool start) const
{
    ColonySettingsData::ColonyColorData& c = m_settings->ColonyColor;
    if (start)
        return RangeEnd{{&c.StartHue, &c.StartSaturation, &c.StartIntensity},
                        {&c.StartHuePercent, &c.StartSaturationPercent, &c.StartIntensityPercent},
                        {m_ui->m_QDoubleSpinBox_Color_RangeStart_Hue, m_ui->m_QDoubleSpinBox_Color_RangeStart_Saturation,
                         m_ui->m_QDoubleSpinBox_Color_RangeStart_Intensity},
                        {m_ui->m_QDoubleSpinBox_Color_RangeStart_Hue_Percent,
                         m_ui->m_QDoubleSpinBox_Color_RangeStart_Saturation_Percent,
                         m_ui->m_QDoubleSpinBox_Color_RangeStart_Intensity_Percent},
                        m_rangeStart};
    return RangeEnd{{&c.EndHue, &c.EndSaturation, &c.EndIntensity},
                    {&c.EndHuePercent, &c.EndSaturationPercent, &c.EndIntensityPercent},
                    {m_ui->m_QDoubleSpinBox_Color_RangeEnd_Hue, m_ui->m_QDoubleSpinBox_Color_RangeEnd_Saturation,
                     m_ui->m_QDoubleSpinBox_Color_RangeEnd_Intensity},
                    {m_ui->m_QDoubleSpinBox_Color_RangeEnd_Hue_Percent,
                     m_ui->m_QDoubleSpinBox_Color_RangeEnd_Saturation_Percent,
                     m_ui->m_QDoubleSpinBox_Color_RangeEnd_Intensity_Percent},
                    m_rangeEnd};
}

ColonySettingsColorPage::Channel ColonySettingsColorPage::channel(int index) const
{
    ColonySettingsData::ColonyData& c = m_settings->Colony;
    switch (index) {
    case 1:
        return Channel{&c.ThresholdColorGreenInverse, &c.ThresholdColorGreenMin, &c.ThresholdColorGreenMinNorm,
                       &c.ThresholdColorGreenMax, &c.ThresholdColorGreenMaxNorm, &c.ThresholdColorGreenWeight,
                       m_ui->m_ColonyThresholdGreenInverse, m_ui->m_ColonyThresholdGreenMin,
                       m_ui->m_ColonyThresholdGreenMinNorm, m_ui->m_ColonyThresholdGreenMax,
                       m_ui->m_ColonyThresholdGreenMaxNorm, m_ui->m_ColonyThresholdGreenWeight,
                       m_ui->m_ColonyThresholdGreenWeightSlider};
    case 2:
        return Channel{&c.ThresholdColorBlueInverse, &c.ThresholdColorBlueMin, &c.ThresholdColorBlueMinNorm,
                       &c.ThresholdColorBlueMax, &c.ThresholdColorBlueMaxNorm, &c.ThresholdColorBlueWeight,
                       m_ui->m_ColonyThresholdBlueInverse, m_ui->m_ColonyThresholdBlueMin,
                       m_ui->m_ColonyThresholdBlueMinNorm, m_ui->m_ColonyThresholdBlueMax,
                       m_ui->m_ColonyThresholdBlueMaxNorm, m_ui->m_ColonyThresholdBlueWeight,
                       m_ui->m_ColonyThresholdBlueWeightSlider};
    default:
        return Channel{&c.ThresholdColorRedInverse, &c.ThresholdColorRedMin, &c.ThresholdColorRedMinNorm,
                       &c.ThresholdColorRedMax, &c.ThresholdColorRedMaxNorm, &c.ThresholdColorRedWeight,
                       m_ui->m_ColonyThresholdRedInverse, m_ui->m_ColonyThresholdRedMin,
                       m_ui->m_ColonyThresholdRedMinNorm, m_ui->m_ColonyThresholdRedMax,
                       m_ui->m_ColonyThresholdRedMaxNorm, m_ui->m_ColonyThresholdRedWeight,
                       m_ui->m_ColonyThresholdRedWeightSlider};
    }
}

void ColonySettingsColorPage::connectWidgets()
{
    fillStrengthComboBox(m_ui->m_QComboBox_Filter_Median_Mode);
    fillStrengthComboBox(m_ui->m_QComboBox_Filter_Mean_Mode);
    QComboBox* measure = m_ui->m_QComboBox_Color_MeasureAlgorithm;
    measure->addItem(tr("Mean"), 1);
    measure->addItem(tr("Most occurring"), 2);
    measure->addItem(tr("Maximum"), 3);
    measure->addItem(tr("Minimum"), 4);

    using Page = ColonySettingsColorPage;
    const auto valueChanged = qOverload<double>(&QDoubleSpinBox::valueChanged);
    const auto intValueChanged = qOverload<int>(&QSpinBox::valueChanged);
    const auto indexChanged = qOverload<int>(&QComboBox::currentIndexChanged);
    connect(m_ui->m_QComboBox_Color_ColorModel, qOverload<int>(&QComboBox::activated), this,
            &Page::slot_QComboBox_Color_ColorModel_activated);
    connect(m_ui->m_QToolButton_Color_MouseSelect_ColorRange, &QToolButton::toggled, this,
            &Page::slot_QToolButton_Color_MouseSelect_ColorRange_toggled);
    connect(m_ui->m_QPushButton_Color_MouseSelect_ColorRange_Ok, &QPushButton::clicked, this,
            &Page::slot_QPushButton_Color_MouseSelect_ColorRange_Ok_clicked);
    connect(m_ui->m_QGroupBox_Filter_Median, &QGroupBox::toggled, this, &Page::slot_QGroupBox_Filter_Median_toggled);
    connect(m_ui->m_QComboBox_Filter_Median_Mode, indexChanged, this,
            &Page::slot_QComboBox_Filter_Median_Mode_currentIndexChanged);
    connect(m_ui->m_QGroupBox_Filter_Mean, &QGroupBox::toggled, this, &Page::slot_QGroupBox_Filter_Mean_toggled);
    connect(m_ui->m_QComboBox_Filter_Mean_Mode, indexChanged, this,
            &Page::slot_QComboBox_Filter_Mean_Mode_currentIndexChanged);
    connect(m_rangeStart, &QtColorTriangle::colorChanged, this, &Page::slot_QtColorTriangle_RangeStart_colorChanged);
    connect(m_rangeEnd, &QtColorTriangle::colorChanged, this, &Page::slot_QtColorTriangle_RangeEnd_colorChanged);
    connect(m_ui->m_QDoubleSpinBox_Color_RangeStart_Hue, valueChanged, this,
            &Page::slot_QDoubleSpinBox_Color_RangeStart_Hue_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_Color_RangeStart_Hue_Percent, valueChanged, this,
            &Page::slot_QDoubleSpinBox_Color_RangeStart_Hue_Percent_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_Color_RangeStart_Saturation, valueChanged, this,
            &Page::slot_QDoubleSpinBox_Color_RangeStart_Saturation_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_Color_RangeStart_Saturation_Percent, valueChanged, this,
            &Page::slot_QDoubleSpinBox_Color_RangeStart_Saturation_Percent_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_Color_RangeStart_Intensity, valueChanged, this,
            &Page::slot_QDoubleSpinBox_Color_RangeStart_Intensity_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_Color_RangeStart_Intensity_Percent, valueChanged, this,
            &Page::slot_QDoubleSpinBox_Color_RangeStart_Intensity_Percent_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_Color_RangeEnd_Hue, valueChanged, this,
            &Page::slot_QDoubleSpinBox_Color_RangeEnd_Hue_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_Color_RangeEnd_Hue_Percent, valueChanged, this,
            &Page::slot_QDoubleSpinBox_Color_RangeEnd_Hue_Percent_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_Color_RangeEnd_Saturation, valueChanged, this,
            &Page::slot_QDoubleSpinBox_Color_RangeEnd_Saturation_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_Color_RangeEnd_Saturation_Percent, valueChanged, this,
            &Page::slot_QDoubleSpinBox_Color_RangeEnd_Saturation_Percent_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_Color_RangeEnd_Intensity, valueChanged, this,
            &Page::slot_QDoubleSpinBox_Color_RangeEnd_Intensity_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_Color_RangeEnd_Intensity_Percent, valueChanged, this,
            &Page::slot_QDoubleSpinBox_Color_RangeEnd_Intensity_Percent_valueChanged);
    connect(m_ui->m_QCheckBox_Color_Hue_Used, &QCheckBox::toggled, this, &Page::slot_QCheckBox_Color_Hue_Used_toggled);
    connect(m_ui->m_QCheckBox_Color_Saturation_Used, &QCheckBox::toggled, this,
            &Page::slot_QCheckBox_Color_Saturation_Used_toggled);
    connect(m_ui->m_QCheckBox_Color_Intensity_Used, &QCheckBox::toggled, this,
            &Page::slot_QCheckBox_Color_Intensity_Used_toggled);
    connect(m_ui->m_QCheckBox_Color_RangeGoods, &QCheckBox::toggled, this, &Page::slot_QCheckBox_Color_RangeGoods_toggled);
    connect(measure, indexChanged, this, &Page::slot_QComboBox_Color_MeasureAlgorithm_currentIndexChanged);
    connect(m_ui->m_QSpinBox_Color_CombinedAreaPercent, intValueChanged, this,
            &Page::slot_QSpinBox_Color_CombinedAreaPercent_valueChanged);

    void (Page::*thresholdSlots[3])() = {&Page::slot_ColonyThresholdColorRed_valueChanged,
                                         &Page::slot_ColonyThresholdColorGreen_valueChanged,
                                         &Page::slot_ColonyThresholdColorBlue_valueChanged};
    void (Page::*sliderSlots[3])(int) = {&Page::slot_ColonyThresholdColorRedWeightSlider_valueChanged,
                                         &Page::slot_ColonyThresholdColorGreenWeightSlider_valueChanged,
                                         &Page::slot_ColonyThresholdColorBlueWeightSlider_valueChanged};
    for (int i = 0; i < 3; ++i) {
        const Channel c = channel(i);
        connect(c.inverseBox, &QCheckBox::toggled, this, thresholdSlots[i]);
        connect(c.maxBox, intValueChanged, this, thresholdSlots[i]);
        connect(c.maxNormBox, intValueChanged, this, thresholdSlots[i]);
        connect(c.minBox, intValueChanged, this, thresholdSlots[i]);
        connect(c.minNormBox, intValueChanged, this, thresholdSlots[i]);
        connect(c.weightBox, valueChanged, this, thresholdSlots[i]);
        connect(c.weightSlider, &QSlider::valueChanged, this, sliderSlots[i]);
    }
}

// ---- Colour model, filters, selection -----------------------------------------------------------

void ColonySettingsColorPage::slot_QComboBox_Color_ColorModel_activated(int index)
{
    // The colour model decides which weights and thresholds the validation counts.
    m_editor->runValidatedEdit([this, index] {
        m_settings->ColorModel = colorModelOfEntry(index);
        m_ui->m_QStackedWidget_ColorModels->setCurrentIndex(pageOfColorModel(m_settings->ColorModel));
    });
}

void ColonySettingsColorPage::slot_QToolButton_Color_MouseSelect_ColorRange_toggled(bool on)
{
    m_settings->emitCustom(ColonySettings::CustomSignal_ColorSelectionEnabled, QVariant(on ? 1 : 0));
}

void ColonySettingsColorPage::slot_QPushButton_Color_MouseSelect_ColorRange_Ok_clicked()
{
    const ColonySettingsData::ColonyColorData before = m_settings->ColonyColor;
    m_settings->emitCustom(ColonySettings::CustomSignal_ColorSelectionConfirmed);
    // The analyser page takes the range from the selected colonies and analyses again; the
    // record then differs from its file.
    if (!(m_settings->ColonyColor == before))
        m_settings->emitCustom(ColonySettings::CustomSignal_ModifiedChanged, QVariant(true));
}

void ColonySettingsColorPage::showRangeSelection(bool active)
{
    m_ui->m_QToolButton_Color_MouseSelect_ColorRange->setChecked(active);
    m_ui->m_QWidget_ColorRange_Start->setEnabled(!active);
    m_ui->m_QWidget_ColorRange_End->setEnabled(!active);
    m_ui->m_QPushButton_Color_MouseSelect_ColorRange_Ok->setVisible(active);
}

void ColonySettingsColorPage::slot_QGroupBox_Filter_Median_toggled(bool on)
{
    m_settings->ColonyColor.MedianUsed = on;
    m_editor->notifySettingsEdited();
}

void ColonySettingsColorPage::slot_QComboBox_Filter_Median_Mode_currentIndexChanged(int index)
{
    setFilterMode(m_settings->ColonyColor.MedianMode, index, true);
}

void ColonySettingsColorPage::slot_QGroupBox_Filter_Mean_toggled(bool on)
{
    m_settings->ColonyColor.MeanUsed = on;
    m_editor->notifySettingsEdited();
}

void ColonySettingsColorPage::slot_QComboBox_Filter_Mean_Mode_currentIndexChanged(int index)
{
    setFilterMode(m_settings->ColonyColor.MeanMode, index, false);
}

void ColonySettingsColorPage::setFilterMode(int& field, int index, bool median)
{
    if (index < 0)
        return;
    QComboBox* box = median ? m_ui->m_QComboBox_Filter_Median_Mode : m_ui->m_QComboBox_Filter_Mean_Mode;
    field = box->itemData(index).toInt();
    m_editor->notifySettingsEdited();
}

// ---- Colour range -------------------------------------------------------------------------------

void ColonySettingsColorPage::slot_QtColorTriangle_RangeStart_colorChanged(const QColor& col)
{
    pickerToRecord(true, col);
}

void ColonySettingsColorPage::slot_QtColorTriangle_RangeEnd_colorChanged(const QColor& col)
{
    pickerToRecord(false, col);
}

void ColonySettingsColorPage::pickerToRecord(bool start, const QColor& col)
{
    if (!col.isValid())
        return;
    const RangeEnd end = rangeEnd(start);
    float hue = 0.0f;
    float saturation = 0.0f;
    float value = 0.0f;
    col.getHsvF(&hue, &saturation, &value);
    // Grey, black and white have no hue: the range keeps its hue, as the picker does.
    if (hue >= 0.0f)
        *end.value[Hue] = hue * kColorScale;
    *end.value[Saturation] = saturation * kColorScale;
    *end.value[Intensity] = value * kColorScale;
    for (int c = Hue; c <= Intensity; ++c)
        end.valueBox[c]->setValue(*end.value[c]);
    // The boxes show one decimal; the record holds what they show, also where a box did not
    // change and so reported nothing.
    for (int c = Hue; c <= Intensity; ++c)
        *end.value[c] = end.valueBox[c]->value();
    UpdateLabelEffectiveHueValues();
    UpdateLabelEffectiveIntensityValues();
    UpdateLabelEffectiveSaturationValues();
    m_editor->notifySettingsEdited();
}

void ColonySettingsColorPage::valueBoxToRecord(bool start, Component component, double value)
{
    const RangeEnd end = rangeEnd(start);
    *end.value[component] = value;
    {
        const QSignalBlocker blocker(end.picker);
        end.picker->setColor(rangeColor(*end.value[Hue], *end.value[Saturation], *end.value[Intensity]));
    }
    updateEffectiveLabels(component);
    m_editor->notifySettingsEdited();
}

void ColonySettingsColorPage::toleranceBoxToRecord(bool start, Component component)
{
    const RangeEnd end = rangeEnd(start);
    QDoubleSpinBox* box = end.toleranceBox[component];
    *end.tolerance[component] = roundSpinBoxValue(box, box->decimals());
    updateEffectiveLabels(component);
    m_editor->notifySettingsEdited();
}

void ColonySettingsColorPage::slot_QDoubleSpinBox_Color_RangeStart_Hue_valueChanged(double value)
{
    valueBoxToRecord(true, Hue, value);
}

void ColonySettingsColorPage::slot_QDoubleSpinBox_Color_RangeStart_Hue_Percent_valueChanged(double)
{
    toleranceBoxToRecord(true, Hue);
}

void ColonySettingsColorPage::slot_QDoubleSpinBox_Color_RangeStart_Saturation_valueChanged(double value)
{
    valueBoxToRecord(true, Saturation, value);
}

void ColonySettingsColorPage::slot_QDoubleSpinBox_Color_RangeStart_Saturation_Percent_valueChanged(double)
{
    toleranceBoxToRecord(true, Saturation);
}

void ColonySettingsColorPage::slot_QDoubleSpinBox_Color_RangeStart_Intensity_valueChanged(double value)
{
    valueBoxToRecord(true, Intensity, value);
}

void ColonySettingsColorPage::slot_QDoubleSpinBox_Color_RangeStart_Intensity_Percent_valueChanged(double)
{
    toleranceBoxToRecord(true, Intensity);
}

void ColonySettingsColorPage::slot_QDoubleSpinBox_Color_RangeEnd_Hue_valueChanged(double value)
{
    valueBoxToRecord(false, Hue, value);
}

void ColonySettingsColorPage::slot_QDoubleSpinBox_Color_RangeEnd_Hue_Percent_valueChanged(double)
{
    toleranceBoxToRecord(false, Hue);
}

void ColonySettingsColorPage::slot_QDoubleSpinBox_Color_RangeEnd_Saturation_valueChanged(double value)
{
    valueBoxToRecord(false, Saturation, value);
}

void ColonySettingsColorPage::slot_QDoubleSpinBox_Color_RangeEnd_Saturation_Percent_valueChanged(double)
{
    toleranceBoxToRecord(false, Saturation);
}

void ColonySettingsColorPage::slot_QDoubleSpinBox_Color_RangeEnd_Intensity_valueChanged(double value)
{
    valueBoxToRecord(false, Intensity, value);
}

void ColonySettingsColorPage::slot_QDoubleSpinBox_Color_RangeEnd_Intensity_Percent_valueChanged(double)
{
    toleranceBoxToRecord(false, Intensity);
}

void ColonySettingsColorPage::slot_QCheckBox_Color_Hue_Used_toggled(bool on)
{
    setComponentUsed(Hue, on);
}

void ColonySettingsColorPage::slot_QCheckBox_Color_Saturation_Used_toggled(bool on)
{
    setComponentUsed(Saturation, on);
}

void ColonySettingsColorPage::slot_QCheckBox_Color_Intensity_Used_toggled(bool on)
{
    setComponentUsed(Intensity, on);
}

void ColonySettingsColorPage::setComponentUsed(Component component, bool used)
{
    ColonySettingsData::ColonyColorData& c = m_settings->ColonyColor;
    bool* fields[3] = {&c.HueUsed, &c.SaturationUsed, &c.IntensityUsed};
    *fields[component] = used;
    updateEnabledStates();
    m_editor->notifySettingsEdited();
}

void ColonySettingsColorPage::slot_QCheckBox_Color_RangeGoods_toggled(bool on)
{
    m_settings->ColonyColor.RangeGoods = on;
    m_editor->notifySettingsEdited();
}

void ColonySettingsColorPage::slot_QComboBox_Color_MeasureAlgorithm_currentIndexChanged(int index)
{
    if (index < 0)
        return;
    m_settings->ColonyColor.MeasureAlgorithm = m_ui->m_QComboBox_Color_MeasureAlgorithm->itemData(index).toInt();
    m_editor->notifySettingsEdited();
}

void ColonySettingsColorPage::slot_QSpinBox_Color_CombinedAreaPercent_valueChanged(int value)
{
    m_settings->ColonyColor.CombinedAreaPercent = value;
    m_editor->notifySettingsEdited();
}

// ---- Effective limits and enabled states --------------------------------------------------------

void ColonySettingsColorPage::UpdateLabelEffectiveHueValues()
{
    updateEffectiveLabels(Hue);
}

void ColonySettingsColorPage::UpdateLabelEffectiveSaturationValues()
{
    updateEffectiveLabels(Saturation);
}

void ColonySettingsColorPage::UpdateLabelEffectiveIntensityValues()
{
    updateEffectiveLabels(Intensity);
}

void ColonySettingsColorPage::updateEffectiveLabels(Component component)
{
    const ColonySettingsData::ColonyColorData& c = m_settings->ColonyColor;
    int low[3] = {};
    int high[3] = {};
    CalculateColorThresholdLimits(c.StartHue, c.EndHue, c.StartHuePercent, c.EndHuePercent, kColorScale,
                                  c.StartSaturation, c.EndSaturation, c.StartSaturationPercent,
                                  c.EndSaturationPercent, kColorScale, c.StartIntensity, c.EndIntensity,
                                  c.StartIntensityPercent, c.EndIntensityPercent, kColorScale, low[Hue], high[Hue],
                                  low[Saturation], high[Saturation], low[Intensity], high[Intensity]);
    QLabel* startLabels[3] = {m_ui->m_QLabel_Color_RangeStart_EffectiveHue,
                              m_ui->m_QLabel_Color_RangeStart_EffectiveSaturation,
                              m_ui->m_QLabel_Color_RangeStart_EffectiveIntensity};
    QLabel* endLabels[3] = {m_ui->m_QLabel_Color_RangeEnd_EffectiveHue, m_ui->m_QLabel_Color_RangeEnd_EffectiveSaturation,
                            m_ui->m_QLabel_Color_RangeEnd_EffectiveIntensity};
    startLabels[component]->setText(tr("Effective: %1").arg(low[component]));
    endLabels[component]->setText(tr("Effective: %1").arg(high[component]));
}

void ColonySettingsColorPage::updateEnabledStates()
{
    const ColonySettingsData::ColonyColorData& c = m_settings->ColonyColor;
    const bool used[3] = {c.HueUsed, c.SaturationUsed, c.IntensityUsed};
    const RangeEnd start = rangeEnd(true);
    const RangeEnd end = rangeEnd(false);
    QLabel* labels[3][2] = {{m_ui->m_QLabel_Color_RangeStart_EffectiveHue, m_ui->m_QLabel_Color_RangeEnd_EffectiveHue},
                            {m_ui->m_QLabel_Color_RangeStart_EffectiveSaturation,
                             m_ui->m_QLabel_Color_RangeEnd_EffectiveSaturation},
                            {m_ui->m_QLabel_Color_RangeStart_EffectiveIntensity,
                             m_ui->m_QLabel_Color_RangeEnd_EffectiveIntensity}};
    for (int i = Hue; i <= Intensity; ++i) {
        start.valueBox[i]->setEnabled(used[i]);
        start.toleranceBox[i]->setEnabled(used[i]);
        end.valueBox[i]->setEnabled(used[i]);
        end.toleranceBox[i]->setEnabled(used[i]);
        labels[i][0]->setEnabled(used[i]);
        labels[i][1]->setEnabled(used[i]);
    }
}

// ---- RGB thresholds -----------------------------------------------------------------------------

void ColonySettingsColorPage::enableChannel(const Channel& c)
{
    const bool inverse = *c.inverse;
    c.maxBox->setEnabled(inverse);
    c.minNormBox->setEnabled(inverse);
    c.maxNormBox->setEnabled(!inverse);
    c.minBox->setEnabled(!inverse);
}

void ColonySettingsColorPage::thresholdToRecord(int index)
{
    m_editor->runValidatedEdit([this, index] {
        const Channel c = channel(index);
        *c.inverse = c.inverseBox->isChecked();
        enableChannel(c);
        *c.max = c.maxBox->value();
        *c.maxNorm = c.maxNormBox->value();
        *c.min = c.minBox->value();
        *c.minNorm = c.minNormBox->value();
        *c.weight = c.weightBox->value();
        c.weightSlider->setValue(weightToSlider(*c.weight));
    });
}

void ColonySettingsColorPage::thresholdSliderToRecord(int index, int value)
{
    m_editor->runValidatedEdit([this, index, value] {
        const Channel c = channel(index);
        c.weightBox->setValue(value / 100.0);
        *c.weight = value / 100.0;
    });
}

void ColonySettingsColorPage::slot_ColonyThresholdColorRed_valueChanged()
{
    thresholdToRecord(0);
}

void ColonySettingsColorPage::slot_ColonyThresholdColorRedWeightSlider_valueChanged(int value)
{
    thresholdSliderToRecord(0, value);
}

void ColonySettingsColorPage::slot_ColonyThresholdColorGreen_valueChanged()
{
    thresholdToRecord(1);
}

void ColonySettingsColorPage::slot_ColonyThresholdColorGreenWeightSlider_valueChanged(int value)
{
    thresholdSliderToRecord(1, value);
}

void ColonySettingsColorPage::slot_ColonyThresholdColorBlue_valueChanged()
{
    thresholdToRecord(2);
}

void ColonySettingsColorPage::slot_ColonyThresholdColorBlueWeightSlider_valueChanged(int value)
{
    thresholdSliderToRecord(2, value);
}

// ---- Refresh ------------------------------------------------------------------------------------

void ColonySettingsColorPage::refreshChannel(int index)
{
    const Channel c = channel(index);
    c.inverseBox->setChecked(*c.inverse);
    c.maxBox->setValue(truncatedInt(*c.max));
    c.maxNormBox->setValue(truncatedInt(*c.maxNorm));
    c.minBox->setValue(truncatedInt(*c.min));
    c.minNormBox->setValue(truncatedInt(*c.minNorm));
    c.weightBox->setValue(*c.weight);
    enableChannel(c);
    c.weightSlider->setValue(weightToSlider(*c.weight));
}

void ColonySettingsColorPage::refreshRangeEnd(bool start)
{
    const RangeEnd end = rangeEnd(start);
    end.picker->setColor(rangeColor(*end.value[Hue], *end.value[Saturation], *end.value[Intensity]));
    for (int c = Hue; c <= Intensity; ++c) {
        end.valueBox[c]->setValue(*end.value[c]);
        end.toleranceBox[c]->setValue(*end.tolerance[c]);
    }
}

void ColonySettingsColorPage::refresh()
{
    for (int i = 0; i < 3; ++i)
        refreshChannel(i);

    const ColonySettingsData::ColonyColorData& c = m_settings->ColonyColor;
    const int page = pageOfColorModel(m_settings->ColorModel);
    m_ui->m_QComboBox_Color_ColorModel->setCurrentIndex(page);
    m_ui->m_QStackedWidget_ColorModels->setCurrentIndex(page);
    m_ui->m_QGroupBox_Filter_Median->setChecked(c.MedianUsed);
    setCurrentByData(m_ui->m_QComboBox_Filter_Median_Mode, c.MedianMode);
    m_ui->m_QGroupBox_Filter_Mean->setChecked(c.MeanUsed);
    setCurrentByData(m_ui->m_QComboBox_Filter_Mean_Mode, c.MeanMode);
    refreshRangeEnd(true);
    refreshRangeEnd(false);
    m_ui->m_QCheckBox_Color_Hue_Used->setChecked(c.HueUsed);
    m_ui->m_QCheckBox_Color_Saturation_Used->setChecked(c.SaturationUsed);
    m_ui->m_QCheckBox_Color_Intensity_Used->setChecked(c.IntensityUsed);
    updateEnabledStates();
    m_ui->m_QCheckBox_Color_RangeGoods->setChecked(c.RangeGoods);
    setCurrentByData(m_ui->m_QComboBox_Color_MeasureAlgorithm, c.MeasureAlgorithm);
    m_ui->m_QSpinBox_Color_CombinedAreaPercent->setValue(truncatedInt(c.CombinedAreaPercent));
    UpdateLabelEffectiveHueValues();
    UpdateLabelEffectiveSaturationValues();
    UpdateLabelEffectiveIntensityValues();
}
