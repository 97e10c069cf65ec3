#include "SearchAreaGui.h"

#include "SearchAreaMouseHandler.h"
#include "SearchAreaSettings.h"
#include "ui_SearchAreaGui.h"

#include <Gui_Helper.h>
#include <Gui_Helper_SignalBlocker.h>

#include <QDoubleSpinBox>

SearchAreaGui::SearchAreaGui(IHalconView* view, const SearchAreaDrawSettings& draw, SearchAreaSettings* settings,
                             QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::SearchAreaGui>())
    , m_settings(settings)
{
    m_ui->setupUi(this);
    Gui_Helper::setObjectName(this, QString());
    Gui_Helper::fillParentWidget(this, true, true);

    m_handler = new SearchAreaMouseHandler(view, m_ui->m_QToolButton_MouseSelect_SearchPosition_Area,
                                           m_ui->m_QToolButton_MouseSelect_SearchPosition_Move, draw, m_settings,
                                           this);

    using Gui = SearchAreaGui;
    connect(m_handler, &SearchAreaMouseHandler::signal_SettingChanged, this,
            &Gui::slot_SearchAreaMouseHandler_SettingChanged);
    connect(m_handler, &SearchAreaMouseHandler::signal_AnalysingAbort, this,
            &Gui::slot_SearchAreaMouseHandler_AnalysingAbort);
    connect(m_handler, &SearchAreaMouseHandler::signal_NewDialogSettings, this,
            &Gui::slot_SearchAreaMouseHandler_NewDialogSettings);
    const auto valueChanged = qOverload<double>(&QDoubleSpinBox::valueChanged);
    connect(m_ui->m_QDoubleSpinBox_SearchPosition_PositionX, valueChanged, this,
            &Gui::slot_QDoubleSpinBox_SearchPosition_PositionX_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_SearchPosition_PositionY, valueChanged, this,
            &Gui::slot_QDoubleSpinBox_SearchPosition_PositionY_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_SearchPosition_SizeX, valueChanged, this,
            &Gui::slot_QDoubleSpinBox_SearchPosition_SizeX_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_SearchPosition_SizeY, valueChanged, this,
            &Gui::slot_QDoubleSpinBox_SearchPosition_SizeY_valueChanged);
    connect(m_ui->m_QDoubleSpinBox_SearchPosition_Angle, valueChanged, this,
            &Gui::slot_QDoubleSpinBox_SearchPosition_Angle_valueChanged);

    updateFromSettings();
}

SearchAreaGui::~SearchAreaGui()
{
    // The tools go before the buttons they hold.
    delete m_handler;
    m_handler = nullptr;
}

void SearchAreaGui::setTitle(const QString& title)
{
    m_ui->m_QGroupBox_SearchArea->setTitle(title);
}

void SearchAreaGui::setSearchAreaSettings(SearchAreaSettings* settings)
{
    m_settings = settings;
    m_handler->setSearchAreaSettings(settings);
    updateFromSettings();
}

void SearchAreaGui::updateFromSettings()
{
    if (!m_settings)
        return;
    Gui_Helper_SignalBlocker blocker(this);
    m_ui->m_QDoubleSpinBox_SearchPosition_PositionX->setValue(m_settings->PosX);
    m_ui->m_QDoubleSpinBox_SearchPosition_PositionY->setValue(m_settings->PosY);
    m_ui->m_QDoubleSpinBox_SearchPosition_SizeX->setValue(m_settings->SizeX);
    m_ui->m_QDoubleSpinBox_SearchPosition_SizeY->setValue(m_settings->SizeY);
    m_ui->m_QDoubleSpinBox_SearchPosition_Angle->setValue(m_settings->Angle);
}

void SearchAreaGui::slot_SearchAreaMouseHandler_SettingChanged()
{
    emit signal_SettingChanged();
}

void SearchAreaGui::slot_SearchAreaMouseHandler_AnalysingAbort()
{
    emit signal_AnalysingAbort();
}

void SearchAreaGui::slot_SearchAreaMouseHandler_NewDialogSettings()
{
    updateFromSettings();
    emit signal_NewDialogSettings();
}

void SearchAreaGui::store(double SearchAreaSettings::*field, double value)
{
    if (!m_settings)
        return;
    m_settings->*field = value;
    emit signal_SettingChanged();
}

void SearchAreaGui::slot_QDoubleSpinBox_SearchPosition_PositionX_valueChanged(double d)
{
    store(&SearchAreaSettings::PosX, d);
}

void SearchAreaGui::slot_QDoubleSpinBox_SearchPosition_PositionY_valueChanged(double d)
{
    store(&SearchAreaSettings::PosY, d);
}

void SearchAreaGui::slot_QDoubleSpinBox_SearchPosition_SizeX_valueChanged(double d)
{
    store(&SearchAreaSettings::SizeX, d);
}

void SearchAreaGui::slot_QDoubleSpinBox_SearchPosition_SizeY_valueChanged(double d)
{
    store(&SearchAreaSettings::SizeY, d);
}

void SearchAreaGui::slot_QDoubleSpinBox_SearchPosition_Angle_valueChanged(double d)
{
    store(&SearchAreaSettings::Angle, d);
}
