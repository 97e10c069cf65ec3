#pragma once

// Image acquisition: open a camera through an interface by name, grab pictures, set and
// read its parameters. Every operator returns kSuccess (2) or a failure number of
// HalconErrors.h and leaves its outputs untouched on failure. Handles are positive; every
// operator may be called from any thread.
//
// The interfaces "uEye" and "LuCam" are served by simulated cameras (SimulatedCameras.h).

#include "AcquisitionDevice.h"
#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

#include <memory>
#include <string>

namespace Halcon {

// name: interface; the four sizes, the start position and the resolutions take the whole
// sensor (1, 1, 0, 0, 0, 0; 0 for the resolutions too); field and generic are passed over;
// bitsPerChannel 8 or -1 ("default"); colorSpace "gray", "rgb" or "default" (grey);
// externalTrigger "true", "false" or "default" (false). Unknown interface or driver
// missing: kErrAcqInterface; no such camera: kErrAcqDeviceNotFound; in use: kErrAcqDeviceBusy.
Herror open_framegrabber(const HTuple &name, const HTuple &horizontalResolution, const HTuple &verticalResolution,
                         const HTuple &imageWidth, const HTuple &imageHeight, const HTuple &startRow,
                         const HTuple &startColumn, const HTuple &field, const HTuple &bitsPerChannel,
                         const HTuple &colorSpace, const HTuple &generic, const HTuple &externalTrigger,
                         const HTuple &cameraType, const HTuple &device, const HTuple &port, const HTuple &lineIn,
                         HTuple *acqHandle);
Herror open_framegrabber(const HTuple &name, const HTuple &horizontalResolution, const HTuple &verticalResolution,
                         const HTuple &imageWidth, const HTuple &imageHeight, const HTuple &startRow,
                         const HTuple &startColumn, const HTuple &field, const HTuple &bitsPerChannel,
                         const HTuple &colorSpace, const HTuple &generic, const HTuple &externalTrigger,
                         const HTuple &cameraType, const HTuple &device, const HTuple &port, const HTuple &lineIn,
                         Hlong *acqHandle);
// A handle that names no open camera: kErrInvalidHandle.
Herror close_framegrabber(const HTuple &acqHandle);
Herror grab_image(Hobject *image, const HTuple &acqHandle);
// One parameter name and its value (a tuple for parameters of several values).
Herror set_framegrabber_param(const HTuple &acqHandle, const HTuple &param, const HTuple &value);
Herror get_framegrabber_param(const HTuple &acqHandle, const HTuple &param, HTuple *value);
// query "info_boards": information is a summary, valueList one text per connected camera;
// "revision": the interface's version text; "driver_version": the camera driver's version
// as information text and [major, minor, build, revision] in valueList.
Herror info_framegrabber(const HTuple &name, const HTuple &query, HTuple *information, HTuple *valueList);

// Puts an interface under a name, replacing the one there (the built-in simulated ones
// included); nullptr removes it. Open handles keep their device.
void registerAcquisitionInterface(const std::string &name, std::shared_ptr<AcquisitionInterface> acquisitionInterface);
std::shared_ptr<AcquisitionInterface> acquisitionInterface(const std::string &name);

} // namespace Halcon
