#pragma once

#include "Camera_LiveView_AidPanel.h"
#include "Camera_LiveView_Draw.h"
#include "Errors.h"

#include <Hobject.h>

#include <QString>
#include <QVariant>
#include <QWidget>

#include <memory>

class Automation_Call;
class Camera;
class Camera_LiveView_Gui_EventFilter;
class Camera_LiveView_Gui_MouseDraw_CameraAdjustArea;
class Camera_LiveView_Settings;
class Hobject_View_Gui;
class QDockWidget;
class QHideEvent;
class QShowEvent;

namespace Ui {
class Camera_LiveView_Gui;
}

// The camera live view: shows every picture the camera delivers while the view is visible,
// carries the focus, aperture and homogeneity aids with their mouse-drawn measuring areas,
// the named marks the control software draws over the picture, and saves the picture as
// shown. The aid settings live in their own record and file. GUI thread only; the waiting
// operations keep the event loop running, so pictures keep arriving while they wait.
//
// The marks are the view's own (Draw_ClearAll .. Draw_Text, WaitForPicture), drawn on its viewer.
class Camera_LiveView_Gui : public QWidget, public Camera_LiveView_Draw {
    Q_OBJECT
public:
    class CallbackFunctions {
    public:
        virtual ~CallbackFunctions() = default;
        virtual void visibilityChanged(bool visible) = 0;
    };

    static QString pictureName() { return QStringLiteral("LiveImage.Image."); }
    static QString focusPrefix() { return QStringLiteral("LiveImage.CameraFocus."); }
    static QString aperturePrefix() { return QStringLiteral("LiveImage.CameraAperture."); }
    static QString homogeneousPrefix() { return QStringLiteral("LiveImage.CameraHomogeneous."); }
    // A saved picture is scaled by at most this many percent (0 and 100: unscaled).
    static constexpr int MaximumSizePercent = 400;

    // Callbacks and camera are not owned and may be null; a QDockWidget parent is the dock
    // the view lives in.
    Camera_LiveView_Gui(CallbackFunctions* callbacks, Camera* camera, QWidget* parent = nullptr);
    ~Camera_LiveView_Gui() override;

    // The picture as shown, with its marks, at picture resolution, scaled by sizePercent / 100
    // (0 and 100: unscaled; outside 1 .. 400 refused with 3 before anything is made); 15 when
    // no picture is shown in time, 40 when scaling fails, else the code of the picture save.
    Errors::Type_Error SavePicture(const QString& path, const QString& format, int sizePercent,
                                   Automation_Call* call = nullptr);

    // Open an aid with its measuring area and limits (stored in the record, neither saved
    // nor announced). Sizes and sensibilities not above 0, values that are not finite and
    // a filter mode outside 1 .. 13 give 3: the aid is closed then, the record unchanged.
    Errors::Type_Error CameraFocus_Show(double positionX, double positionY, double sizeX, double sizeY, double angle,
                                        double gradientValueThreshold, double gradientValueSensibility);
    Errors::Type_Error CameraAperture_Show(double positionX, double positionY, double sizeX, double sizeY,
                                           double angle, double grayValueCenter, double grayValueSensibility);
    Errors::Type_Error CameraHomogeneous_Show(double positionX, double positionY, double sizeX, double sizeY,
                                              double angle, int filterMode, double homogeneousValueThreshold,
                                              double homogeneousValueSensibility);
    // The latest result, once the aid has one since it was opened; 15 when none comes in
    // time (outputs 0 and false then). With a call the wait is part of it (Automation_Call):
    // the outputs are written when it ends and must live until then.
    Errors::Type_Error CameraFocus_GetCurrentValue(double& current, double& maximum, double& lowerLimit,
                                                   bool& inTolerance, Automation_Call* call = nullptr);
    Errors::Type_Error CameraAperture_GetCurrentValue(double& current, double& lowerLimit, double& upperLimit,
                                                      bool& inTolerance, Automation_Call* call = nullptr);
    Errors::Type_Error CameraHomogeneous_GetCurrentValue(double& current, double& maximum, double& lowerLimit,
                                                         bool& inTolerance, Automation_Call* call = nullptr);

    // One aid on one picture: its outline (and the homogeneity's deviating parts) drawn, its
    // panel filled. A picture or area that gives no measure leaves the result as it was.
    void CameraFocus_Evaluate(const Halcon::Hobject& picture);
    void CameraAperture_Evaluate(const Halcon::Hobject& picture);
    void CameraHomogeneous_Evaluate(const Halcon::Hobject& picture);

    void SetCameraFocusIndicatorColor(const QString& color);
    void SetCameraApertureIndicatorColor(const QString& color);
    void SetCameraHomogeneousIndicatorColor(const QString& color);

    Camera_LiveView_Settings* settings() const { return m_settings; }
    Hobject_View_Gui* view() const { return m_view; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private slots:
    void slot_camera_liveView_settings_custom(int number, QVariant data);
    void slot_QToolButton_Dockable_clicked(bool checked);
    void slot_QDockWidget_Parent_topLevelChanged(bool topLevel);
    void slot_camera_picture(Errors::Type_Error error, Halcon::Hobject hobjectPicture);
    void slot_camera_open();
    void slot_camera_close();
    void slot_update_grabbedFinish();
    void slot_QToolButton_AdjustCameraFocus_clicked(bool);
    void slot_QToolButton_AdjustCameraAperture_clicked(bool);
    void slot_QToolButton_AdjustCameraHomogeneous_clicked(bool);
    void slot_QDoubleSpinBox_CameraFocus_Labware_PositionX_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraFocus_Labware_PositionY_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraFocus_Labware_SizeX_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraFocus_Labware_SizeY_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraFocus_Labware_Angle_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraFocus_GradientValue_Threshold_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraFocus_GradientValue_Sensibility_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraAperture_Labware_PositionX_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraAperture_Labware_PositionY_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraAperture_Labware_SizeX_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraAperture_Labware_SizeY_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraAperture_Labware_Angle_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraAperture_GrayValue_Center_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraAperture_GrayValue_Sensibility_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraHomogeneous_Labware_PositionX_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraHomogeneous_Labware_PositionY_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraHomogeneous_Labware_SizeX_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraHomogeneous_Labware_SizeY_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraHomogeneous_Labware_Angle_valueChanged(double d);
    void slot_QDoubleSpinBox_CameraHomogeneous_Homogeneous_Threshold_valueChanged(double d);
    void slot_QComboBox_CameraHomogeneous_Homogeneous_FilterMeanMode_currentIndexChanged(int index);
    void slot_QDoubleSpinBox_CameraHomogeneous_Homogeneous_Sensibility_valueChanged(double d);

private:
    enum Aid { Aid_Focus = 0, Aid_Aperture = 1, Aid_Homogeneous = 2, Aid_Count = 3 };

    void connectControls();
    // Settings controls from the record, their signals blocked.
    void fillControls();
    // After an edit: the file (not as automation server), the change notice, custom 3.
    void saveSettings();
    // A value entered in the form goes into its field, then the save sequence.
    void edit(double& field, double value);
    void connectCamera();
    void disconnectCamera();
    void setStatePicture(const QString& name);
    void toggleAid(Aid aid);
    // The aid's tools off, its panel hidden, its marks removed (no repaint).
    void closeAid(Aid aid, bool hidePanel);
    bool cancelAidTools(Aid aid);
    bool aidToolsActive(Aid aid) const;
    Errors::Type_Error openAid(Aid aid);
    // The aid's result in the four outputs (in the order its getter hands them out) once it
    // has one; 15 and the outputs left at 0 and false when none comes in time.
    Errors::Type_Error resultThen(Aid aid, double& first, double& second, double& third, bool& inTolerance,
                                  Automation_Call* call);
    void showDockable(bool shown);
    bool isFloatingDock() const;

    std::unique_ptr<Ui::Camera_LiveView_Gui> m_ui;
    QDockWidget* m_parentDock = nullptr;
    CallbackFunctions* m_callbacks = nullptr;
    Camera* m_camera = nullptr;
    Hobject_View_Gui* m_view = nullptr;
    Camera_LiveView_Settings* m_settings = nullptr;
    Camera_LiveView_Gui_MouseDraw_CameraAdjustArea* m_adjustArea = nullptr;
    Camera_LiveView_Gui_EventFilter* m_eventFilter = nullptr;
    bool m_connected = false;
    int m_errorCounter = 0;
    std::unique_ptr<Camera_LiveView_AidPanel> m_aids[Aid_Count];
};
