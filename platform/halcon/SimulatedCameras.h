#pragma once

// The cameras behind the acquisition interfaces "uEye" and "LuCam", as a test bench has
// them: a set of connected cameras per interface, each a stub that keeps every parameter
// with its range and its coupling to the others, waits for its trigger and delivers
// pictures from a folder or a generated plate picture. Tests, benchmarks and the demo
// configure them here, break them on purpose and read back what a caller did to them.
//
// Pictures come from, in this order: the camera's own pictureFolder; the device text of the
// open when it names a folder (for "LuCam" also the part after "usb:" or "gige:"); the
// folder in the environment variable kPicturesEnvironment; else a plate picture of the
// camera's size generated once (PlateScenes). Folder pictures are served in name order,
// over and over, converted to the colour space of the open.
//
// Frames come no faster than the camera's frame rate, in real time. Time-outs (grab
// time-out, waiting for a trigger) run on the simulation clock, which tests may replace.
//
// All functions are thread-safe.

#include "HTuple.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Halcon::SimulatedCameras {

constexpr const char *kPicturesEnvironment = "ZELVORIN_CAMERA_PICTURES";

struct Camera
{
    // "camera_type". A uEye model whose name begins "XS" is the small kind: no gamma,
    // white balance, colour conversion or correction, bad-pixel correction or trigger
    // signal choice.
    std::string model;
    // "uEye": the camera's number ("1"); "LuCam": connection and identifier ("usb:1").
    std::string device;
    std::string serialNumber;
    int width = 2592;
    int height = 1944;
    bool hasEeprom = true; // uEye cameras only; a LuCam camera has none
    std::string eeprom;    // user text, at most 64 characters
    std::string pictureFolder;
};

// Default: uEye 4.20.0.0 and LuCam 5.0.0.0, both installed.
struct DriverVersion
{
    bool installed = true;
    int major = 0;
    int minor = 0;
    int build = 0;
    int revision = 0;
};

enum class Fault {
    OpenFails,         // open_framegrabber: kErrAcqDeviceNotFound
    GrabFails,         // grab_image: kErrAcqGrabFailed
    GrabTimesOut,      // grab_image: kErrAcqTimeout at once
    SetParameterFails, // set_framegrabber_param of the named parameter: kErrWrongValue3
};

// Back to one default camera per interface, default drivers, no faults, the real clock,
// empty logs and the default frame pacing. Open handles keep working on their old camera.
void reset();

void setCameras(const std::string &interfaceName, std::vector<Camera> cameras);
std::vector<Camera> cameras(const std::string &interfaceName);
void setDriverVersion(const std::string &interfaceName, DriverVersion version);

// The next `count` matching calls on the interface fail (-1: every call until cleared;
// 0 does nothing). SetParameterFails acts on the named parameter only.
void injectFault(const std::string &interfaceName, Fault fault, int count = 1, const std::string &parameter = {});
void clearFaults();

// An edge on the trigger input of every open camera of the interface. A camera that waits
// takes its picture; otherwise the edge is kept for the next triggered grab until the
// trigger mode is set again.
void fireTrigger(const std::string &interfaceName);

// Every set_framegrabber_param on any simulated camera, in call order.
struct ParameterWrite
{
    std::string interfaceName;
    std::string parameter;
    HTuple value;
    bool accepted = false;
};
std::vector<ParameterWrite> parameterLog();

struct OpenCall
{
    std::string interfaceName;
    std::string cameraType;
    std::string device;
    std::string colorSpace;
    bool accepted = false;
};
std::vector<OpenCall> openLog();
void clearLogs();

// What a connected camera holds now.
struct CameraState
{
    bool open = false;
    bool waitingForTrigger = false;
    std::int64_t grabAttempts = 0; // every grab_image, failed ones included
    std::int64_t pictures = 0;     // grabs that delivered a picture
    std::string eeprom;
    int ioDirection = 0;
    int ioPort = 0;
    int digitalOutput = 0;
    HTuple exposure;
    HTuple frameRate;
    HTuple pixelClock; // empty for a kind without pixel clock
};
// index into cameras(interfaceName); a closed camera keeps the state of its last open.
CameraState state(const std::string &interfaceName, int index);

// The clock of time-outs, in milliseconds from any fixed start.
class Clock
{
public:
    virtual ~Clock();
    virtual std::int64_t nowMs() = 0;
};

// A clock that stands still until advanced; waiting grabs see the new time at once.
class ManualClock : public Clock
{
public:
    std::int64_t nowMs() override;
    void advance(std::int64_t milliseconds);

private:
    std::atomic<std::int64_t> m_now{0};
};

// nullptr: the steady clock of the machine.
void setClock(std::shared_ptr<Clock> clock);

// false: frames come as fast as asked, whatever the frame rate (for throughput tests).
void setFramePacing(bool on);

} // namespace Halcon::SimulatedCameras
