#pragma once

// Layer-private: the state the simulated interfaces, their devices and the control
// functions of SimulatedCameras.h share. Lock order: a camera slot's mutex before the
// simulation's own; the simulation never locks a slot while it holds its own mutex.

#include "SimulatedCameras.h"
#include "SimulatedParameters_p.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Halcon::Detail {

// One connected camera and what it keeps between opens.
struct CameraSlot
{
    CameraSlot(std::string interface, SimulatedCameras::Camera description)
        : interfaceName(std::move(interface))
        , camera(std::move(description))
    {
    }

    const std::string interfaceName;
    std::mutex mutex;
    std::condition_variable changed;
    // Guarded by mutex from here on.
    SimulatedCameras::Camera camera; // the EEPROM text is kept here across opens
    bool open = false;
    bool waitingForTrigger = false;
    bool edgePending = false;
    std::int64_t grabAttempts = 0;
    std::int64_t pictures = 0;
    std::unique_ptr<SimulatedParameters> parameters; // of the last open
};
using SlotPtr = std::shared_ptr<CameraSlot>;

// The connected cameras of an interface now.
std::vector<SlotPtr> simulatedSlots(const std::string &interfaceName);
// True when the fault is due (and counts it down).
bool consumeSimulatedFault(const std::string &interfaceName, SimulatedCameras::Fault fault,
                           const std::string &parameter = std::string());
void logSimulatedParameterWrite(const std::string &interfaceName, const std::string &parameter, const HTuple &value,
                                bool accepted);
void logSimulatedOpen(const SimulatedCameras::OpenCall &call);
SimulatedCameras::DriverVersion simulatedDriverVersion(const std::string &interfaceName);
std::int64_t simulatedNowMs();
bool simulatedFramePacing();

} // namespace Halcon::Detail
