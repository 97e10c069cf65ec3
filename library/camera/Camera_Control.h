#pragma once

#include "CameraDeviceInfo.h"
#include "Camera_Settings_Data.h"
#include "Errors.h"

#include <QList>
#include <QString>

#include <atomic>
#include <mutex>

class Camera_Settings;

namespace Halcon {
class HTuple;
}

// The camera itself behind the acquisition handle: opening it with the settings, one setter
// per camera parameter by camera kind, the ranges and identity texts, the camera list, the
// EEPROM user text and the digital outputs. Every operation returns 0 or an error code of
// the library table and may be called from any thread (SetDigitalOutput excepted): the
// vision layer serialises each camera's parameters, and the state kept here is atomic or
// under its own lock, so a setter never waits for a grab in progress.
class Camera_Control {
public:
    // Camera kinds; a setter that the kind does not have does nothing and returns 0.
    enum Enum_CameraKind { Kind_Closed = 0, Kind_UEye = 1, Kind_UEyeXS = 2, Kind_LuCam = 3 };

    explicit Camera_Control(Camera_Settings* settings);
    virtual ~Camera_Control();

    Camera_Control(const Camera_Control&) = delete;
    Camera_Control& operator=(const Camera_Control&) = delete;

    // The uEye driver: 10 when it is not installed (all four 0), else 0.
    static Errors::Type_Error GetUeyeDriverVersion(int& major, int& minor, int& build, int& revision);
    // 10, or 11 when older than 4.10, else 0.
    static Errors::Type_Error CheckDriverVersion();

    int GetCameraKind() const { return m_kind; }

    Errors::Type_Error GetExposureRange(double& minimum, double& maximum);
    Errors::Type_Error GetFrameRateRange(double& minimum, double& maximum);
    Errors::Type_Error GetPixelClockRange(long& minimum, long& maximum);
    Errors::Type_Error GetRevision(QString& revision);
    Errors::Type_Error GetCameraType(QString& cameraType);

    Errors::Type_Error SetGrabTimeout(int milliseconds);
    Errors::Type_Error SetApiTimeout(int milliseconds);
    Errors::Type_Error SetExposure(double exposure);
    Errors::Type_Error SetFrameRate(double frameRate, bool maximum);
    Errors::Type_Error SetPixelClock(int pixelClock);
    Errors::Type_Error SetEdgeEnhancement(int edgeEnhancement);
    Errors::Type_Error SetGainMaster(int gain);
    Errors::Type_Error SetGamma(double gamma);
    Errors::Type_Error SetFlip(bool leftRight, bool upDown);
    Errors::Type_Error SetColorConversion(const QString& conversion);
    Errors::Type_Error SetColorCorrection(bool on);
    Errors::Type_Error SetBadPixelCorrection(bool on);
    Errors::Type_Error SetWhiteBalance(int mode, int red, int green, int blue);
    Errors::Type_Error SetContinuousGrabbing(bool on);
    Errors::Type_Error SetTriggerSignal(int signal);
    Errors::Type_Error SetExternalTrigger(bool on);
    Errors::Type_Error SetTriggerDelay(int delay);
    Errors::Type_Error SetStrobe(bool on);
    Errors::Type_Error SetStrobeInvert(bool on);
    Errors::Type_Error SetStrobeDelay(int delay);
    Errors::Type_Error SetStrobeDuration(int duration);
    Errors::Type_Error SetDigitalIoPort(bool on);
    Errors::Type_Error SetDigitalIoPort2(bool on);
    // 29 while the record's external flash owns the output; reads the record, so it belongs
    // to the GUI thread.
    Errors::Type_Error SetDigitalOutput(bool on);

    // The cameras the interface (1 uEye, 2 LuCam) reports now; a uEye driver that is not
    // installed gives an empty list and 0. 3 for another interface, 20 when the camera
    // stays busy or the interface does not answer.
    Errors::Type_Error ScanDevices(int cameraInterface, QList<CameraDeviceInfo>& devices);
    // At most 64 characters (else 65), stored padded with blanks; 27 for a camera without
    // EEPROM.
    Errors::Type_Error SetEepromContent(const QString& userText);
    Errors::Type_Error GetEepromContent(QString& userText);

    // The grab time-out of a trigger time-out in seconds: 0 and anything beyond the
    // unlimited wait of 200000000 ms give that wait.
    static int TriggerTimeoutMs(quint32 seconds);
    // The integer part of value × 1000 + 0.5; false when it does not fit an int.
    static bool ToThousandths(double value, int& result);

protected:
    // Opens the camera of the settings and sets every parameter (steps 4 to 10 of an
    // open); on failure the handle is closed again and the code returned.
    Errors::Type_Error OpenDevice(const Camera_Settings_Data& settings);
    // Closes the handle when one is open; the kind becomes closed.
    void CloseDevice();
    int handle() const { return m_handle; }
    bool mirrorLeftRight() const { return m_mirrorLeftRight; }
    bool mirrorUpDown() const { return m_mirrorUpDown; }
    // Forgets the outputs written and the software mirroring of the last open.
    void resetDeviceState();
    // Called after the EEPROM text was written, with the text without its padding.
    virtual void eepromChanged(const QString& userText);
    // Called, in the calling thread, when the camera refused a parameter value.
    virtual void parameterRefused(Errors::Type_Error error, const QString& parameter, const QString& value);
    // A grab now waits for an edge on the trigger input: the external trigger is on and the
    // camera either has no software trigger (uEye XS, LuCam) or is set to an edge.
    bool grabWaitsForEdge() const;

    Camera_Settings* m_settings;
    // Held while a grab runs, during the warm-up, the settings push and an open.
    std::mutex m_grabberMutex;
    // Tries the grabber lock for up to the time; true when it is held now. Polls instead of
    // a timed lock, whose wait ThreadSanitizer does not see.
    bool tryLockGrabber(int milliseconds);
    // The camera thread calls this before it takes the lock for the next live grab: a caller
    // trying the lock gets it in between, which a poll would hardly ever hit.
    void giveWayToGrabberWaiters();

private:
    // 13 without a camera, 0 when the setter passes over the camera's kind, -1 when it acts.
    int passOver(unsigned kinds) const;
    Errors::Type_Error setParameter(const char* name, const Halcon::HTuple& value, Errors::Type_Error error);
    Errors::Type_Error getParameter(const char* name, Halcon::HTuple& value, Errors::Type_Error error);
    // A (minimum, maximum) parameter, both 0 on failure; error also when it holds fewer
    // than two values.
    Errors::Type_Error getRange(const char* name, double& minimum, double& maximum, Errors::Type_Error error);
    Errors::Type_Error configure(const Camera_Settings_Data& settings);
    Errors::Type_Error writeIoPort(int line, bool on);

    std::atomic<int> m_grabberWaiters{0};
    std::atomic<int> m_handle{-1};
    std::atomic<int> m_kind{Kind_Closed};
    std::atomic<bool> m_mirrorLeftRight{false};
    std::atomic<bool> m_mirrorUpDown{false};
    std::atomic<bool> m_externalTrigger{false};
    std::atomic<bool> m_edgeTriggerSignal{false};

    std::mutex m_ioMutex;
    bool m_ioDirectionSet[2] = {false, false};
    bool m_ioState[2] = {false, false};
    bool m_digitalOutput = false;
};
