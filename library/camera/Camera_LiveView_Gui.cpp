#include "Camera_LiveView_Gui.h"

#include "ErrorCodes.h"
#include "ui_Camera_LiveView_Gui.h"

#include "Automation_Call.h"
#include "Camera.h"
#include "Camera_LiveView_AidArea.h"
#include "Camera_LiveView_Draw.h"
#include "Camera_LiveView_Gui_EventFilter.h"
#include "Camera_LiveView_Gui_MouseDraw_CameraAdjustArea.h"
#include "Camera_LiveView_Settings.h"
#include "Camera_LiveView_Timing.h"
#include "Gui_Helper.h"
#include "Gui_Helper_SignalBlocker.h"
#include "HalconFunctions.h"
#include "Halcon_Helper.h"
#include "QuendralLibrary.h"

#include <Hobject_View_Gui.h>

#include <HalconTransformOps.h>

#include <QDockWidget>
#include <QHideEvent>
#include <QIcon>
#include <QPixmap>
#include <QShowEvent>
#include <QTimer>

#include <cmath>
#include <utility>

namespace {

constexpr Errors::Type_Error kInvalidValue = 3;

QString livePicture(const char* name)
{
    return QStringLiteral("pictures:/CameraLiveView/") + QLatin1String(name);
}

bool validSensibility(double sensibility)
{
    return std::isfinite(sensibility) && sensibility > 0.0;
}

} // namespace

Camera_LiveView_Gui::Camera_LiveView_Gui(CallbackFunctions* callbacks, Camera* camera, QWidget* parent)
    : QWidget(parent)
    , Camera_LiveView_Draw(nullptr)
    , m_ui(std::make_unique<Ui::Camera_LiveView_Gui>())
    , m_parentDock(qobject_cast<QDockWidget*>(parent))
    , m_callbacks(callbacks)
    , m_camera(camera)
{
    m_ui->setupUi(this);
    Gui_Helper::setObjectName(this, QString());
    setStatePicture("StateOff.png");
    m_ui->m_QToolButton_AdjustCameraFocus->setIcon(QIcon(livePicture("CameraFocus.png")));
    m_ui->m_QToolButton_AdjustCameraAperture->setIcon(QIcon(livePicture("CameraAperture.png")));
    m_ui->m_QToolButton_AdjustCameraHomogeneous->setIcon(QIcon(livePicture("CameraHomogeneous.png")));
    m_ui->m_QToolButton_Dockable->setIcon(QIcon(livePicture("WindowDockableLocked.png")));
    m_ui->m_QToolButton_Dockable->setFocusPolicy(Qt::NoFocus);

    using Scale = Camera_LiveView_AidPanel::Scale;
    Camera_LiveView_AidPanel::Widgets focus;
    focus.panel = m_ui->m_QGroupBox_CameraFocus;
    focus.settingsGroups = {m_ui->m_QGroupBox_CameraFocus_Labware, m_ui->m_QGroupBox_CameraFocus_GradientValue};
    focus.slider = m_ui->m_QSlider_CameraFocus;
    focus.sliderMaximum = m_ui->m_QSlider_CameraFocusMaximum;
    focus.value = m_ui->m_QLabel_CameraFocus_Value;
    focus.maximum = m_ui->m_QLabel_CameraFocus_ValueMaximum;
    focus.lowerLimit = m_ui->m_QLabel_CameraFocus_LowerLimitValue;
    m_aids[Aid_Focus] = std::make_unique<Camera_LiveView_AidPanel>(Scale::Threshold, focusPrefix(), focus);

    Camera_LiveView_AidPanel::Widgets aperture;
    aperture.panel = m_ui->m_QGroupBox_CameraAperture;
    aperture.settingsGroups = {m_ui->m_QGroupBox_CameraAperture_Labware, m_ui->m_QGroupBox_CameraAperture_GrayValue};
    aperture.slider = m_ui->m_QSlider_CameraAperture;
    aperture.value = m_ui->m_QLabel_CameraAperture_Value;
    aperture.lowerLimit = m_ui->m_QLabel_CameraAperture_LowerLimitValue;
    aperture.upperLimit = m_ui->m_QLabel_CameraAperture_UpperLimitValue;
    m_aids[Aid_Aperture] = std::make_unique<Camera_LiveView_AidPanel>(Scale::Centre, aperturePrefix(), aperture);

    Camera_LiveView_AidPanel::Widgets homogeneous;
    homogeneous.panel = m_ui->m_QGroupBox_CameraHomogeneous;
    homogeneous.settingsGroups = {m_ui->m_QGroupBox_CameraHomogeneous_Labware,
                                  m_ui->m_QGroupBox_CameraHomogeneous_HomogeneousValue};
    homogeneous.slider = m_ui->m_QSlider_CameraHomogeneous;
    homogeneous.sliderMaximum = m_ui->m_QSlider_CameraHomogeneousMaximum;
    homogeneous.value = m_ui->m_QLabel_CameraHomogeneous_Value;
    homogeneous.maximum = m_ui->m_QLabel_CameraHomogeneous_ValueMaximum;
    homogeneous.lowerLimit = m_ui->m_QLabel_CameraHomogeneous_LowerLimitValue;
    m_aids[Aid_Homogeneous] =
        std::make_unique<Camera_LiveView_AidPanel>(Scale::Threshold, homogeneousPrefix(), homogeneous);

    for (const auto& aid : m_aids) {
        aid->widgets().panel->layout()->setContentsMargins(0, 0, 0, 0);
        aid->widgets().panel->setVisible(false);
    }
    m_ui->m_QVBoxLayout_Main->addWidget(new Camera_LiveView_AidArea(
        {m_ui->m_QGroupBox_CameraFocus, m_ui->m_QGroupBox_CameraAperture, m_ui->m_QGroupBox_CameraHomogeneous}, this));

    m_settings = new Camera_LiveView_Settings(this);
    // A missing or unreadable file leaves the defaults.
    m_settings->LoadFromFile(Camera_LiveView_Settings::defaultFilePath());

    m_view = new Hobject_View_Gui(m_ui->m_QFrame_LiveView, QStringLiteral("Camera live view"));
    Gui_Helper::fillParentWidget(m_view, true, true);
    m_view->addPictureGroup(QStringLiteral("LiveImage"), QStringLiteral("LiveImage."), true);
    for (const QString& prefix : {Camera_LiveView_Draw::prefix(), aperturePrefix(), focusPrefix(), homogeneousPrefix()})
        m_view->addObjectGroup(QStringLiteral("Draw"), prefix, true);
    setView(m_view);

    m_adjustArea = new Camera_LiveView_Gui_MouseDraw_CameraAdjustArea(
        m_ui->m_QToolButton_CameraFocus_MouseSelect_Labware_Area,
        m_ui->m_QToolButton_CameraFocus_MouseSelect_Labware_Move,
        m_ui->m_QToolButton_CameraAperture_MouseSelect_Labware_Area,
        m_ui->m_QToolButton_CameraAperture_MouseSelect_Labware_Move,
        m_ui->m_QToolButton_CameraHomogeneous_MouseSelect_Labware_Area,
        m_ui->m_QToolButton_CameraHomogeneous_MouseSelect_Labware_Move, m_view, m_settings, this);

    m_eventFilter = new Camera_LiveView_Gui_EventFilter(m_parentDock, this);
    showDockable(isFloatingDock() && !QuendralLibrary::IsAutomationServer());
    if (m_parentDock)
        connect(m_parentDock, &QDockWidget::topLevelChanged, this,
                &Camera_LiveView_Gui::slot_QDockWidget_Parent_topLevelChanged);

    // The control software opens the aids itself.
    if (QuendralLibrary::IsAutomationServer()) {
        m_ui->m_QToolButton_AdjustCameraFocus->setVisible(false);
        m_ui->m_QToolButton_AdjustCameraAperture->setVisible(false);
        m_ui->m_QToolButton_AdjustCameraHomogeneous->setVisible(false);
    }

    fillControls();
    Gui_Helper::applyWidgetStyles(this, true, true, true);
    if (isFloatingDock() && QuendralLibrary::IsAutomationServer())
        Gui_Helper::restoreWindowGeometry(m_parentDock);

    connectControls();
}

Camera_LiveView_Gui::~Camera_LiveView_Gui()
{
    if (isFloatingDock() && QuendralLibrary::IsAutomationServer())
        Gui_Helper::saveWindowGeometry(m_parentDock);
    if (m_connected)
        disconnectCamera();
    delete m_eventFilter;
    m_eventFilter = nullptr;
    // The tools answer from the record and draw on the viewer: they go first.
    delete m_adjustArea;
    m_adjustArea = nullptr;
    delete m_settings;
    m_settings = nullptr;
    setView(nullptr);
    delete m_view;
    m_view = nullptr;
}

void Camera_LiveView_Gui::connectControls()
{
    using Self = Camera_LiveView_Gui;
    connect(m_settings, &Camera_LiveView_Settings::signal_custom, this, &Self::slot_camera_liveView_settings_custom);
    connect(m_ui->m_QToolButton_Dockable, &QToolButton::clicked, this, &Self::slot_QToolButton_Dockable_clicked);
    if (m_camera) {
        connect(m_camera, &Camera::signal_open, this, &Self::slot_camera_open);
        connect(m_camera, &Camera::signal_close, this, &Self::slot_camera_close);
    }
    connect(m_ui->m_QToolButton_AdjustCameraFocus, &QToolButton::clicked, this,
            &Self::slot_QToolButton_AdjustCameraFocus_clicked);
    connect(m_ui->m_QToolButton_AdjustCameraAperture, &QToolButton::clicked, this,
            &Self::slot_QToolButton_AdjustCameraAperture_clicked);
    connect(m_ui->m_QToolButton_AdjustCameraHomogeneous, &QToolButton::clicked, this,
            &Self::slot_QToolButton_AdjustCameraHomogeneous_clicked);

    const std::pair<QDoubleSpinBox*, void (Self::*)(double)> spinBoxes[] = {
        {m_ui->m_QDoubleSpinBox_CameraFocus_Labware_PositionX,
         &Self::slot_QDoubleSpinBox_CameraFocus_Labware_PositionX_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraFocus_Labware_PositionY,
         &Self::slot_QDoubleSpinBox_CameraFocus_Labware_PositionY_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraFocus_Labware_SizeX,
         &Self::slot_QDoubleSpinBox_CameraFocus_Labware_SizeX_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraFocus_Labware_SizeY,
         &Self::slot_QDoubleSpinBox_CameraFocus_Labware_SizeY_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraFocus_Labware_Angle,
         &Self::slot_QDoubleSpinBox_CameraFocus_Labware_Angle_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraFocus_GradientValue_Threshold,
         &Self::slot_QDoubleSpinBox_CameraFocus_GradientValue_Threshold_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraFocus_GradientValue_Sensibility,
         &Self::slot_QDoubleSpinBox_CameraFocus_GradientValue_Sensibility_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraAperture_Labware_PositionX,
         &Self::slot_QDoubleSpinBox_CameraAperture_Labware_PositionX_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraAperture_Labware_PositionY,
         &Self::slot_QDoubleSpinBox_CameraAperture_Labware_PositionY_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraAperture_Labware_SizeX,
         &Self::slot_QDoubleSpinBox_CameraAperture_Labware_SizeX_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraAperture_Labware_SizeY,
         &Self::slot_QDoubleSpinBox_CameraAperture_Labware_SizeY_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraAperture_Labware_Angle,
         &Self::slot_QDoubleSpinBox_CameraAperture_Labware_Angle_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraAperture_GrayValue_Center,
         &Self::slot_QDoubleSpinBox_CameraAperture_GrayValue_Center_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraAperture_GrayValue_Sensibility,
         &Self::slot_QDoubleSpinBox_CameraAperture_GrayValue_Sensibility_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraHomogeneous_Labware_PositionX,
         &Self::slot_QDoubleSpinBox_CameraHomogeneous_Labware_PositionX_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraHomogeneous_Labware_PositionY,
         &Self::slot_QDoubleSpinBox_CameraHomogeneous_Labware_PositionY_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraHomogeneous_Labware_SizeX,
         &Self::slot_QDoubleSpinBox_CameraHomogeneous_Labware_SizeX_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraHomogeneous_Labware_SizeY,
         &Self::slot_QDoubleSpinBox_CameraHomogeneous_Labware_SizeY_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraHomogeneous_Labware_Angle,
         &Self::slot_QDoubleSpinBox_CameraHomogeneous_Labware_Angle_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraHomogeneous_Homogeneous_Threshold,
         &Self::slot_QDoubleSpinBox_CameraHomogeneous_Homogeneous_Threshold_valueChanged},
        {m_ui->m_QDoubleSpinBox_CameraHomogeneous_Homogeneous_Sensibility,
         &Self::slot_QDoubleSpinBox_CameraHomogeneous_Homogeneous_Sensibility_valueChanged},
    };
    for (const auto& [spinBox, slot] : spinBoxes)
        connect(spinBox, &QDoubleSpinBox::valueChanged, this, slot);
    connect(m_ui->m_QComboBox_CameraHomogeneous_Homogeneous_FilterMeanMode, &QComboBox::currentIndexChanged, this,
            &Self::slot_QComboBox_CameraHomogeneous_Homogeneous_FilterMeanMode_currentIndexChanged);
}

void Camera_LiveView_Gui::fillControls()
{
    Gui_Helper_SignalBlocker blocker(this);
    const auto fillLabware = [](const Camera_LiveView_Settings_Data::LabwareGroup& labware, QDoubleSpinBox* x,
                                QDoubleSpinBox* y, QDoubleSpinBox* width, QDoubleSpinBox* height,
                                QDoubleSpinBox* angle) {
        x->setValue(labware.PositionX);
        y->setValue(labware.PositionY);
        width->setValue(labware.SizeX);
        height->setValue(labware.SizeY);
        angle->setValue(labware.Angle);
    };
    const Camera_LiveView_Settings& s = *m_settings;
    fillLabware(s.CameraFocus.Labware, m_ui->m_QDoubleSpinBox_CameraFocus_Labware_PositionX,
                m_ui->m_QDoubleSpinBox_CameraFocus_Labware_PositionY, m_ui->m_QDoubleSpinBox_CameraFocus_Labware_SizeX,
                m_ui->m_QDoubleSpinBox_CameraFocus_Labware_SizeY, m_ui->m_QDoubleSpinBox_CameraFocus_Labware_Angle);
    m_ui->m_QDoubleSpinBox_CameraFocus_GradientValue_Threshold->setValue(s.CameraFocus.GradientValue.Threshold);
    m_ui->m_QDoubleSpinBox_CameraFocus_GradientValue_Sensibility->setValue(s.CameraFocus.GradientValue.Sensibility);
    fillLabware(s.CameraAperture.Labware, m_ui->m_QDoubleSpinBox_CameraAperture_Labware_PositionX,
                m_ui->m_QDoubleSpinBox_CameraAperture_Labware_PositionY,
                m_ui->m_QDoubleSpinBox_CameraAperture_Labware_SizeX, m_ui->m_QDoubleSpinBox_CameraAperture_Labware_SizeY,
                m_ui->m_QDoubleSpinBox_CameraAperture_Labware_Angle);
    m_ui->m_QDoubleSpinBox_CameraAperture_GrayValue_Center->setValue(s.CameraAperture.GrayValue.Center);
    m_ui->m_QDoubleSpinBox_CameraAperture_GrayValue_Sensibility->setValue(s.CameraAperture.GrayValue.Sensibility);
    fillLabware(s.CameraHomogeneous.Labware, m_ui->m_QDoubleSpinBox_CameraHomogeneous_Labware_PositionX,
                m_ui->m_QDoubleSpinBox_CameraHomogeneous_Labware_PositionY,
                m_ui->m_QDoubleSpinBox_CameraHomogeneous_Labware_SizeX,
                m_ui->m_QDoubleSpinBox_CameraHomogeneous_Labware_SizeY,
                m_ui->m_QDoubleSpinBox_CameraHomogeneous_Labware_Angle);
    const int mode = s.CameraHomogeneous.Homogeneous.FilterMeanMode;
    QComboBox* filter = m_ui->m_QComboBox_CameraHomogeneous_Homogeneous_FilterMeanMode;
    filter->setCurrentIndex(mode >= 1 && mode <= filter->count() ? mode - 1 : -1);
    m_ui->m_QDoubleSpinBox_CameraHomogeneous_Homogeneous_Threshold->setValue(s.CameraHomogeneous.Homogeneous.Threshold);
    m_ui->m_QDoubleSpinBox_CameraHomogeneous_Homogeneous_Sensibility->setValue(
        s.CameraHomogeneous.Homogeneous.Sensibility);
}

void Camera_LiveView_Gui::edit(double& field, double value)
{
    field = value;
    saveSettings();
}

void Camera_LiveView_Gui::saveSettings()
{
    if (!QuendralLibrary::IsAutomationServer())
        m_settings->SaveToFile(Camera_LiveView_Settings::defaultFilePath());
    m_settings->setChanged(0);
    m_settings->SetCustom(Camera_LiveView_Settings::CustomSignal_Changed, QVariant(true));
}

// ---- Camera and visibility ------------------------------------------------------------------

void Camera_LiveView_Gui::connectCamera()
{
    if (m_camera) {
        connect(m_camera, &Camera::signal_picture, this, &Camera_LiveView_Gui::slot_camera_picture,
                Qt::UniqueConnection);
        m_camera->SetLiveMode(true);
    }
    m_connected = true;
}

void Camera_LiveView_Gui::disconnectCamera()
{
    if (m_camera) {
        disconnect(m_camera, &Camera::signal_picture, this, &Camera_LiveView_Gui::slot_camera_picture);
        m_camera->SetLiveMode(false);
    }
    m_connected = false;
}

void Camera_LiveView_Gui::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (isFloatingDock() && QuendralLibrary::IsAutomationServer())
        Gui_Helper::restoreWindowGeometry(m_parentDock);
    if (QuendralLibrary::IsAutomationServer()) {
        for (const auto& aid : m_aids)
            for (QGroupBox* group : aid->widgets().settingsGroups)
                group->setVisible(false);
    }
    if (m_callbacks)
        m_callbacks->visibilityChanged(true);
    if (!m_connected)
        connectCamera();
}

void Camera_LiveView_Gui::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (m_connected)
        disconnectCamera();
    for (int aid = 0; aid < Aid_Count; ++aid)
        closeAid(Aid(aid), true);
    m_view->updateView(true);
    if (isFloatingDock() && QuendralLibrary::IsAutomationServer())
        Gui_Helper::saveWindowGeometry(m_parentDock);
    if (m_callbacks)
        m_callbacks->visibilityChanged(false);
}

void Camera_LiveView_Gui::setStatePicture(const QString& name)
{
    m_ui->m_QLabel_LiveViewState->setPixmap(QPixmap(QStringLiteral("pictures:/CameraLiveView/") + name));
}

void Camera_LiveView_Gui::slot_camera_open()
{
    m_view->removeObjects(Camera_LiveView_Draw::prefix(), true);
    setStatePicture(QStringLiteral("StateOn.png"));
    m_errorCounter = 0;
    m_ui->m_QLabel_ErrorCounter->setText(tr("none"));
    if (isVisible() && !m_connected)
        connectCamera();
}

void Camera_LiveView_Gui::slot_camera_close()
{
    if (m_connected)
        disconnectCamera();
    for (const auto& aid : m_aids)
        aid->resetDisplay();
    m_view->removeObjects(Camera_LiveView_Draw::prefix(), false);
    m_view->removePictures(QString(), true);
    setStatePicture(QStringLiteral("StateOff.png"));
}

void Camera_LiveView_Gui::slot_camera_picture(Errors::Type_Error error, Halcon::Hobject hobjectPicture)
{
    // A picture queued before the view let go of the camera.
    if (!m_connected)
        return;
    if (error != kNoError) {
        ++m_errorCounter;
        m_ui->m_QLabel_ErrorCounter->setText(QString::number(m_errorCounter));
        setStatePicture(QStringLiteral("StateError.png"));
        return;
    }
    setStatePicture(QStringLiteral("StateGrabbed.png"));
    QTimer::singleShot(Camera_LiveView_Timing::current().grabbedIndicator, this,
                       &Camera_LiveView_Gui::slot_update_grabbedFinish);
    m_view->setPicture(hobjectPicture, pictureName(), true);
    if (m_aids[Aid_Focus]->isShown() && !aidToolsActive(Aid_Focus))
        CameraFocus_Evaluate(hobjectPicture);
    if (m_aids[Aid_Aperture]->isShown() && !aidToolsActive(Aid_Aperture))
        CameraAperture_Evaluate(hobjectPicture);
    if (m_aids[Aid_Homogeneous]->isShown() && !aidToolsActive(Aid_Homogeneous))
        CameraHomogeneous_Evaluate(hobjectPicture);
}

void Camera_LiveView_Gui::slot_update_grabbedFinish()
{
    if (m_connected)
        setStatePicture(QStringLiteral("StateOn.png"));
}

// ---- Docking --------------------------------------------------------------------------------

bool Camera_LiveView_Gui::isFloatingDock() const
{
    // Asked while the dock deletes its children too, when only its QWidget part is left.
    return m_parentDock && static_cast<const QWidget*>(m_parentDock)->isWindow();
}

void Camera_LiveView_Gui::showDockable(bool shown)
{
    QToolButton* button = m_ui->m_QToolButton_Dockable;
    if (!shown) {
        button->setVisible(false);
        return;
    }
    button->setIcon(QIcon(livePicture("WindowDockableLocked.png")));
    button->setChecked(false);
    button->setVisible(true);
    m_parentDock->setAllowedAreas(Qt::NoDockWidgetArea);
}

void Camera_LiveView_Gui::slot_QToolButton_Dockable_clicked(bool checked)
{
    if (!m_parentDock || QuendralLibrary::IsAutomationServer())
        return;
    m_ui->m_QToolButton_Dockable->setIcon(
        QIcon(livePicture(checked ? "WindowDockable.png" : "WindowDockableLocked.png")));
    m_parentDock->setAllowedAreas(checked ? Qt::AllDockWidgetAreas : Qt::NoDockWidgetArea);
}

void Camera_LiveView_Gui::slot_QDockWidget_Parent_topLevelChanged(bool topLevel)
{
    showDockable(m_parentDock && topLevel && !QuendralLibrary::IsAutomationServer());
}

// ---- Aids -----------------------------------------------------------------------------------

bool Camera_LiveView_Gui::cancelAidTools(Aid aid)
{
    switch (aid) {
    case Aid_Focus:
        return m_adjustArea->CameraFocus_Cancel();
    case Aid_Aperture:
        return m_adjustArea->CameraAperture_Cancel();
    default:
        return m_adjustArea->CameraHomogeneous_Cancel();
    }
}

bool Camera_LiveView_Gui::aidToolsActive(Aid aid) const
{
    switch (aid) {
    case Aid_Focus:
        return m_adjustArea->CameraFocus_IsActive();
    case Aid_Aperture:
        return m_adjustArea->CameraAperture_IsActive();
    default:
        return m_adjustArea->CameraHomogeneous_IsActive();
    }
}

void Camera_LiveView_Gui::closeAid(Aid aid, bool hidePanel)
{
    cancelAidTools(aid);
    m_aids[aid]->close(hidePanel);
    m_view->removeObjects(m_aids[aid]->overlayPrefix(), false);
}

Errors::Type_Error Camera_LiveView_Gui::openAid(Aid aid)
{
    m_aids[aid]->open(!QuendralLibrary::IsAutomationServer());
    return kNoError;
}

void Camera_LiveView_Gui::toggleAid(Aid aid)
{
    if (m_aids[aid]->widgets().panel->isVisible()) {
        closeAid(aid, true);
        m_view->updateView(true);
        return;
    }
    openAid(aid);
}

void Camera_LiveView_Gui::slot_QToolButton_AdjustCameraFocus_clicked(bool)
{
    toggleAid(Aid_Focus);
}

void Camera_LiveView_Gui::slot_QToolButton_AdjustCameraAperture_clicked(bool)
{
    toggleAid(Aid_Aperture);
}

void Camera_LiveView_Gui::slot_QToolButton_AdjustCameraHomogeneous_clicked(bool)
{
    toggleAid(Aid_Homogeneous);
}

void Camera_LiveView_Gui::CameraFocus_Evaluate(const Halcon::Hobject& picture)
{
    m_view->removeObjects(focusPrefix(), false);
    double focus = 0.0;
    Halcon::Hobject contour;
    const Errors::Type_Error error =
        Camera_LiveView_Aids::MeasureFocus(picture, m_settings->CameraFocus.Labware, focus, contour);
    if (Halcon_Helper::CheckNotEmpty(contour) == kNoError)
        m_view->addObject(contour, QStringLiteral("green"), QStringLiteral("margin"), 1, focusPrefix() + "Area.", false,
                          false);
    Camera_LiveView_Aids::Result result;
    if (!error
        && Camera_LiveView_Aids::FocusResult(focus, m_aids[Aid_Focus]->result().maximum,
                                             m_settings->CameraFocus.GradientValue, result)
            == kNoError)
        m_aids[Aid_Focus]->showResult(result);
    m_view->updateView(true);
}

void Camera_LiveView_Gui::CameraAperture_Evaluate(const Halcon::Hobject& picture)
{
    m_view->removeObjects(aperturePrefix(), false);
    double grayValue = 0.0;
    Halcon::Hobject contour;
    const Errors::Type_Error error =
        Camera_LiveView_Aids::MeasureAperture(picture, m_settings->CameraAperture.Labware, grayValue, contour);
    if (Halcon_Helper::CheckNotEmpty(contour) == kNoError)
        m_view->addObject(contour, QStringLiteral("green"), QStringLiteral("margin"), 1, aperturePrefix() + "Area.",
                          false, false);
    Camera_LiveView_Aids::Result result;
    if (!error
        && Camera_LiveView_Aids::ApertureResult(grayValue, m_settings->CameraAperture.GrayValue, result) == kNoError)
        m_aids[Aid_Aperture]->showResult(result);
    m_view->updateView(true);
}

void Camera_LiveView_Gui::CameraHomogeneous_Evaluate(const Halcon::Hobject& picture)
{
    m_view->removeObjects(homogeneousPrefix(), false);
    Camera_LiveView_Aids::Homogeneity measured;
    const Camera_LiveView_Settings_Data::CameraHomogeneousGroup& settings = m_settings->CameraHomogeneous;
    Camera_LiveView_Aids::Result result;
    if (Camera_LiveView_Aids::MeasureHomogeneity(picture, settings.Labware, settings.Homogeneous.FilterMeanMode,
                                                 measured)
            != kNoError
        || Camera_LiveView_Aids::HomogeneityResult(measured.value, m_aids[Aid_Homogeneous]->result().maximum,
                                                   settings.Homogeneous, result)
            != kNoError) {
        m_view->updateView(true);
        return;
    }
    // The fills are drawn first, so that the outline stays on top.
    m_view->addObject(measured.dark, QStringLiteral("black"), QStringLiteral("fill"), 1,
                      homogeneousPrefix() + "Threshold.Lower.", false, false);
    m_view->addObject(measured.bright, QStringLiteral("white"), QStringLiteral("fill"), 1,
                      homogeneousPrefix() + "Threshold.Upper.", false, false);
    m_view->addObject(measured.contour, QStringLiteral("green"), QStringLiteral("margin"), 1,
                      homogeneousPrefix() + "Area.", false, false);
    m_aids[Aid_Homogeneous]->showResult(result);
    m_view->updateView(true);
}

void Camera_LiveView_Gui::SetCameraFocusIndicatorColor(const QString& color)
{
    m_aids[Aid_Focus]->setIndicatorColor(color);
}

void Camera_LiveView_Gui::SetCameraApertureIndicatorColor(const QString& color)
{
    m_aids[Aid_Aperture]->setIndicatorColor(color);
}

void Camera_LiveView_Gui::SetCameraHomogeneousIndicatorColor(const QString& color)
{
    m_aids[Aid_Homogeneous]->setIndicatorColor(color);
}

// ---- Automation: aids ----------------------------------------------------------------------

Errors::Type_Error Camera_LiveView_Gui::CameraFocus_Show(double positionX, double positionY, double sizeX,
                                                         double sizeY, double angle, double gradientValueThreshold,
                                                         double gradientValueSensibility)
{
    m_aids[Aid_Focus]->close(false);
    const auto labware = Camera_LiveView_Settings_Data::LabwareGroup::of(positionX, positionY, sizeX, sizeY, angle);
    if (!Camera_LiveView_Aids::IsValidArea(labware) || !std::isfinite(gradientValueThreshold)
        || !validSensibility(gradientValueSensibility))
        return kInvalidValue;
    m_settings->CameraFocus.Labware = labware;
    m_settings->CameraFocus.GradientValue.Threshold = gradientValueThreshold;
    m_settings->CameraFocus.GradientValue.Sensibility = gradientValueSensibility;
    fillControls();
    return openAid(Aid_Focus);
}

Errors::Type_Error Camera_LiveView_Gui::CameraAperture_Show(double positionX, double positionY, double sizeX,
                                                            double sizeY, double angle, double grayValueCenter,
                                                            double grayValueSensibility)
{
    m_aids[Aid_Aperture]->close(false);
    const auto labware = Camera_LiveView_Settings_Data::LabwareGroup::of(positionX, positionY, sizeX, sizeY, angle);
    if (!Camera_LiveView_Aids::IsValidArea(labware) || !std::isfinite(grayValueCenter)
        || !validSensibility(grayValueSensibility))
        return kInvalidValue;
    m_settings->CameraAperture.Labware = labware;
    m_settings->CameraAperture.GrayValue.Center = grayValueCenter;
    m_settings->CameraAperture.GrayValue.Sensibility = grayValueSensibility;
    fillControls();
    return openAid(Aid_Aperture);
}

Errors::Type_Error Camera_LiveView_Gui::CameraHomogeneous_Show(double positionX, double positionY, double sizeX,
                                                               double sizeY, double angle, int filterMode,
                                                               double homogeneousValueThreshold,
                                                               double homogeneousValueSensibility)
{
    m_aids[Aid_Homogeneous]->close(false);
    const auto labware = Camera_LiveView_Settings_Data::LabwareGroup::of(positionX, positionY, sizeX, sizeY, angle);
    double tolerance = 0.0;
    int maskSize = 0;
    if (!Camera_LiveView_Aids::HomogeneityFilter(filterMode, tolerance, maskSize)
        || !Camera_LiveView_Aids::IsValidArea(labware) || !std::isfinite(homogeneousValueThreshold)
        || !validSensibility(homogeneousValueSensibility))
        return kInvalidValue;
    m_settings->CameraHomogeneous.Labware = labware;
    m_settings->CameraHomogeneous.Homogeneous.FilterMeanMode = filterMode;
    m_settings->CameraHomogeneous.Homogeneous.Threshold = homogeneousValueThreshold;
    m_settings->CameraHomogeneous.Homogeneous.Sensibility = homogeneousValueSensibility;
    fillControls();
    return openAid(Aid_Homogeneous);
}

Errors::Type_Error Camera_LiveView_Gui::resultThen(Aid aid, double& first, double& second, double& third,
                                                  bool& inTolerance, Automation_Call* call)
{
    first = second = third = 0.0;
    inTolerance = false;
    const Camera_LiveView_AidPanel* panel = m_aids[aid].get();
    return Errors::Type_Error(Camera_LiveView_Timing::waitThen(
        call, [panel] { return panel->isFresh(); },
        [panel, aid, &first, &second, &third, &inTolerance](bool fresh) -> int {
            if (!fresh)
                return kNoPicture;
            const Camera_LiveView_Aids::Result& result = panel->result();
            first = result.current;
            // The aperture hands out its two limits, the others their maximum and lower limit.
            second = aid == Aid_Aperture ? result.lowerLimit : result.maximum;
            third = aid == Aid_Aperture ? result.upperLimit : result.lowerLimit;
            inTolerance = result.inTolerance;
            return kNoError;
        }));
}

Errors::Type_Error Camera_LiveView_Gui::CameraFocus_GetCurrentValue(double& current, double& maximum,
                                                                    double& lowerLimit, bool& inTolerance,
                                                                    Automation_Call* call)
{
    return resultThen(Aid_Focus, current, maximum, lowerLimit, inTolerance, call);
}

Errors::Type_Error Camera_LiveView_Gui::CameraAperture_GetCurrentValue(double& current, double& lowerLimit,
                                                                       double& upperLimit, bool& inTolerance,
                                                                       Automation_Call* call)
{
    return resultThen(Aid_Aperture, current, lowerLimit, upperLimit, inTolerance, call);
}

Errors::Type_Error Camera_LiveView_Gui::CameraHomogeneous_GetCurrentValue(double& current, double& maximum,
                                                                          double& lowerLimit, bool& inTolerance,
                                                                          Automation_Call* call)
{
    return resultThen(Aid_Homogeneous, current, maximum, lowerLimit, inTolerance, call);
}

// ---- Automation: picture and marks -----------------------------------------------------------

Errors::Type_Error Camera_LiveView_Gui::SavePicture(const QString& path, const QString& format, int sizePercent,
                                                   Automation_Call* call)
{
    const bool scaled = sizePercent != 0 && sizePercent != 100;
    if (scaled && (sizePercent < 1 || sizePercent > MaximumSizePercent))
        return kInvalidValue;
    return WaitForPictureThen(call, [this, call, path, format, scaled, sizePercent](Errors::Type_Error error) {
        if (error != kNoError)
            return error;
        Halcon::Hobject plain, shown;
        if (!m_view->dumpViewImage(plain, shown))
            return kNoPicture;
        const auto write = [shown, path, format, scaled, sizePercent]() -> int {
            Halcon::Hobject picture = shown;
            if (scaled) {
                const double factor = sizePercent / 100.0;
                const Halcon::Herror result = Halcon::zoom_image_factor(shown, &picture, factor, factor, "constant");
                HalconRecordError(result);
                if (result != Halcon::kSuccess)
                    return kHalconFailed;
            }
            return Halcon_Helper::SaveImageFile(path, picture, format, false, false);
        };
        // Scaling and encoding take a good part of a second: for a client on another thread.
        return Errors::Type_Error(Automation_Call::runForCall(call, write));
    });
}

// ---- Settings controls ----------------------------------------------------------------------

void Camera_LiveView_Gui::slot_camera_liveView_settings_custom(int number, QVariant data)
{
    if (number != Camera_LiveView_Settings::CustomSignal_Refresh)
        return;
    fillControls();
    if (data.toBool())
        saveSettings();
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraFocus_Labware_PositionX_valueChanged(double d)
{
    edit(m_settings->CameraFocus.Labware.PositionX, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraFocus_Labware_PositionY_valueChanged(double d)
{
    edit(m_settings->CameraFocus.Labware.PositionY, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraFocus_Labware_SizeX_valueChanged(double d)
{
    edit(m_settings->CameraFocus.Labware.SizeX, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraFocus_Labware_SizeY_valueChanged(double d)
{
    edit(m_settings->CameraFocus.Labware.SizeY, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraFocus_Labware_Angle_valueChanged(double d)
{
    edit(m_settings->CameraFocus.Labware.Angle, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraFocus_GradientValue_Threshold_valueChanged(double d)
{
    edit(m_settings->CameraFocus.GradientValue.Threshold, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraFocus_GradientValue_Sensibility_valueChanged(double d)
{
    edit(m_settings->CameraFocus.GradientValue.Sensibility, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraAperture_Labware_PositionX_valueChanged(double d)
{
    edit(m_settings->CameraAperture.Labware.PositionX, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraAperture_Labware_PositionY_valueChanged(double d)
{
    edit(m_settings->CameraAperture.Labware.PositionY, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraAperture_Labware_SizeX_valueChanged(double d)
{
    edit(m_settings->CameraAperture.Labware.SizeX, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraAperture_Labware_SizeY_valueChanged(double d)
{
    edit(m_settings->CameraAperture.Labware.SizeY, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraAperture_Labware_Angle_valueChanged(double d)
{
    edit(m_settings->CameraAperture.Labware.Angle, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraAperture_GrayValue_Center_valueChanged(double d)
{
    edit(m_settings->CameraAperture.GrayValue.Center, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraAperture_GrayValue_Sensibility_valueChanged(double d)
{
    edit(m_settings->CameraAperture.GrayValue.Sensibility, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraHomogeneous_Labware_PositionX_valueChanged(double d)
{
    edit(m_settings->CameraHomogeneous.Labware.PositionX, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraHomogeneous_Labware_PositionY_valueChanged(double d)
{
    edit(m_settings->CameraHomogeneous.Labware.PositionY, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraHomogeneous_Labware_SizeX_valueChanged(double d)
{
    edit(m_settings->CameraHomogeneous.Labware.SizeX, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraHomogeneous_Labware_SizeY_valueChanged(double d)
{
    edit(m_settings->CameraHomogeneous.Labware.SizeY, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraHomogeneous_Labware_Angle_valueChanged(double d)
{
    edit(m_settings->CameraHomogeneous.Labware.Angle, d);
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraHomogeneous_Homogeneous_Threshold_valueChanged(double d)
{
    edit(m_settings->CameraHomogeneous.Homogeneous.Threshold, d);
}

void Camera_LiveView_Gui::slot_QComboBox_CameraHomogeneous_Homogeneous_FilterMeanMode_currentIndexChanged(int index)
{
    // A cleared list is no choice.
    if (index < 0)
        return;
    m_settings->CameraHomogeneous.Homogeneous.FilterMeanMode = index + 1;
    saveSettings();
}

void Camera_LiveView_Gui::slot_QDoubleSpinBox_CameraHomogeneous_Homogeneous_Sensibility_valueChanged(double d)
{
    edit(m_settings->CameraHomogeneous.Homogeneous.Sensibility, d);
}
