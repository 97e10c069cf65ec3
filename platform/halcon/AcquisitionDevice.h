#pragma once

// What stands behind an acquisition interface name ("uEye", "LuCam"): one object per
// interface that lists its cameras and opens them, and one object per open camera. The
// acquisition operators (HalconAcquisition.h) reach cameras only through these, so a real
// driver can later take the place of the simulated devices without touching a caller.
//
// Both must be safe to call from several threads at once: a grab may wait in one thread
// while another sets parameters or forces the trigger ("do_force_trigger").

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

#include <memory>
#include <string>

namespace Halcon {

// The control values of open_framegrabber that a device needs.
struct AcquisitionOpenRequest
{
    std::string cameraType;
    std::string device;
    std::string colorSpace; // "gray" or "rgb"
    bool externalTrigger = false;
    Hlong port = -1;
    Hlong lineIn = -1;
};

class AcquisitionDevice
{
public:
    virtual ~AcquisitionDevice();

    // One picture; blocks until the camera delivers it, its trigger arrives or is forced,
    // the grab time-out runs out (kErrAcqTimeout) or the device is closed.
    virtual Herror grab(Hobject *image) = 0;
    virtual Herror setParameter(const std::string &name, const HTuple &value) = 0;
    virtual Herror getParameter(const std::string &name, HTuple *value) = 0;
    // Frees the camera for the next open and ends a waiting grab; later calls fail with
    // kErrInvalidHandle.
    virtual void close() = 0;
};

class AcquisitionInterface
{
public:
    virtual ~AcquisitionInterface();

    // info_framegrabber of this interface.
    virtual Herror info(const std::string &query, HTuple *information, HTuple *valueList) = 0;
    virtual Herror open(const AcquisitionOpenRequest &request, std::shared_ptr<AcquisitionDevice> *device) = 0;
};

} // namespace Halcon
