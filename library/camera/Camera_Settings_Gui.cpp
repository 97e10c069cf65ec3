#include "Camera_Settings_Gui.h"

#include "Camera.h"
#include "Camera_Settings.h"
#include "Camera_Settings_FileActions.h"
#include "ui_Camera_Settings_Gui.h"

#include <Gui_Helper.h>
#include <Gui_Helper_SignalBlocker.h>
#include <LibraryFunctions.h>
#include <MessageBox_Helper.h>
#include <QuendralLibrary.h>

#include <QCloseEvent>
#include <QHideEvent>
#include <QShowEvent>
#include <QSignalBlocker>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Slider position of a value counted in tenths: the integer part of x × 10 + 0.5, held to
// what a slider can take (a file may hold any number).
int tenths(double x)
{
    const double scaled = x * 10.0 + 0.5;
    if (!(scaled > double(INT_MIN)))
        return INT_MIN;
    if (!(scaled < double(INT_MAX)))
        return INT_MAX;
    return int(scaled);
}

int toInt(long value)
{
    return int(std::clamp<long>(value, INT_MIN, INT_MAX));
}

QString oneDecimal(double value)
{
    return QString::asprintf("%.1f", value);
}

QString errorText(Errors::Type_Error error)
{
    return Camera_Settings_Gui::tr("Error: %1").arg(Errors::getErrorText(error));
}

// The ends of a slider that counts tenths: the tenths inside minimum to maximum.
std::pair<int, int> tenthsInside(double minimum, double maximum)
{
    int low = tenths(minimum);
    if (low < INT_MAX && low / 10.0 < minimum)
        ++low;
    int high = tenths(maximum);
    if (high > INT_MIN && high / 10.0 > maximum)
        --high;
    return {low, std::max(low, high)};
}

bool inside(double value, double minimum, double maximum)
{
    return value >= minimum && value <= maximum;
}

// A camera query shown in a read-only field: its text, or why there is none.
template <typename Query>
void showQuery(QLineEdit* field, Query query, const QString& format = QStringLiteral("%1"))
{
    field->clear();
    QString text;
    const Errors::Type_Error error = query(text);
    field->setText(error ? errorText(error) : format.arg(text));
}

} // namespace

// ---- Construction -------------------------------------------------------------------------------

Camera_Settings_Gui::Camera_Settings_Gui(CallbackFunctions* callbacks, Camera* camera, QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::Camera_Settings_Gui>())
    , m_callbacks(callbacks)
    , m_camera(camera)
    , m_settings(camera ? camera->GetSettings() : nullptr)
{
    m_ui->setupUi(this);
    m_marks.addBox(m_ui->m_QSpinBox_Picture_Multiples);
    m_marks.addBox(m_ui->m_QSpinBox_ExternalTrigger_TriggerTimeout);
    m_marks.addBox(m_ui->m_QDoubleSpinBox_ExternalTrigger_TriggerDelay);
    m_marks.addBox(m_ui->m_QDoubleSpinBox_ExternalFlash_StrobeDelay);
    m_marks.addBox(m_ui->m_QDoubleSpinBox_ExternalFlash_StrobeDuration);
    m_fileActions = new Camera_Settings_FileActions(this, m_settings);
    Gui_Helper::setObjectName(this, QString());
    m_ui->m_QSlider_ExposureTime->setRange(0, 50000);
    m_ui->m_QSlider_FrameRate->setRange(0, 1000);
    m_ui->m_QSlider_PixelClock->setRange(5, 100);
    updateWindowTitle();
    m_ui->m_QTabWidget_Settings->setCurrentWidget(m_ui->m_QWidget_Tab_Basic);
    if (m_settings)
        updateForm();
    else
        setEnabled(false); // nothing to edit without a camera and its record
    m_ui->m_QGroupBox_Device_EEProm->hide();
    m_ui->m_QLabel_Device_Information_UEyeDriverVersion->hide();
    m_ui->m_QLineEdit_Device_Information_UEyeDriverVersion->hide();
    Gui_Helper::applyWidgetStyles(this, true, true, true);
    Gui_Helper::restoreWindowLayout(this, QString());
    if (m_settings)
        connectSlots();
}

Camera_Settings_Gui::~Camera_Settings_Gui()
{
    // Nothing the camera, the record or the teardown of the widgets reports may reach the
    // half-destroyed editor.
    if (m_settings)
        disconnect(m_settings, nullptr, this, nullptr);
    if (m_camera)
        disconnect(m_camera, nullptr, this, nullptr);
    for (QWidget* child : findChildren<QWidget*>())
        child->blockSignals(true);
    Gui_Helper::saveWindowLayout(this, QString());
}

void Camera_Settings_Gui::connectSlots()
{
    using Gui = Camera_Settings_Gui;
    Ui::Camera_Settings_Gui* ui = m_ui.get();
    const auto indexChanged = qOverload<int>(&QComboBox::currentIndexChanged);

    connect(ui->m_QPushButton_Load, &QPushButton::clicked, this, &Gui::slot_QPushButton_Load_clicked);
    connect(ui->m_QPushButton_Save, &QPushButton::clicked, this, &Gui::slot_QPushButton_Save_clicked);
    connect(ui->m_QPushButton_SaveAs, &QPushButton::clicked, this, &Gui::slot_QPushButton_SaveAs_clicked);
    connect(ui->m_QPushButton_Default, &QPushButton::clicked, this, &Gui::slot_QPushButton_Default_clicked);
    connect(ui->m_QPushButton_ExposureTime_Minus, &QPushButton::clicked, this,
            &Gui::slot_QPushButton_ExposureTime_Minus_clicked);
    connect(ui->m_QPushButton_ExposureTime_Plus, &QPushButton::clicked, this,
            &Gui::slot_QPushButton_ExposureTime_Plus_clicked);
    connect(m_camera, &Camera::signal_open, this, &Gui::slot_camera_open);
    connect(m_camera, &Camera::signal_close, this, &Gui::slot_camera_close);
    connect(m_camera, &Camera::signal_error, this, &Gui::slot_camera_error);
    connect(m_camera, &Camera::signal_settingsChanged, this, &Gui::slot_camera_settingsChanged);
    connect(m_camera, &Camera::signal_eepromChanged, this, &Gui::slot_camera_eepromChanged);
    connect(m_camera, &Camera::signal_refused, this, &Gui::slot_camera_refused);
    connect(m_settings, &Camera_Settings::signal_custom, this, &Gui::slot_camera_settings_custom);
    connect(ui->m_QPushButton_CameraTypeUpdate, &QPushButton::clicked, this,
            &Gui::slot_QPushButton_CameraTypeUpdate_clicked);
    connect(ui->m_QPushButton_EEProm_Clear, &QPushButton::clicked, this, &Gui::slot_QPushButton_EEProm_Clear_clicked);
    connect(ui->m_QRadioButton_ColorMode_Gray, &QRadioButton::toggled, this,
            &Gui::slot_QRadioButton_ColorMode_Gray_toggled);
    connect(ui->m_QRadioButton_ColorMode_Color, &QRadioButton::toggled, this,
            &Gui::slot_QRadioButton_ColorMode_Color_toggled);
    connect(ui->m_QSlider_ExposureTime, &QSlider::valueChanged, this, &Gui::slot_QSlider_ExposureTime_valueChanged);
    connect(ui->m_QSlider_FrameRate, &QSlider::valueChanged, this, &Gui::slot_QSlider_FrameRate_valueChanged);
    connect(ui->m_QGroupBox_FrameRate, &QGroupBox::toggled, this, &Gui::slot_QGroupBox_FrameRate_toggled);
    connect(ui->m_QSlider_PixelClock, &QSlider::valueChanged, this, &Gui::slot_QSlider_PixelClock_valueChanged);
    connect(ui->m_QRadioButton_EdgeEnhancement_Disable, &QRadioButton::toggled, this,
            &Gui::slot_QRadioButton_EdgeEnhancement_Disable_toggled);
    connect(ui->m_QRadioButton_EdgeEnhancement_Strong, &QRadioButton::toggled, this,
            &Gui::slot_QRadioButton_EdgeEnhancement_Strong_toggled);
    connect(ui->m_QRadioButton_EdgeEnhancement_Weak, &QRadioButton::toggled, this,
            &Gui::slot_QRadioButton_EdgeEnhancement_Weak_toggled);
    connect(ui->m_QComboBox_WhiteBalanceMode, indexChanged, this,
            &Gui::slot_QComboBox_WhiteBalanceMode_currentIndexChanged);
    connect(ui->m_QSlider_WhiteBalance_R, &QSlider::valueChanged, this, &Gui::slot_QSlider_WhiteBalance_R_valueChanged);
    connect(ui->m_QSlider_WhiteBalance_G, &QSlider::valueChanged, this, &Gui::slot_QSlider_WhiteBalance_G_valueChanged);
    connect(ui->m_QSlider_WhiteBalance_B, &QSlider::valueChanged, this, &Gui::slot_QSlider_WhiteBalance_B_valueChanged);
    connect(ui->m_QCheckBox_Picture_MirrorLeftRight, &QCheckBox::toggled, this,
            &Gui::slot_QCheckBox_Picture_MirrorLeftRight_toggled);
    connect(ui->m_QCheckBox_Picture_MirrorUpDown, &QCheckBox::toggled, this,
            &Gui::slot_QCheckBox_Picture_MirrorUpDown_toggled);
    connect(ui->m_QComboBox_Picture_Rotate, indexChanged, this, &Gui::slot_QComboBox_Picture_Rotate_currentIndexChanged);
    connect(ui->m_QSpinBox_Picture_Multiples, &QSpinBox::valueChanged, this,
            &Gui::slot_QSpinBox_Picture_Multiples_valueChanged);
    connect(ui->m_QSlider_GainMaster, &QSlider::valueChanged, this, &Gui::slot_QSlider_GainMaster_valueChanged);
    connect(ui->m_QSlider_GammaCorrection, &QSlider::valueChanged, this,
            &Gui::slot_QSlider_GammaCorrection_valueChanged);
    connect(ui->m_QComboBox_Camera, indexChanged, this, &Gui::slot_QComboBox_Camera_currentIndexChanged);
    connect(ui->m_QComboBox_Device_ConnectionMode, indexChanged, this,
            &Gui::slot_QComboBox_Device_ConnectionMode_currentIndexChanged);
    connect(ui->m_QGroupBox_ExternalTrigger_Used, &QGroupBox::toggled, this,
            &Gui::slot_QGroupBox_ExternalTrigger_Used_toggled);
    connect(ui->m_QComboBox_ExternalTrigger_TriggerSignal, indexChanged, this,
            &Gui::slot_QComboBox_ExternalTrigger_TriggerSignal_currentIndexChanged);
    connect(ui->m_QSpinBox_ExternalTrigger_TriggerTimeout, &QSpinBox::valueChanged, this,
            &Gui::slot_QSpinBox_ExternalTrigger_TriggerTimeout_valueChanged);
    connect(ui->m_QDoubleSpinBox_ExternalTrigger_TriggerDelay, &QDoubleSpinBox::valueChanged, this,
            &Gui::slot_QDoubleSpinBox_ExternalTrigger_TriggerDelay_valueChanged);
    connect(ui->m_QGroupBox_ExternalFlash_Used, &QGroupBox::toggled, this,
            &Gui::slot_QGroupBox_ExternalFlash_Used_toggled);
    connect(ui->m_QDoubleSpinBox_ExternalFlash_StrobeDelay, &QDoubleSpinBox::valueChanged, this,
            &Gui::slot_QDoubleSpinBox_ExternalFlash_StrobeDelay_valueChanged);
    connect(ui->m_QDoubleSpinBox_ExternalFlash_StrobeDuration, &QDoubleSpinBox::valueChanged, this,
            &Gui::slot_QDoubleSpinBox_ExternalFlash_StrobeDuration_valueChanged);
    connect(ui->m_QCheckBox_ExternalFlash_StrobeInvert, &QCheckBox::toggled, this,
            &Gui::slot_QCheckBox_ExternalFlash_StrobeInvert_toggled);
    connect(ui->m_QCheckBox_IO_OutputGPIO1, &QCheckBox::toggled, this, &Gui::slot_QCheckBox_IO_OutputGPIO1);
    connect(ui->m_QCheckBox_IO_OutputGPIO2, &QCheckBox::toggled, this, &Gui::slot_QCheckBox_IO_OutputGPIO2);
    connect(ui->m_QCheckBox_IO_OutputFlash, &QCheckBox::toggled, this, &Gui::slot_QCheckBox_IO_OutputFlash);
    connect(ui->m_QComboBox_CameraInterface, indexChanged, this,
            &Gui::slot_QComboBox_CameraInterface_currentIndexChanged);
}

// ---- Events and file operations -----------------------------------------------------------------

void Camera_Settings_Gui::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_callbacks)
        m_callbacks->visibilityChanged(true);
}

void Camera_Settings_Gui::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (m_callbacks)
        m_callbacks->visibilityChanged(false);
}

void Camera_Settings_Gui::closeEvent(QCloseEvent* event)
{
    askSaveChangedSettings();
    QWidget::closeEvent(event);
}

bool Camera_Settings_Gui::saveSettingsFile(const QString& fileName)
{
    return m_fileActions->saveSettingsFile(fileName);
}

bool Camera_Settings_Gui::setDefaultSettings(const QString& fileName, bool notify)
{
    return m_fileActions->setDefaultSettings(fileName, notify);
}

QString Camera_Settings_Gui::settingsFileName() const
{
    return m_fileActions->fileName();
}

void Camera_Settings_Gui::askSaveChangedSettings()
{
    m_fileActions->askSaveChangedSettings();
}

bool Camera_Settings_Gui::loadSettingsFile(const QString& fileName, bool notify)
{
    return m_fileActions->loadSettingsFile(fileName, notify);
}

bool Camera_Settings_Gui::setSettings(Camera_Settings* source, const QString& fileName, bool notify)
{
    return source && m_fileActions->setSettings(source->data(), fileName, notify);
}

void Camera_Settings_Gui::slot_QPushButton_Load_clicked()
{
    m_fileActions->load();
}

void Camera_Settings_Gui::slot_QPushButton_Save_clicked()
{
    m_fileActions->save();
}

void Camera_Settings_Gui::slot_QPushButton_SaveAs_clicked()
{
    m_fileActions->saveAs();
}

void Camera_Settings_Gui::slot_QPushButton_Default_clicked()
{
    m_fileActions->setDefaults();
}

// ---- Title and modified mark --------------------------------------------------------------------

void Camera_Settings_Gui::updateWindowTitle()
{
    if (!m_callbacks)
        return;
    m_callbacks->titleChanged(tr("%1 Camera settings \"%2\"")
                                  .arg(m_modified ? QStringLiteral("*") : QString(),
                                       Camera_Settings_FileActions::baseName(settingsFileName())));
}

void Camera_Settings_Gui::markModified()
{
    m_settings->setChanged(0);
    m_settings->SetCustom(Camera_Settings::CustomSignal_Modified, QVariant(true));
}

void Camera_Settings_Gui::slot_camera_settings_custom(int number, QVariant data)
{
    switch (number) {
    case Camera_Settings::CustomSignal_Modified:
        m_modified = data.toBool();
        updateWindowTitle();
        break;
    case Camera_Settings::CustomSignal_Refresh:
        updateForm();
        if (data.toBool())
            markModified();
        break;
    default:
        break;
    }
}

// ---- Value edits --------------------------------------------------------------------------------

template <typename Store>
void Camera_Settings_Gui::edit(Store store)
{
    store(m_settings->data());
    // What the camera refused last is told again should it still refuse.
    m_marks.clearRefused();
    updateSliderMarks();
    markModified();
}

void Camera_Settings_Gui::slot_QRadioButton_ColorMode_Gray_toggled(bool checked)
{
    if (!checked)
        return;
    edit([this](Camera_Settings_Data& s) {
        s.Settings.ColorSpace = 1;
        updateWhiteBalancePage();
    });
}

void Camera_Settings_Gui::slot_QRadioButton_ColorMode_Color_toggled(bool checked)
{
    if (!checked)
        return;
    edit([this](Camera_Settings_Data& s) {
        s.Settings.ColorSpace = 2;
        updateWhiteBalancePage();
    });
}

void Camera_Settings_Gui::slot_QSlider_ExposureTime_valueChanged(int value)
{
    edit([this, value](Camera_Settings_Data& s) {
        s.Settings.ExposureTime = value / 10.0;
        m_ui->m_QLabel_ExposureTime->setText(oneDecimal(s.Settings.ExposureTime));
    });
}

void Camera_Settings_Gui::slot_QSlider_FrameRate_valueChanged(int value)
{
    edit([this, value](Camera_Settings_Data& s) {
        s.Settings.FrameRate = value / 10.0;
        m_ui->m_QLabel_FrameRate->setText(oneDecimal(s.Settings.FrameRate));
    });
}

void Camera_Settings_Gui::slot_QGroupBox_FrameRate_toggled(bool on)
{
    edit([on](Camera_Settings_Data& s) { s.Settings.FrameRateMaxMode = !on; });
}

void Camera_Settings_Gui::slot_QSlider_PixelClock_valueChanged(int value)
{
    edit([this, value](Camera_Settings_Data& s) {
        s.Settings.PixelClock = value;
        m_ui->m_QLabel_PixelClock->setText(QString::number(value));
    });
}

void Camera_Settings_Gui::slot_QRadioButton_EdgeEnhancement_Disable_toggled(bool checked)
{
    if (checked)
        edit([](Camera_Settings_Data& s) { s.Settings.EdgeEnhancement = 1; });
}

void Camera_Settings_Gui::slot_QRadioButton_EdgeEnhancement_Strong_toggled(bool checked)
{
    if (checked)
        edit([](Camera_Settings_Data& s) { s.Settings.EdgeEnhancement = 3; });
}

void Camera_Settings_Gui::slot_QRadioButton_EdgeEnhancement_Weak_toggled(bool checked)
{
    if (checked)
        edit([](Camera_Settings_Data& s) { s.Settings.EdgeEnhancement = 2; });
}

void Camera_Settings_Gui::slot_QComboBox_WhiteBalanceMode_currentIndexChanged(int index)
{
    if (index < 0)
        return;
    edit([this, index](Camera_Settings_Data& s) {
        s.Settings.WhiteBalanceMode = index + 1;
        updateWhiteBalanceValues();
    });
}

void Camera_Settings_Gui::slot_QSlider_WhiteBalance_R_valueChanged(int value)
{
    edit([this, value](Camera_Settings_Data& s) {
        s.Settings.WhiteBalanceR = quint16(value);
        m_ui->m_QLabel_WhiteBalance_R->setText(QString::number(value));
    });
}

void Camera_Settings_Gui::slot_QSlider_WhiteBalance_G_valueChanged(int value)
{
    edit([this, value](Camera_Settings_Data& s) {
        s.Settings.WhiteBalanceG = quint16(value);
        m_ui->m_QLabel_WhiteBalance_G->setText(QString::number(value));
    });
}

void Camera_Settings_Gui::slot_QSlider_WhiteBalance_B_valueChanged(int value)
{
    edit([this, value](Camera_Settings_Data& s) {
        s.Settings.WhiteBalanceB = quint16(value);
        m_ui->m_QLabel_WhiteBalance_B->setText(QString::number(value));
    });
}

void Camera_Settings_Gui::slot_QCheckBox_Picture_MirrorLeftRight_toggled(bool checked)
{
    edit([checked](Camera_Settings_Data& s) { s.Picture.MirrorLeftRight = checked; });
}

void Camera_Settings_Gui::slot_QCheckBox_Picture_MirrorUpDown_toggled(bool checked)
{
    edit([checked](Camera_Settings_Data& s) { s.Picture.MirrorUpDown = checked; });
}

void Camera_Settings_Gui::slot_QComboBox_Picture_Rotate_currentIndexChanged(int index)
{
    if (index >= 0)
        edit([index](Camera_Settings_Data& s) { s.Picture.Rotate = index + 1; });
}

void Camera_Settings_Gui::slot_QSpinBox_Picture_Multiples_valueChanged(int value)
{
    const int taken = m_marks.takeValue(m_ui->m_QSpinBox_Picture_Multiples, value);
    edit([taken](Camera_Settings_Data& s) { s.Picture.Multiples = quint16(taken); });
}

void Camera_Settings_Gui::slot_QSlider_GainMaster_valueChanged(int value)
{
    edit([this, value](Camera_Settings_Data& s) {
        s.Settings.GainMaster = quint16(value);
        m_ui->m_QLabel_GainMaster->setText(QString::number(value));
    });
}

void Camera_Settings_Gui::slot_QSlider_GammaCorrection_valueChanged(int value)
{
    edit([this, value](Camera_Settings_Data& s) {
        s.Settings.GammaCorrection = value / 10.0;
        m_ui->m_QLabel_GammaCorrection->setText(oneDecimal(s.Settings.GammaCorrection));
    });
}

void Camera_Settings_Gui::slot_QComboBox_Camera_currentIndexChanged(int index)
{
    if (index < 0 || index >= m_cameraList.size())
        return;
    const CameraListEntry& entry = m_cameraList.at(index);
    edit([this, &entry](Camera_Settings_Data& s) {
        s.Device.CameraType = entry.cameraType;
        s.Device.CameraDevice = entry.device;
        s.Device.CameraSerialNumber = entry.serialNumber;
        updateConnectionModeEnabled();
    });
}

void Camera_Settings_Gui::slot_QComboBox_Device_ConnectionMode_currentIndexChanged(int index)
{
    if (index >= 0)
        edit([index](Camera_Settings_Data& s) { s.Device.ConnectionMode = index + 1; });
}

void Camera_Settings_Gui::slot_QGroupBox_ExternalTrigger_Used_toggled(bool on)
{
    edit([this, on](Camera_Settings_Data& s) {
        s.ExternalTrigger.Used = on;
        if (!on)
            m_camera->AbortGrab();
    });
}

void Camera_Settings_Gui::slot_QComboBox_ExternalTrigger_TriggerSignal_currentIndexChanged(int index)
{
    if (index >= 0)
        edit([index](Camera_Settings_Data& s) { s.ExternalTrigger.TriggerSignal = index + 1; });
}

void Camera_Settings_Gui::slot_QSpinBox_ExternalTrigger_TriggerTimeout_valueChanged(int value)
{
    const int taken = m_marks.takeValue(m_ui->m_QSpinBox_ExternalTrigger_TriggerTimeout, value);
    edit([taken](Camera_Settings_Data& s) { s.ExternalTrigger.TriggerTimeout = quint32(std::max(taken, 0)); });
}

void Camera_Settings_Gui::slot_QDoubleSpinBox_ExternalTrigger_TriggerDelay_valueChanged(double d)
{
    const double taken = m_marks.takeValue(m_ui->m_QDoubleSpinBox_ExternalTrigger_TriggerDelay, d);
    edit([taken](Camera_Settings_Data& s) { s.ExternalTrigger.TriggerDelay = taken; });
}

void Camera_Settings_Gui::slot_QGroupBox_ExternalFlash_Used_toggled(bool on)
{
    // The flash output goes off while it is still the editor's to switch: once the record
    // gives the line to the flash, the camera refuses the command.
    applyFlashOutputRule(on);
    edit([on](Camera_Settings_Data& s) { s.ExternalFlash.Used = on; });
}

void Camera_Settings_Gui::slot_QDoubleSpinBox_ExternalFlash_StrobeDelay_valueChanged(double d)
{
    const double taken = m_marks.takeValue(m_ui->m_QDoubleSpinBox_ExternalFlash_StrobeDelay, d);
    edit([taken](Camera_Settings_Data& s) { s.ExternalFlash.StrobeDelay = taken; });
}

void Camera_Settings_Gui::slot_QDoubleSpinBox_ExternalFlash_StrobeDuration_valueChanged(double d)
{
    const double taken = m_marks.takeValue(m_ui->m_QDoubleSpinBox_ExternalFlash_StrobeDuration, d);
    edit([taken](Camera_Settings_Data& s) { s.ExternalFlash.StrobeDuration = taken; });
}

void Camera_Settings_Gui::slot_QCheckBox_ExternalFlash_StrobeInvert_toggled(bool checked)
{
    edit([checked](Camera_Settings_Data& s) { s.ExternalFlash.StrobeInvert = checked; });
}

void Camera_Settings_Gui::slot_QComboBox_CameraInterface_currentIndexChanged(int index)
{
    if (index < 0)
        return;
    edit([this, index](Camera_Settings_Data& s) {
        s.Device.CameraInterface = index + 1;
        updateInterfaceControls();
        updateConnectionModeEnabled();
        updateCameraList();
    });
}

void Camera_Settings_Gui::on_m_QGroupBox_Device_UseCameraIniFile_toggled(bool checked)
{
    if (m_settings)
        edit([checked](Camera_Settings_Data& s) { s.Device.UseCameraIniFile = checked; });
}

void Camera_Settings_Gui::on_m_QLineEdit_Device_CameraIniFile_textChanged(QString arg1)
{
    if (m_settings)
        edit([&arg1](Camera_Settings_Data& s) { s.Device.CameraIniFile = arg1; });
}

void Camera_Settings_Gui::slot_QPushButton_ExposureTime_Minus_clicked()
{
    stepExposureTime(-1);
}

void Camera_Settings_Gui::slot_QPushButton_ExposureTime_Plus_clicked()
{
    stepExposureTime(1);
}

void Camera_Settings_Gui::stepExposureTime(int direction)
{
    QSlider* slider = m_ui->m_QSlider_ExposureTime;
    const double current = m_settings->Settings.ExposureTime;
    const bool room = direction < 0 ? slider->minimum() < current * 10.0 : slider->maximum() > current * 10.0;
    if (!room)
        return;
    const int position = std::clamp(tenths(current + direction * 0.1), slider->minimum(), slider->maximum());
    if (position != slider->value())
        slider->setValue(position); // its own edit stores the value
    else
        slot_QSlider_ExposureTime_valueChanged(position); // a value beyond the range comes back to its end
}

// ---- Ranges -------------------------------------------------------------------------------------

namespace {

struct RangeWidgets {
    QSlider* slider;
    QLabel* minimum;
    QLabel* maximum;
    QLabel* value;
};

// The slider spans the range; the labels tell the range and the record's own value, which
// the slider shows at the range's end when it lies beyond.
void showRange(const RangeWidgets& w, int minimum, int maximum, int position, const QString& minimumText,
               const QString& maximumText, const QString& valueText)
{
    w.slider->setRange(minimum, maximum);
    w.slider->setValue(position);
    w.value->setText(valueText);
    w.minimum->setText(minimumText);
    w.maximum->setText(maximumText);
}

// The labels name the ends the slider reaches: a camera's 0.01 is no 0.0 the slider could take.
void showTenthsRange(const RangeWidgets& w, double minimum, double maximum, double value)
{
    const auto [low, high] = tenthsInside(minimum, maximum);
    showRange(w, low, high, tenths(value), oneDecimal(low / 10.0), oneDecimal(high / 10.0), oneDecimal(value));
}

} // namespace

void Camera_Settings_Gui::updateExposureTimeRange()
{
    double minimum = 0.0, maximum = 0.0;
    if (!m_camera || m_camera->GetExposureRange(minimum, maximum)) {
        minimum = 0.01;
        maximum = 5000.0;
    }
    const double span = maximum - minimum;
    Gui_Helper_SignalBlocker blocker(this);
    Ui::Camera_Settings_Gui* ui = m_ui.get();
    ui->m_QSlider_ExposureTime->setTickInterval(span < 500 ? 50 : span < 1000 ? 100 : span < 2000 ? 200 : 500);
    showTenthsRange({ui->m_QSlider_ExposureTime, ui->m_QLabel_ExposureTime_Minimum, ui->m_QLabel_ExposureTime_Maximum,
                     ui->m_QLabel_ExposureTime},
                    minimum, maximum, m_settings->Settings.ExposureTime);
    m_exposureRange = {minimum, maximum};
    updateSliderMarks();
}

void Camera_Settings_Gui::updateFrameRateRange()
{
    double minimum = 0.0, maximum = 0.0;
    if (!m_camera || m_camera->GetFrameRateRange(minimum, maximum)) {
        minimum = 0.01;
        maximum = 100.0;
    }
    const double span = maximum - minimum;
    Gui_Helper_SignalBlocker blocker(this);
    Ui::Camera_Settings_Gui* ui = m_ui.get();
    ui->m_QSlider_FrameRate->setTickInterval(span < 20 ? 2 : span < 40 ? 4 : 5);
    showTenthsRange({ui->m_QSlider_FrameRate, ui->m_QLabel_FrameRate_Minimum, ui->m_QLabel_FrameRate_Maximum,
                     ui->m_QLabel_FrameRate},
                    minimum, maximum, m_settings->Settings.FrameRate);
    m_frameRateRange = {minimum, maximum};
    updateSliderMarks();
}

void Camera_Settings_Gui::updatePixelClockRange()
{
    long minimum = 0, maximum = 0;
    if (!m_camera || m_camera->GetPixelClockRange(minimum, maximum)) {
        minimum = 5;
        maximum = 100;
    }
    const qint32 value = m_settings->Settings.PixelClock;
    Gui_Helper_SignalBlocker blocker(this);
    Ui::Camera_Settings_Gui* ui = m_ui.get();
    showRange({ui->m_QSlider_PixelClock, ui->m_QLabel_PixelClock_Minimum, ui->m_QLabel_PixelClock_Maximum,
               ui->m_QLabel_PixelClock},
              toInt(minimum), toInt(maximum), value, QString::number(minimum), QString::number(maximum),
              QString::number(value));
    m_pixelClockRange = {double(minimum), double(maximum)};
    updateSliderMarks();
}

void Camera_Settings_Gui::updateSliderMarks()
{
    const Camera_Settings_Data::SettingsGroup& s = m_settings->Settings;
    Ui::Camera_Settings_Gui* ui = m_ui.get();
    const auto mark = [this](QWidget* label, double value, Range range) {
        m_marks.setOutOfRange(label, !inside(value, range.minimum, range.maximum), QString::number(range.minimum),
                              QString::number(range.maximum));
    };
    const auto sliderRange = [](const QSlider* slider, double unit) {
        return Range{slider->minimum() * unit, slider->maximum() * unit};
    };
    mark(ui->m_QLabel_ExposureTime, s.ExposureTime, m_exposureRange);
    mark(ui->m_QLabel_FrameRate, s.FrameRate, m_frameRateRange);
    mark(ui->m_QLabel_PixelClock, s.PixelClock, m_pixelClockRange);
    mark(ui->m_QLabel_GainMaster, s.GainMaster, sliderRange(ui->m_QSlider_GainMaster, 1.0));
    mark(ui->m_QLabel_GammaCorrection, s.GammaCorrection, sliderRange(ui->m_QSlider_GammaCorrection, 0.1));
    mark(ui->m_QLabel_WhiteBalance_R, s.WhiteBalanceR, sliderRange(ui->m_QSlider_WhiteBalance_R, 1.0));
    mark(ui->m_QLabel_WhiteBalance_G, s.WhiteBalanceG, sliderRange(ui->m_QSlider_WhiteBalance_G, 1.0));
    mark(ui->m_QLabel_WhiteBalance_B, s.WhiteBalanceB, sliderRange(ui->m_QSlider_WhiteBalance_B, 1.0));
}

// ---- Record to form -----------------------------------------------------------------------------

void Camera_Settings_Gui::updateForm()
{
    Gui_Helper_SignalBlocker blocker(this);
    Ui::Camera_Settings_Gui* ui = m_ui.get();
    const Camera_Settings_Data& s = m_settings->data();

    (s.Settings.ColorSpace == 2 ? ui->m_QRadioButton_ColorMode_Color : ui->m_QRadioButton_ColorMode_Gray)
        ->setChecked(true);
    updateWhiteBalancePage();

    // The ranges depend on these three, so an open camera gets them before it is asked.
    m_camera->SetPixelClock(s.Settings.PixelClock);
    updatePixelClockRange();
    m_camera->SetFrameRate(s.Settings.FrameRate, s.Settings.FrameRateMaxMode);
    updateFrameRateRange();
    ui->m_QGroupBox_FrameRate->setChecked(!s.Settings.FrameRateMaxMode);
    m_camera->SetExposure(s.Settings.ExposureTime);
    updateExposureTimeRange();

    ui->m_QCheckBox_Picture_MirrorLeftRight->setChecked(s.Picture.MirrorLeftRight);
    ui->m_QCheckBox_Picture_MirrorUpDown->setChecked(s.Picture.MirrorUpDown);
    ui->m_QComboBox_Picture_Rotate->setCurrentIndex(s.Picture.Rotate - 1);
    m_marks.showValue(ui->m_QSpinBox_Picture_Multiples, s.Picture.Multiples);

    QRadioButton* edge = ui->m_QRadioButton_EdgeEnhancement_Disable;
    if (s.Settings.EdgeEnhancement == 2)
        edge = ui->m_QRadioButton_EdgeEnhancement_Weak;
    else if (s.Settings.EdgeEnhancement == 3)
        edge = ui->m_QRadioButton_EdgeEnhancement_Strong;
    edge->setChecked(true);

    ui->m_QSlider_GainMaster->setValue(s.Settings.GainMaster);
    ui->m_QLabel_GainMaster->setText(QString::number(s.Settings.GainMaster));
    ui->m_QSlider_GammaCorrection->setValue(tenths(s.Settings.GammaCorrection));
    ui->m_QLabel_GammaCorrection->setText(oneDecimal(s.Settings.GammaCorrection));

    ui->m_QComboBox_WhiteBalanceMode->setCurrentIndex(s.Settings.WhiteBalanceMode - 1);
    updateWhiteBalanceValues();
    const std::pair<QSlider*, QLabel*> balance[3] = {{ui->m_QSlider_WhiteBalance_R, ui->m_QLabel_WhiteBalance_R},
                                                     {ui->m_QSlider_WhiteBalance_G, ui->m_QLabel_WhiteBalance_G},
                                                     {ui->m_QSlider_WhiteBalance_B, ui->m_QLabel_WhiteBalance_B}};
    const quint16 gains[3] = {s.Settings.WhiteBalanceR, s.Settings.WhiteBalanceG, s.Settings.WhiteBalanceB};
    for (int i = 0; i < 3; ++i) {
        balance[i].first->setValue(gains[i]);
        balance[i].second->setText(QString::number(gains[i]));
    }
    updateSliderMarks();

    ui->m_QGroupBox_ExternalTrigger_Used->setChecked(s.ExternalTrigger.Used);
    ui->m_QComboBox_ExternalTrigger_TriggerSignal->setCurrentIndex(s.ExternalTrigger.TriggerSignal - 1);
    m_marks.showValue(ui->m_QSpinBox_ExternalTrigger_TriggerTimeout, s.ExternalTrigger.TriggerTimeout);
    m_marks.showValue(ui->m_QDoubleSpinBox_ExternalTrigger_TriggerDelay, s.ExternalTrigger.TriggerDelay);

    ui->m_QGroupBox_ExternalFlash_Used->setChecked(s.ExternalFlash.Used);
    m_marks.showValue(ui->m_QDoubleSpinBox_ExternalFlash_StrobeDelay, s.ExternalFlash.StrobeDelay);
    m_marks.showValue(ui->m_QDoubleSpinBox_ExternalFlash_StrobeDuration, s.ExternalFlash.StrobeDuration);
    ui->m_QCheckBox_ExternalFlash_StrobeInvert->setChecked(s.ExternalFlash.StrobeInvert);

    ui->m_QComboBox_Device_ConnectionMode->setCurrentIndex(s.Device.ConnectionMode - 1);
    ui->m_QGroupBox_Device_UseCameraIniFile->setChecked(s.Device.UseCameraIniFile);
    ui->m_QLineEdit_Device_CameraIniFile->setText(s.Device.CameraIniFile);

    updateConnectionModeEnabled();
    applyFlashOutputRule(s.ExternalFlash.Used);
    updateInterfaceControls();
    updateCameraList();
    ui->m_QComboBox_CameraInterface->setCurrentIndex(s.Device.CameraInterface - 1);
}

// ---- Enabling and visibility rules --------------------------------------------------------------

void Camera_Settings_Gui::updateWhiteBalancePage()
{
    m_ui->m_QWidget_Tab_WhiteBalance->setEnabled(m_settings->Settings.ColorSpace == 2);
}

void Camera_Settings_Gui::updateWhiteBalanceValues()
{
    m_ui->m_QWidget_WhiteBalance->setEnabled(m_settings->Settings.WhiteBalanceMode == 4);
}

void Camera_Settings_Gui::applyFlashOutputRule(bool flashUsed)
{
    QCheckBox* box = m_ui->m_QCheckBox_IO_OutputFlash;
    // Disabled first: the output command an unchecking sends must not put the box back.
    box->setEnabled(!flashUsed);
    if (flashUsed)
        box->setChecked(false);
}

void Camera_Settings_Gui::updateConnectionModeEnabled()
{
    const bool enabled = !CameraListEntry::of(m_settings->Device).isDefault();
    m_ui->m_QLabel_Device_ConnectionMode->setEnabled(enabled);
    m_ui->m_QComboBox_Device_ConnectionMode->setEnabled(enabled);
}

void Camera_Settings_Gui::updateInterfaceControls()
{
    const int cameraInterface = m_settings->Device.CameraInterface;
    if (cameraInterface != 1 && cameraInterface != 2)
        return;
    const bool uEye = cameraInterface == 1;
    Ui::Camera_Settings_Gui* ui = m_ui.get();
    const QList<QWidget*> uEyeOnly = {ui->m_QGroupBox_EdgeEnhancement,
                                      ui->m_QGroupBox_PixelClock,
                                      ui->m_QGroupBox_Device_EEProm,
                                      ui->m_QLabel_Device_ConnectionMode,
                                      ui->m_QComboBox_Device_ConnectionMode,
                                      ui->m_QLabel_Device_Information_UEyeDriverVersion,
                                      ui->m_QLineEdit_Device_Information_UEyeDriverVersion};
    for (QWidget* widget : uEyeOnly)
        widget->setVisible(uEye);
    if (!uEye)
        return;
    int major = 0, minor = 0, build = 0, revision = 0;
    const Errors::Type_Error error = Camera_Control::GetUeyeDriverVersion(major, minor, build, revision);
    ui->m_QLineEdit_Device_Information_UEyeDriverVersion->setText(
        error ? errorText(error) : QStringLiteral("V%1.%2.%3.%4").arg(major).arg(minor).arg(build).arg(revision));
}

// ---- Camera list --------------------------------------------------------------------------------

void Camera_Settings_Gui::updateCameraList()
{
    Gui_Helper_SignalBlocker blocker(this);
    if (m_cameraList.rebuild(m_settings->Device, *m_camera)) {
        if (!QuendralLibrary::IsAutomationServer())
            MessageBox_Helper::critical(this, tr("Error"), tr("Cannot update the camera list!"), QMessageBox::Ok);
        return;
    }
    QComboBox* combo = m_ui->m_QComboBox_Camera;
    combo->clear();
    combo->addItems(m_cameraList.texts());
    combo->setCurrentIndex(0);
    const int own = m_cameraList.indexOf(m_settings->Device);
    if (own >= 0)
        combo->setCurrentIndex(own);
}

void Camera_Settings_Gui::slot_QPushButton_CameraTypeUpdate_clicked()
{
    updateCameraList();
}

// ---- Camera events ------------------------------------------------------------------------------

void Camera_Settings_Gui::clearOutputs()
{
    Gui_Helper_SignalBlocker blocker(this);
    m_ui->m_QCheckBox_IO_OutputGPIO1->setChecked(false);
    m_ui->m_QCheckBox_IO_OutputGPIO2->setChecked(false);
    m_ui->m_QCheckBox_IO_OutputFlash->setChecked(false);
}

void Camera_Settings_Gui::slot_camera_open()
{
    // The camera took every value of the open.
    m_marks.clearRefused();
    clearOutputs();
    updatePixelClockRange();
    updateFrameRateRange();
    updateExposureTimeRange();
    Ui::Camera_Settings_Gui* ui = m_ui.get();
    showQuery(ui->m_QLineEdit_EEProm_Content, [this](QString& text) { return m_camera->GetEepromContent(text); });
    showQuery(ui->m_QLineEdit_Device_Information_CameraDescription,
              [this](QString& text) { return m_camera->GetCameraType(text); });
    showQuery(ui->m_QLineEdit_Device_Information_HalconInterfaceVersion,
              [this](QString& text) { return m_camera->GetRevision(text); }, QStringLiteral("V%1"));
}

void Camera_Settings_Gui::slot_camera_close()
{
    clearOutputs();
    m_ui->m_QLineEdit_EEProm_Content->clear();
    m_ui->m_QLineEdit_Device_Information_CameraDescription->clear();
    m_ui->m_QLineEdit_Device_Information_HalconInterfaceVersion->clear();
}

void Camera_Settings_Gui::slot_camera_error(Errors::Type_Error error)
{
    QString text = tr("Error: %1!").arg(Errors::getErrorText(error));
    if (m_lastRefusal.error == error && !m_lastRefusal.parameter.isEmpty())
        text += QLatin1Char('\n') + tr("The camera refused %1 = %2.").arg(m_lastRefusal.parameter, m_lastRefusal.value);
    m_lastRefusal = Refusal();
    showCameraError(text);
}

void Camera_Settings_Gui::slot_camera_refused(Errors::Type_Error error, QString parameter, QString value)
{
    m_lastRefusal = {error, parameter, value};
    Ui::Camera_Settings_Gui* ui = m_ui.get();
    const QHash<QString, QWidget*> displays = {
        {QStringLiteral("exposure"), ui->m_QLabel_ExposureTime},
        {QStringLiteral("frame_rate"), ui->m_QLabel_FrameRate},
        {QStringLiteral("pixel_clock"), ui->m_QLabel_PixelClock},
        {QStringLiteral("gain_master"), ui->m_QLabel_GainMaster},
        {QStringLiteral("gamma"), ui->m_QLabel_GammaCorrection},
        {QStringLiteral("gain_r"), ui->m_QLabel_WhiteBalance_R},
        {QStringLiteral("gain_g"), ui->m_QLabel_WhiteBalance_G},
        {QStringLiteral("gain_b"), ui->m_QLabel_WhiteBalance_B},
        {QStringLiteral("grab_timeout"), ui->m_QSpinBox_ExternalTrigger_TriggerTimeout},
        {QStringLiteral("api_timeout"), ui->m_QSpinBox_ExternalTrigger_TriggerTimeout},
        {QStringLiteral("trigger_delay"), ui->m_QDoubleSpinBox_ExternalTrigger_TriggerDelay},
        {QStringLiteral("exposure_delay"), ui->m_QDoubleSpinBox_ExternalTrigger_TriggerDelay},
        {QStringLiteral("strobe_delay"), ui->m_QDoubleSpinBox_ExternalFlash_StrobeDelay},
        {QStringLiteral("strobe_duration"), ui->m_QDoubleSpinBox_ExternalFlash_StrobeDuration}};
    if (QWidget* display = displays.value(parameter))
        m_marks.setRefused(display, parameter, value, Errors::getErrorText(error));
}

void Camera_Settings_Gui::showCameraError(const QString& text)
{
    MessageBox_Helper::critical(this, tr("Camera error"), text, QMessageBox::Ok);
}

void Camera_Settings_Gui::slot_camera_settingsChanged()
{
    updatePixelClockRange();
    updateFrameRateRange();
    updateExposureTimeRange();
}

void Camera_Settings_Gui::slot_camera_eepromChanged(QString userString)
{
    m_ui->m_QLineEdit_EEProm_Content->setText(userString);
}

void Camera_Settings_Gui::slot_QPushButton_EEProm_Clear_clicked()
{
    if (MessageBox_Helper::question(this, tr("Camera EEProm content"), tr("Do you want clear the camera EEProm content?"),
                                    QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (const Errors::Type_Error error = m_camera->SetEepromContent(QString()))
        m_ui->m_QLineEdit_EEProm_Content->setText(errorText(error));
}

void Camera_Settings_Gui::switchOutput(QCheckBox* box, bool on, Errors::Type_Error (Camera_Control::*command)(bool))
{
    const Errors::Type_Error error = (m_camera->*command)(on);
    if (!error)
        return;
    showCameraError(tr("%1!").arg(Errors::getErrorText(error)));
    // The box tells the line's state; a box disabled by a rule keeps what the rule set.
    if (box->isEnabled()) {
        const QSignalBlocker blocker(box);
        box->setChecked(!on);
    }
}

void Camera_Settings_Gui::slot_QCheckBox_IO_OutputGPIO1(bool checked)
{
    switchOutput(m_ui->m_QCheckBox_IO_OutputGPIO1, checked, &Camera::SetDigitalIoPort);
}

void Camera_Settings_Gui::slot_QCheckBox_IO_OutputGPIO2(bool checked)
{
    switchOutput(m_ui->m_QCheckBox_IO_OutputGPIO2, checked, &Camera::SetDigitalIoPort2);
}

void Camera_Settings_Gui::slot_QCheckBox_IO_OutputFlash(bool checked)
{
    switchOutput(m_ui->m_QCheckBox_IO_OutputFlash, checked, &Camera::SetDigitalOutput);
}

void Camera_Settings_Gui::on_m_QPushButton_Device_CameraIniFile_clicked()
{
    const QString current = m_ui->m_QLineEdit_Device_CameraIniFile->text();
    const QString file = MessageBox_Helper::getOpenFileName(
        this, tr("Camera ini file ..."), current.isEmpty() ? Camera_Settings::settingsFolder() : current,
        QStringLiteral("*.ini"));
    setCurrentDirToApplicationDir();
    if (!file.isEmpty())
        m_ui->m_QLineEdit_Device_CameraIniFile->setText(toApplicationRelativePath(file));
}
