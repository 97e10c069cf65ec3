#pragma once

#include "Camera_Settings_CameraList.h"
#include "Camera_Settings_Marks.h"
#include "Errors.h"

#include <QString>
#include <QVariant>
#include <QWidget>

#include <memory>

class Camera;
class Camera_Control;
class Camera_Settings;
class Camera_Settings_FileActions;
class QCheckBox;
class QLabel;
class QSlider;

namespace Ui {
class Camera_Settings_Gui;
}

// The dockable editor of the camera's one settings record. Every edit goes into the record
// at once and reaches the camera through the record's debounced change notice; there is no
// apply step and no undo. Beside the values it shows what the open camera tells (ranges,
// description, versions, EEPROM text), offers the interface's cameras, switches the output
// lines, and keeps the settings file's name with a modified mark, reported as a title.
// GUI thread only; the camera's signals arrive queued.
//
// Widgets are written from the record only while their signals are blocked, so showing
// values never counts as an edit, and showing never rewrites a value: one outside the open
// camera's range or its control's range keeps its value and is marked (Camera_Settings_Marks),
// only a slider stops at the range's end. A slider's ends are the tenths inside the camera's
// range, so that no slider position stands for a value the camera refuses.
class Camera_Settings_Gui : public QWidget {
    Q_OBJECT
public:
    // What the editor reports to its owner, the main window.
    class CallbackFunctions {
    public:
        virtual ~CallbackFunctions() = default;
        virtual void visibilityChanged(bool visible) = 0;
        virtual void titleChanged(QString title) = 0;
    };

    // Neither callbacks (may be null) nor camera is owned; the camera's record is edited.
    Camera_Settings_Gui(CallbackFunctions* callbacks, Camera* camera, QWidget* parent = nullptr);
    ~Camera_Settings_Gui() override;

    // The settings file (Camera_Settings_FileActions says how each one behaves).
    bool saveSettingsFile(const QString& fileName);
    bool setDefaultSettings(const QString& fileName, bool notify);
    QString settingsFileName() const;
    void askSaveChangedSettings();
    bool loadSettingsFile(const QString& fileName, bool notify);
    // false only for a null source.
    bool setSettings(Camera_Settings* source, const QString& fileName, bool notify);

    bool isModified() const { return m_modified; }
    Camera_Settings* settings() const { return m_settings; }
    Camera* camera() const { return m_camera; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void slot_QPushButton_Load_clicked();
    void slot_QPushButton_Save_clicked();
    void slot_QPushButton_SaveAs_clicked();
    void slot_QPushButton_Default_clicked();
    void slot_QPushButton_ExposureTime_Minus_clicked();
    void slot_QPushButton_ExposureTime_Plus_clicked();
    void slot_camera_open();
    void slot_camera_close();
    void slot_camera_error(Errors::Type_Error error);
    void slot_camera_settingsChanged();
    void slot_camera_eepromChanged(QString userString);
    void slot_camera_refused(Errors::Type_Error error, QString parameter, QString value);
    void slot_camera_settings_custom(int number, QVariant data);
    void slot_QPushButton_CameraTypeUpdate_clicked();
    void slot_QPushButton_EEProm_Clear_clicked();
    void slot_QRadioButton_ColorMode_Gray_toggled(bool checked);
    void slot_QRadioButton_ColorMode_Color_toggled(bool checked);
    void slot_QSlider_ExposureTime_valueChanged(int value);
    void slot_QSlider_FrameRate_valueChanged(int value);
    void slot_QGroupBox_FrameRate_toggled(bool on);
    void slot_QSlider_PixelClock_valueChanged(int value);
    void slot_QRadioButton_EdgeEnhancement_Disable_toggled(bool checked);
    void slot_QRadioButton_EdgeEnhancement_Strong_toggled(bool checked);
    void slot_QRadioButton_EdgeEnhancement_Weak_toggled(bool checked);
    void slot_QComboBox_WhiteBalanceMode_currentIndexChanged(int index);
    void slot_QSlider_WhiteBalance_R_valueChanged(int value);
    void slot_QSlider_WhiteBalance_G_valueChanged(int value);
    void slot_QSlider_WhiteBalance_B_valueChanged(int value);
    void slot_QCheckBox_Picture_MirrorLeftRight_toggled(bool checked);
    void slot_QCheckBox_Picture_MirrorUpDown_toggled(bool checked);
    void slot_QComboBox_Picture_Rotate_currentIndexChanged(int index);
    void slot_QSpinBox_Picture_Multiples_valueChanged(int value);
    void slot_QSlider_GainMaster_valueChanged(int value);
    void slot_QSlider_GammaCorrection_valueChanged(int value);
    void slot_QComboBox_Camera_currentIndexChanged(int index);
    void slot_QComboBox_Device_ConnectionMode_currentIndexChanged(int index);
    void slot_QGroupBox_ExternalTrigger_Used_toggled(bool on);
    void slot_QComboBox_ExternalTrigger_TriggerSignal_currentIndexChanged(int index);
    void slot_QSpinBox_ExternalTrigger_TriggerTimeout_valueChanged(int value);
    void slot_QDoubleSpinBox_ExternalTrigger_TriggerDelay_valueChanged(double d);
    void slot_QGroupBox_ExternalFlash_Used_toggled(bool on);
    void slot_QDoubleSpinBox_ExternalFlash_StrobeDelay_valueChanged(double d);
    void slot_QDoubleSpinBox_ExternalFlash_StrobeDuration_valueChanged(double d);
    void slot_QCheckBox_ExternalFlash_StrobeInvert_toggled(bool checked);
    void slot_QCheckBox_IO_OutputGPIO1(bool checked);
    void slot_QCheckBox_IO_OutputGPIO2(bool checked);
    void slot_QCheckBox_IO_OutputFlash(bool checked);
    void slot_QComboBox_CameraInterface_currentIndexChanged(int index);
    void on_m_QGroupBox_Device_UseCameraIniFile_toggled(bool checked);
    void on_m_QLineEdit_Device_CameraIniFile_textChanged(QString arg1);
    void on_m_QPushButton_Device_CameraIniFile_clicked();

private:
    void connectSlots();
    void updateWindowTitle();
    void markModified();
    void updateExposureTimeRange();
    void updateFrameRateRange();
    void updatePixelClockRange();
    void updateInterfaceControls();
    void updateConnectionModeEnabled();
    void updateForm();
    // Marks the values of the slider rows that lie outside their ranges.
    void updateSliderMarks();
    void updateCameraList();
    void updateWhiteBalancePage();
    void updateWhiteBalanceValues();
    void applyFlashOutputRule(bool flashUsed);
    void clearOutputs();
    // Stores an edit into the record, then asks for its change notice and sets the mark.
    template <typename Store>
    void edit(Store store);
    void stepExposureTime(int direction);
    // Switches an output line; a refused switch shows why and puts the box back.
    void switchOutput(QCheckBox* box, bool on, Errors::Type_Error (Camera_Control::*command)(bool));
    void showCameraError(const QString& text);

    std::unique_ptr<Ui::Camera_Settings_Gui> m_ui;
    CallbackFunctions* m_callbacks = nullptr;
    Camera* m_camera = nullptr;
    Camera_Settings* m_settings = nullptr;
    Camera_Settings_FileActions* m_fileActions = nullptr;
    bool m_modified = false;
    Camera_Settings_CameraList m_cameraList;
    Camera_Settings_Marks m_marks;
    // The ranges the camera told last (the defaults while it is closed).
    using Range = Camera_Settings_Marks::Range;
    Range m_exposureRange;
    Range m_frameRateRange;
    Range m_pixelClockRange;
    // The camera's last refusal, named in the box of the error it caused.
    struct Refusal {
        Errors::Type_Error error = 0;
        QString parameter;
        QString value;
    };
    Refusal m_lastRefusal;
};
