#pragma once

// Layer-private: the simulated interfaces "uEye" and "LuCam" (SimulatedCameras.h).

#include "AcquisitionDevice.h"

#include <memory>
#include <string>

namespace Halcon::Detail {

std::shared_ptr<AcquisitionInterface> makeSimulatedInterface(const std::string &name);

} // namespace Halcon::Detail
