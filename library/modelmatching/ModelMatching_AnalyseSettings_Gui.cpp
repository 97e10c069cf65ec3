#include "ModelMatching_AnalyseSettings_Gui.h"

#include "ModelMatching.h"
#include "ModelMatchingErrors.h"
#include "ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition.h"
#include "ui_ModelMatching_AnalyseSettings_Gui.h"

#include <Gui_Helper.h>
#include <Gui_Helper_SignalBlocker.h>

#include <algorithm>

ModelMatching_AnalyseSettings_Gui::ModelMatching_AnalyseSettings_Gui(ModelMatching* facade,
                                                                     const SearchPositionDrawSettings& drawSettings,
                                                                     Hobject_View_Gui* view, QWidget* parent)
    : ModelMatching_Editor_Gui(facade, parent)
    , m_ui(std::make_unique<Ui::ModelMatching_AnalyseSettings_Gui>())
    , m_drawSettings(drawSettings)
{
    m_ui->setupUi(this);
    styleForm();

    m_mouseDraw = std::make_unique<ModelMatching_AnalyseSettings_Gui_MouseDraw_SearchPosition>(
        m_ui->m_QToolButton_MouseSelect_SearchPosition_Area, m_ui->m_QToolButton_MouseSelect_SearchPosition_Move, view,
        m_drawSettings, facade);

    m_ui->m_QGroupBox_SearchPosition->setVisible(m_drawSettings.showSearchPosition);
    if (m_drawSettings.showSearchTolerance) {
        m_ui->m_QDoubleSpinBox_SearchTolerance_AngleTolerance->setMaximum(m_drawSettings.maxAngleTolerance);
        m_ui->m_QDoubleSpinBox_SearchTolerance_ScaleTolerance->setMaximum(m_drawSettings.maxScaleTolerance);
    } else {
        m_ui->m_QGroupBox_SearchTolerance_Used->setVisible(false);
    }

    relayMouseDraw(m_mouseDraw.get());
    connect(m_ui->m_QDoubleSpinBox_SearchPosition_PositionX, &QDoubleSpinBox::valueChanged, this,
            &ModelMatching_AnalyseSettings_Gui::slot_QDoubleSpinBox_SearchPosition_PositionX_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_SearchPosition_PositionY, &QDoubleSpinBox::valueChanged, this,
            &ModelMatching_AnalyseSettings_Gui::slot_QDoubleSpinBox_SearchPosition_PositionY_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_SearchPosition_SizeX, &QDoubleSpinBox::valueChanged, this,
            &ModelMatching_AnalyseSettings_Gui::slot_QDoubleSpinBox_SearchPosition_SizeX_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_SearchPosition_SizeY, &QDoubleSpinBox::valueChanged, this,
            &ModelMatching_AnalyseSettings_Gui::slot_QDoubleSpinBox_SearchPosition_SizeY_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_SearchPosition_Angle, &QDoubleSpinBox::valueChanged, this,
            &ModelMatching_AnalyseSettings_Gui::slot_QDoubleSpinBox_SearchPosition_Angle_valueChanged);
    connect(m_ui->m_QGroupBox_SearchTolerance_Used, &QGroupBox::toggled, this,
            &ModelMatching_AnalyseSettings_Gui::slot_QGroupBox_SearchTolerance_Used_toggled);
    connect(m_ui->m_QDoubleSpinBox_SearchTolerance_AngleTolerance, &QDoubleSpinBox::valueChanged, this,
            &ModelMatching_AnalyseSettings_Gui::slot_QDoubleSpinBox_SearchTolerance_AngleTolerance_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_SearchTolerance_ScaleTolerance, &QDoubleSpinBox::valueChanged, this,
            &ModelMatching_AnalyseSettings_Gui::slot_QDoubleSpinBox_SearchTolerance_ScaleTolerance_valueChanged);
    connect(m_ui->m_QSpinBox_SearchTolerance_CheckTolerance, &QSpinBox::valueChanged, this,
            &ModelMatching_AnalyseSettings_Gui::slot_QSpinBox_SearchTolerance_CheckTolerance_valueChanged);
    connect(m_ui->m_QSpinBox_Analyse_PyramidLevels, &QSpinBox::valueChanged, this,
            &ModelMatching_AnalyseSettings_Gui::slot_QSpinBox_Analyse_PyramidLevels_valueChanged);
    connect(m_ui->m_QSlider_Analyse_MinimumScore, &QSlider::valueChanged, this,
            &ModelMatching_AnalyseSettings_Gui::slot_QSlider_Analyse_MinimumScore_valueChanged);

    if (facade)
        facade->SetAnalyseSettingsGui(this);
}

ModelMatching_AnalyseSettings_Gui::~ModelMatching_AnalyseSettings_Gui()
{
    if (m_facade && m_facade->GetAnalyseSettingsGui() == this)
        m_facade->SetAnalyseSettingsGui(nullptr);
    // The tools go while their buttons still exist.
    m_mouseDraw.reset();
}

Errors::Type_Error ModelMatching_AnalyseSettings_Gui::SetMode(int mode)
{
    bool panel = true;
    bool searchPosition = true;
    bool analyse = true;
    if (mode == ModelMatching::Mode_DefineModel) {
        panel = m_drawSettings.searchPositionInDefineMode || m_drawSettings.analyseInDefineMode;
        searchPosition = m_drawSettings.searchPositionInDefineMode;
        analyse = m_drawSettings.analyseInDefineMode;
    } else if (mode != ModelMatching::Mode_Analyse) {
        return ModelMatchingErrors::GeneralError;
    }
    m_ui->m_QWidget_AnalyseSettings->setEnabled(panel);
    m_ui->m_QGroupBox_SearchPosition->setEnabled(searchPosition);
    m_ui->m_QGroupBox_Analyse->setEnabled(analyse);
    return ModelMatchingErrors::NoError;
}

void ModelMatching_AnalyseSettings_Gui::showMinimumScore()
{
    const ModelMatchingSettings* record = settings();
    if (record)
        m_ui->m_QLabel_Analyse_MinimumScore->setText(QStringLiteral("%1").arg(record->Analyse.MinimumScore, 0, 'f', 2));
}

Errors::Type_Error ModelMatching_AnalyseSettings_Gui::UpdateWidget()
{
    const ModelMatchingSettings* record = settings();
    if (!record)
        return ModelMatchingErrors::NoError;
    // Tolerances the operator cannot see or set do not narrow the caller's own; shown, they
    // stay within the editor's maxima.
    m_facade->EditSettings([this](ModelMatchingSettings& s) {
        if (!m_drawSettings.showSearchTolerance) {
            s.SearchTolerance.Used = false;
            return;
        }
        s.SearchTolerance.AngleTolerance = std::min(s.SearchTolerance.AngleTolerance, m_drawSettings.maxAngleTolerance);
        s.SearchTolerance.ScaleTolerance = std::min(s.SearchTolerance.ScaleTolerance, m_drawSettings.maxScaleTolerance);
    });
    // No slot may write back while the values are set.
    const Gui_Helper_SignalBlocker blocker(this);
    m_ui->m_QDoubleSpinBox_SearchPosition_PositionX->setValue(record->SearchPosition.PositionX);
    m_ui->m_QDoubleSpinBox_SearchPosition_PositionY->setValue(record->SearchPosition.PositionY);
    m_ui->m_QDoubleSpinBox_SearchPosition_SizeX->setValue(record->SearchPosition.SizeX);
    m_ui->m_QDoubleSpinBox_SearchPosition_SizeY->setValue(record->SearchPosition.SizeY);
    m_ui->m_QDoubleSpinBox_SearchPosition_Angle->setValue(record->SearchPosition.Angle);
    m_ui->m_QGroupBox_SearchTolerance_Used->setChecked(record->SearchTolerance.Used);
    m_ui->m_QDoubleSpinBox_SearchTolerance_AngleTolerance->setValue(record->SearchTolerance.AngleTolerance);
    m_ui->m_QDoubleSpinBox_SearchTolerance_ScaleTolerance->setValue(record->SearchTolerance.ScaleTolerance);
    m_ui->m_QSpinBox_SearchTolerance_CheckTolerance->setValue(record->SearchTolerance.CheckTolerance);
    m_ui->m_QSpinBox_Analyse_PyramidLevels->setValue(record->Analyse.PyramidLevels);
    m_ui->m_QSlider_Analyse_MinimumScore->setValue(int(record->Analyse.MinimumScore * 100.0 + 0.5));
    showMinimumScore();
    Gui_Helper::setExpanded(m_ui->m_QGroupBox_SearchTolerance_Used, record->SearchTolerance.Used);
    return ModelMatchingErrors::NoError;
}

void ModelMatching_AnalyseSettings_Gui::slot_QDoubleSpinBox_SearchPosition_PositionX_valueChanged(double d)
{
    edit([d](ModelMatchingSettings& s) { s.SearchPosition.PositionX = d; });
}

void ModelMatching_AnalyseSettings_Gui::slot_QDoubleSpinBox_SearchPosition_PositionY_valueChanged(double d)
{
    edit([d](ModelMatchingSettings& s) { s.SearchPosition.PositionY = d; });
}

void ModelMatching_AnalyseSettings_Gui::slot_QDoubleSpinBox_SearchPosition_SizeX_valueChanged(double d)
{
    edit([d](ModelMatchingSettings& s) { s.SearchPosition.SizeX = d; });
}

void ModelMatching_AnalyseSettings_Gui::slot_QDoubleSpinBox_SearchPosition_SizeY_valueChanged(double d)
{
    edit([d](ModelMatchingSettings& s) { s.SearchPosition.SizeY = d; });
}

void ModelMatching_AnalyseSettings_Gui::slot_QDoubleSpinBox_SearchPosition_Angle_valueChanged(double d)
{
    edit([d](ModelMatchingSettings& s) { s.SearchPosition.Angle = d; });
}

void ModelMatching_AnalyseSettings_Gui::slot_QGroupBox_SearchTolerance_Used_toggled(bool on)
{
    if (edit([on](ModelMatchingSettings& s) { s.SearchTolerance.Used = on; }))
        Gui_Helper::setExpanded(m_ui->m_QGroupBox_SearchTolerance_Used, on);
}

void ModelMatching_AnalyseSettings_Gui::slot_QDoubleSpinBox_SearchTolerance_AngleTolerance_valueChanged(double d)
{
    edit([d](ModelMatchingSettings& s) { s.SearchTolerance.AngleTolerance = d; });
}

void ModelMatching_AnalyseSettings_Gui::slot_QDoubleSpinBox_SearchTolerance_ScaleTolerance_valueChanged(double d)
{
    edit([d](ModelMatchingSettings& s) { s.SearchTolerance.ScaleTolerance = d; });
}

void ModelMatching_AnalyseSettings_Gui::slot_QSpinBox_SearchTolerance_CheckTolerance_valueChanged(int i)
{
    edit([i](ModelMatchingSettings& s) { s.SearchTolerance.CheckTolerance = i; });
}

void ModelMatching_AnalyseSettings_Gui::slot_QSpinBox_Analyse_PyramidLevels_valueChanged(int i)
{
    edit([i](ModelMatchingSettings& s) { s.Analyse.PyramidLevels = i; });
}

void ModelMatching_AnalyseSettings_Gui::slot_QSlider_Analyse_MinimumScore_valueChanged(int i)
{
    if (edit([i](ModelMatchingSettings& s) { s.Analyse.MinimumScore = i / 100.0; }))
        showMinimumScore();
}
