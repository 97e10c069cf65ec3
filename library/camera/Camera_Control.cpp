#include "Camera_Control.h"

#include "Camera_Settings.h"
#include "Camera_Timing.h"

#include <HalconAcquisition.h>

#include <QFileInfo>
#include <QStringList>

#include <chrono>
#include <climits>
#include <cmath>
#include <thread>

using Halcon::HTuple;

namespace {

// Kinds a setter acts on, as bits of Camera_Control::Enum_CameraKind.
enum KindBits : unsigned { UEye = 1u << 1, UEyeXS = 1u << 2, LuCam = 1u << 3, AllKinds = UEye | UEyeXS | LuCam };

constexpr int kUnlimitedWaitMs = 200000000;
constexpr int kEepromLength = 64;
constexpr int kScanTries = 100;

HTuple onOff(bool on, const char* yes, const char* no)
{
    return HTuple(on ? yes : no);
}

QString text(const HTuple& value)
{
    return QString::fromStdString(value.S());
}

} // namespace

Camera_Control::Camera_Control(Camera_Settings* settings)
    : m_settings(settings)
{
}

Camera_Control::~Camera_Control() = default;

void Camera_Control::eepromChanged(const QString&)
{
}

void Camera_Control::parameterRefused(Errors::Type_Error, const QString&, const QString&)
{
}

bool Camera_Control::grabWaitsForEdge() const
{
    return m_externalTrigger && (m_kind != Kind_UEye || m_edgeTriggerSignal);
}

// ---- Driver ------------------------------------------------------------------------------------

Errors::Type_Error Camera_Control::GetUeyeDriverVersion(int& major, int& minor, int& build, int& revision)
{
    major = minor = build = revision = 0;
    HTuple information, values;
    if (Halcon::info_framegrabber("uEye", "driver_version", &information, &values) != Halcon::H_MSG_TRUE
        || values.Length() < 4)
        return 10;
    major = values[0].I();
    minor = values[1].I();
    build = values[2].I();
    revision = values[3].I();
    return 0;
}

Errors::Type_Error Camera_Control::CheckDriverVersion()
{
    int major = 0, minor = 0, build = 0, revision = 0;
    if (const Errors::Type_Error error = GetUeyeDriverVersion(major, minor, build, revision))
        return error;
    return major * 1000 + minor < 4010 ? 11 : 0;
}

// ---- Parameter access --------------------------------------------------------------------------

Errors::Type_Error Camera_Control::setParameter(const char* name, const HTuple& value, Errors::Type_Error error)
{
    const int acqHandle = m_handle;
    if (acqHandle == -1)
        return 13;
    if (Halcon::set_framegrabber_param(HTuple(acqHandle), name, value) == Halcon::H_MSG_TRUE)
        return 0;
    QStringList values;
    for (const Halcon::HValue& v : value.Values())
        values.append(QString::fromStdString(v.S()));
    parameterRefused(error, QString::fromLatin1(name), values.join(QLatin1Char(',')));
    return error;
}

Errors::Type_Error Camera_Control::getParameter(const char* name, HTuple& value, Errors::Type_Error error)
{
    const int acqHandle = m_handle;
    if (acqHandle == -1)
        return 13;
    return Halcon::get_framegrabber_param(HTuple(acqHandle), name, &value) == Halcon::H_MSG_TRUE ? 0 : error;
}

int Camera_Control::passOver(unsigned kinds) const
{
    if (m_handle == -1)
        return 13;
    return (kinds & (1u << m_kind)) ? -1 : 0;
}

Errors::Type_Error Camera_Control::getRange(const char* name, double& minimum, double& maximum,
                                            Errors::Type_Error error)
{
    minimum = maximum = 0.0;
    HTuple range;
    if (const Errors::Type_Error e = getParameter(name, range, error))
        return e;
    if (range.Length() < 2)
        return error;
    minimum = range[0].D();
    maximum = range[1].D();
    return 0;
}

Errors::Type_Error Camera_Control::GetExposureRange(double& minimum, double& maximum)
{
    return getRange("exposure_range", minimum, maximum, 25);
}

Errors::Type_Error Camera_Control::GetFrameRateRange(double& minimum, double& maximum)
{
    return getRange("frame_rate_range", minimum, maximum, 25);
}

Errors::Type_Error Camera_Control::GetPixelClockRange(long& minimum, long& maximum)
{
    double low = 0.0, high = 0.0;
    const Errors::Type_Error error = getRange("pixel_clock_range", low, high, 21);
    minimum = long(low);
    maximum = long(high);
    return error;
}

Errors::Type_Error Camera_Control::GetRevision(QString& revision)
{
    revision.clear();
    HTuple value;
    if (const Errors::Type_Error error = getParameter("revision", value, 20))
        return error;
    revision = text(value);
    return 0;
}

Errors::Type_Error Camera_Control::GetCameraType(QString& cameraType)
{
    cameraType.clear();
    HTuple value;
    if (const Errors::Type_Error error = getParameter("camera_type", value, 20))
        return error;
    cameraType = text(value);
    return 0;
}

// ---- Setters by camera kind --------------------------------------------------------------------

Errors::Type_Error Camera_Control::SetGrabTimeout(int milliseconds)
{
    return setParameter("grab_timeout", HTuple(milliseconds), 21);
}

Errors::Type_Error Camera_Control::SetApiTimeout(int milliseconds)
{
    if (const int code = passOver(UEye | UEyeXS); code >= 0)
        return Errors::Type_Error(code);
    return setParameter("api_timeout", HTuple(milliseconds), 21);
}

Errors::Type_Error Camera_Control::SetExposure(double exposure)
{
    return setParameter("exposure", HTuple(exposure), 25);
}

Errors::Type_Error Camera_Control::SetFrameRate(double frameRate, bool maximum)
{
    if (const int code = passOver(AllKinds); code >= 0)
        return Errors::Type_Error(code);
    if (m_kind == Kind_LuCam)
        return setParameter("frame_rate", HTuple(maximum ? 100.0 : frameRate), 25);
    if (maximum) {
        double minimum = 0.0;
        if (const Errors::Type_Error error = GetFrameRateRange(minimum, frameRate))
            return error;
    }
    return setParameter("frame_rate", HTuple(frameRate), 25);
}

Errors::Type_Error Camera_Control::SetPixelClock(int pixelClock)
{
    if (const int code = passOver(UEye | UEyeXS); code >= 0)
        return Errors::Type_Error(code);
    return setParameter("pixel_clock", HTuple(pixelClock), 21);
}

Errors::Type_Error Camera_Control::SetEdgeEnhancement(int edgeEnhancement)
{
    if (const int code = passOver(UEye | UEyeXS); code >= 0)
        return Errors::Type_Error(code);
    return setParameter("edge_enhancement", HTuple(Camera_Settings::EdgeEnhancementName(edgeEnhancement).toStdString()),
                        21);
}

Errors::Type_Error Camera_Control::SetGainMaster(int gain)
{
    if (const int code = passOver(AllKinds); code >= 0)
        return Errors::Type_Error(code);
    return setParameter("gain_master", m_kind == Kind_LuCam ? HTuple(gain + 1.0) : HTuple(gain), 21);
}

Errors::Type_Error Camera_Control::SetGamma(double gamma)
{
    if (const int code = passOver(UEye | LuCam); code >= 0)
        return Errors::Type_Error(code);
    return setParameter("gamma", HTuple(gamma), 21);
}

Errors::Type_Error Camera_Control::SetFlip(bool leftRight, bool upDown)
{
    if (const int code = passOver(AllKinds); code >= 0)
        return Errors::Type_Error(code);
    if (m_kind == Kind_LuCam) {
        // LuCam cameras cannot mirror; the grab does it.
        m_mirrorLeftRight = leftRight;
        m_mirrorUpDown = upDown;
        return 0;
    }
    m_mirrorLeftRight = false;
    m_mirrorUpDown = false;
    if (const Errors::Type_Error error = setParameter("flip_horizontal", onOff(leftRight, "true", "false"), 21))
        return error;
    return setParameter("flip_vertical", onOff(upDown, "true", "false"), 21);
}

Errors::Type_Error Camera_Control::SetColorConversion(const QString& conversion)
{
    if (const int code = passOver(UEye); code >= 0)
        return Errors::Type_Error(code);
    return setParameter("color_conversion", HTuple(conversion.toStdString()), 26);
}

Errors::Type_Error Camera_Control::SetColorCorrection(bool on)
{
    if (const int code = passOver(UEye); code >= 0)
        return Errors::Type_Error(code);
    return setParameter("color_correction", onOff(on, "enable", "disable"), 26);
}

Errors::Type_Error Camera_Control::SetBadPixelCorrection(bool on)
{
    if (const int code = passOver(UEye); code >= 0)
        return Errors::Type_Error(code);
    return setParameter("bad_pixel_correction", onOff(on, "enable", "disable"), 21);
}

Errors::Type_Error Camera_Control::SetWhiteBalance(int mode, int red, int green, int blue)
{
    if (const int code = passOver(UEye | LuCam); code >= 0)
        return Errors::Type_Error(code);
    if (const Errors::Type_Error error
        = setParameter("white_balance", HTuple(Camera_Settings::WhiteBalanceName(mode).toStdString()), 26))
        return error;
    if (mode != 1 && mode != 4)
        return 0;
    // Switched off, the camera gets the neutral gains of the built-in defaults.
    const int gains[3] = {mode == 4 ? red : 5, mode == 4 ? green : 0, mode == 4 ? blue : 3};
    const char* names[3] = {"gain_r", "gain_g", "gain_b"};
    for (int i = 0; i < 3; ++i) {
        if (const Errors::Type_Error error = setParameter(names[i], HTuple(gains[i]), 26))
            return error;
    }
    return 0;
}

Errors::Type_Error Camera_Control::SetContinuousGrabbing(bool on)
{
    if (const int code = passOver(UEye | UEyeXS); code >= 0)
        return Errors::Type_Error(code);
    return setParameter("continuous_grabbing", onOff(on, "enable", "disable"), 21);
}

Errors::Type_Error Camera_Control::SetTriggerSignal(int signal)
{
    if (const int code = passOver(UEye); code >= 0)
        return Errors::Type_Error(code);
    static const char* const names[] = {"falling", "rising", "software"};
    if (signal < 1 || signal > 3)
        return 23;
    const Errors::Type_Error error = setParameter("trigger_signal", HTuple(names[signal - 1]), 23);
    if (!error)
        m_edgeTriggerSignal = signal != 3;
    return error;
}

Errors::Type_Error Camera_Control::SetExternalTrigger(bool on)
{
    const Errors::Type_Error error = setParameter("external_trigger", onOff(on, "true", "false"), 23);
    if (!error)
        m_externalTrigger = on;
    return error;
}

Errors::Type_Error Camera_Control::SetTriggerDelay(int delay)
{
    if (const int code = passOver(AllKinds); code >= 0)
        return Errors::Type_Error(code);
    if (m_kind == Kind_LuCam)
        return setParameter("exposure_delay", HTuple(delay / 1000.0), 23);
    return setParameter("trigger_delay", HTuple(delay), 23);
}

Errors::Type_Error Camera_Control::SetStrobe(bool on)
{
    if (const int code = passOver(AllKinds); code >= 0)
        return Errors::Type_Error(code);
    return setParameter(m_kind == Kind_LuCam ? "strobe" : "strobe_mode", onOff(on, "enable", "disable"), 24);
}

Errors::Type_Error Camera_Control::SetStrobeInvert(bool on)
{
    if (const int code = passOver(UEye | UEyeXS); code >= 0)
        return Errors::Type_Error(code);
    return setParameter("strobe_invert", onOff(on, "true", "false"), 24);
}

Errors::Type_Error Camera_Control::SetStrobeDelay(int delay)
{
    if (const int code = passOver(AllKinds); code >= 0)
        return Errors::Type_Error(code);
    return setParameter("strobe_delay", m_kind == Kind_LuCam ? HTuple(delay / 1000.0) : HTuple(delay), 24);
}

Errors::Type_Error Camera_Control::SetStrobeDuration(int duration)
{
    if (const int code = passOver(AllKinds); code >= 0)
        return Errors::Type_Error(code);
    return setParameter("strobe_duration", m_kind == Kind_LuCam ? HTuple(duration / 1000.0) : HTuple(duration), 24);
}

// ---- Digital outputs ---------------------------------------------------------------------------

Errors::Type_Error Camera_Control::writeIoPort(int line, bool on)
{
    if (m_handle == -1)
        return 13;
    std::lock_guard lock(m_ioMutex);
    const int other = 1 - line;
    if (!m_ioDirectionSet[line]) {
        // Both lines are outputs once both were used; the direction is written only once.
        const int direction = m_ioDirectionSet[other] ? 3 : (1 << line);
        if (const Errors::Type_Error error = setParameter("digital_io_direction", HTuple(direction), 28))
            return error;
        m_ioDirectionSet[line] = true;
    }
    bool states[2] = {m_ioState[0], m_ioState[1]};
    states[line] = on;
    if (const Errors::Type_Error error
        = setParameter("digital_io_port", HTuple(int(states[0]) + 2 * int(states[1])), 28))
        return error;
    m_ioState[line] = on;
    return 0;
}

Errors::Type_Error Camera_Control::SetDigitalIoPort(bool on)
{
    return writeIoPort(0, on);
}

Errors::Type_Error Camera_Control::SetDigitalIoPort2(bool on)
{
    return writeIoPort(1, on);
}

Errors::Type_Error Camera_Control::SetDigitalOutput(bool on)
{
    if (m_handle == -1)
        return 13;
    if (m_settings && m_settings->ExternalFlash.Used)
        return 29;
    std::lock_guard lock(m_ioMutex);
    if (const Errors::Type_Error error = setParameter("digital_output", HTuple(on ? 1 : 0), 28))
        return error;
    m_digitalOutput = on;
    return 0;
}

void Camera_Control::resetDeviceState()
{
    m_mirrorLeftRight = false;
    m_mirrorUpDown = false;
    std::lock_guard lock(m_ioMutex);
    m_ioDirectionSet[0] = m_ioDirectionSet[1] = false;
    m_ioState[0] = m_ioState[1] = false;
    m_digitalOutput = false;
}

bool Camera_Control::tryLockGrabber(int milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    ++m_grabberWaiters;
    bool locked = true;
    while (!m_grabberMutex.try_lock()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            locked = false;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    --m_grabberWaiters;
    return locked;
}

void Camera_Control::giveWayToGrabberWaiters()
{
    // Bounded, so that live pictures keep coming whatever a waiter does.
    for (int step = 0; step < 50 && m_grabberWaiters > 0; ++step)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// ---- Camera list and EEPROM --------------------------------------------------------------------

Errors::Type_Error Camera_Control::ScanDevices(int cameraInterface, QList<CameraDeviceInfo>& devices)
{
    devices.clear();
    if (cameraInterface == 1) {
        const Errors::Type_Error error = CheckDriverVersion();
        if (error == 10)
            return 0;
        if (error)
            return error;
    } else if (cameraInterface != 2) {
        return 3;
    }
    const Camera_Timing timing = Camera_Timing::current();
    bool locked = false;
    for (int attempt = 0; attempt < kScanTries && !locked; ++attempt) {
        locked = tryLockGrabber(timing.pushRetryPause);
        if (!locked)
            std::this_thread::sleep_for(std::chrono::milliseconds(timing.waitStep));
    }
    if (!locked)
        return 20;
    std::unique_lock lock(m_grabberMutex, std::adopt_lock);
    HTuple information, boards;
    if (Halcon::info_framegrabber(cameraInterface == 1 ? "uEye" : "LuCam", "info_boards", &information, &boards)
        != Halcon::H_MSG_TRUE)
        return 20;
    for (const Halcon::HValue& board : boards.Values())
        devices.append(CameraDeviceInfo::fromBoardText(cameraInterface, QString::fromStdString(board.S())));
    return 0;
}

Errors::Type_Error Camera_Control::SetEepromContent(const QString& userText)
{
    if (m_handle == -1)
        return 13;
    if (userText.size() > kEepromLength)
        return 65;
    // A LuCam camera has no EEPROM: claiming to have stored the text would lose it.
    if (m_kind == Kind_LuCam)
        return 27;
    const QString padded = userText.leftJustified(kEepromLength, QLatin1Char(' '));
    if (const Errors::Type_Error error = setParameter("eeprom_content", HTuple(padded.toLatin1().toStdString()), 27))
        return error;
    eepromChanged(padded.trimmed());
    return 0;
}

Errors::Type_Error Camera_Control::GetEepromContent(QString& userText)
{
    userText.clear();
    if (m_handle == -1)
        return 13;
    if (m_kind == Kind_LuCam)
        return 0;
    HTuple value;
    if (const Errors::Type_Error error = getParameter("eeprom_content", value, 27))
        return error;
    userText = QString::fromLatin1(value.S().c_str()).trimmed();
    return 0;
}

// ---- Open --------------------------------------------------------------------------------------

int Camera_Control::TriggerTimeoutMs(quint32 seconds)
{
    if (seconds == 0 || quint64(seconds) * 1000u > quint64(kUnlimitedWaitMs))
        return kUnlimitedWaitMs;
    return int(seconds * 1000u);
}

bool Camera_Control::ToThousandths(double value, int& result)
{
    const double scaled = value * 1000.0 + 0.5;
    if (!std::isfinite(scaled) || scaled <= double(INT_MIN) - 1.0 || scaled >= double(INT_MAX) + 1.0)
        return false;
    result = int(scaled);
    return true;
}

Errors::Type_Error Camera_Control::configure(const Camera_Settings_Data& s)
{
    Errors::Type_Error error = SetContinuousGrabbing(false);
    if (!error && s.ExternalTrigger.Used) {
        const int wait = TriggerTimeoutMs(s.ExternalTrigger.TriggerTimeout);
        if (!(error = SetGrabTimeout(wait)) && !(error = SetApiTimeout(wait + 2000)))
            error = SetExternalTrigger(true);
    } else if (!error) {
        if (!(error = SetGrabTimeout(10000)) && !(error = SetApiTimeout(12000)))
            error = SetExternalTrigger(s.ExternalFlash.Used);
    }
    if (!error)
        error = SetTriggerSignal(3);
    if (!error)
        error = SetTriggerDelay(0);
    if (!error && s.ExternalFlash.Used) {
        int delay = 0, duration = 0;
        if (!ToThousandths(s.ExternalFlash.StrobeDelay, delay) || !ToThousandths(s.ExternalFlash.StrobeDuration, duration))
            return 24;
        if (!(error = SetStrobe(true)) && !(error = SetStrobeInvert(s.ExternalFlash.StrobeInvert))
            && !(error = SetStrobeDelay(delay)))
            error = SetStrobeDuration(duration);
    } else if (!error) {
        error = SetStrobe(false);
    }
    const bool colour = s.Settings.ColorSpace == 2;
    if (!error)
        error = SetPixelClock(s.Settings.PixelClock);
    if (!error)
        error = SetFrameRate(s.Settings.FrameRate, s.Settings.FrameRateMaxMode);
    if (!error)
        error = SetExposure(s.Settings.ExposureTime);
    if (!error && colour && !(error = SetColorConversion(QStringLiteral("3x3"))))
        error = SetColorCorrection(true);
    if (!error)
        error = SetBadPixelCorrection(true);
    if (!error)
        error = SetEdgeEnhancement(s.Settings.EdgeEnhancement);
    if (!error)
        error = SetGainMaster(s.Settings.GainMaster);
    if (!error)
        error = SetGamma(s.Settings.GammaCorrection);
    if (!error)
        error = SetFlip(s.Picture.MirrorLeftRight, s.Picture.MirrorUpDown);
    if (!error && colour)
        error = SetWhiteBalance(s.Settings.WhiteBalanceMode, s.Settings.WhiteBalanceR, s.Settings.WhiteBalanceG,
                                s.Settings.WhiteBalanceB);
    return error;
}

Errors::Type_Error Camera_Control::OpenDevice(const Camera_Settings_Data& s)
{
    const Camera_Settings_Data::DeviceGroup& d = s.Device;
    QString interfaceName, cameraType = QStringLiteral("default"), device = QStringLiteral("default");
    const bool defaultCamera = d.CameraType == QLatin1String("default") && d.CameraDevice == QLatin1String("default")
        && d.CameraSerialNumber.isEmpty();
    if (d.CameraInterface == 1) {
        if (const Errors::Type_Error error = CheckDriverVersion())
            return error;
        interfaceName = QStringLiteral("uEye");
        if (!defaultCamera) {
            switch (d.ConnectionMode) {
            case 1:
                device = d.CameraSerialNumber;
                break;
            case 2:
                device = d.CameraDevice;
                break;
            case 3:
                cameraType = d.CameraType;
                break;
            default:
                return 3;
            }
        }
    } else if (d.CameraInterface == 2) {
        interfaceName = QStringLiteral("LuCam");
        if (!defaultCamera)
            device = QStringLiteral("%1:%2").arg(d.CameraType, d.CameraDevice);
    } else {
        return 3;
    }
    if (d.UseCameraIniFile && !d.CameraIniFile.isEmpty()) {
        cameraType = d.CameraIniFile;
        if (!QFileInfo::exists(d.CameraIniFile))
            return 30;
    }

    Halcon::Hlong acqHandle = -1;
    if (Halcon::open_framegrabber(interfaceName.toStdString(), 1, 1, 0, 0, 0, 0, "default", 8,
                                  Camera_Settings::ColorSpaceName(s.Settings.ColorSpace).toStdString(), -1.0,
                                  "false", cameraType.toStdString(), device.toStdString(), -1, -1, &acqHandle)
        != Halcon::H_MSG_TRUE)
        return 12;
    m_handle = int(acqHandle);
    QString type;
    Errors::Type_Error error = GetCameraType(type);
    if (!error) {
        if (d.CameraInterface == 2)
            m_kind = Kind_LuCam;
        else
            m_kind = type.startsWith(QLatin1String("XS")) ? Kind_UEyeXS : Kind_UEye;
        error = configure(s);
    }
    if (error)
        CloseDevice();
    return error;
}

void Camera_Control::CloseDevice()
{
    const int acqHandle = m_handle.exchange(-1);
    if (acqHandle != -1)
        Halcon::close_framegrabber(HTuple(acqHandle));
    m_kind = Kind_Closed;
    m_externalTrigger = false;
    m_edgeTriggerSignal = false;
}
