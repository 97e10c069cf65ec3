#pragma once

// Layer-private: one open simulated camera. Its parameters and trigger live in the camera's
// slot, so that a test reads them after the close and the next open starts afresh.

#include "AcquisitionDevice.h"
#include "SimulatedPictures_p.h"
#include "Simulation_p.h"

#include <chrono>
#include <memory>

namespace Halcon::Detail {

class SimulatedCameraDevice final : public AcquisitionDevice
{
public:
    SimulatedCameraDevice(SlotPtr slot, std::shared_ptr<SimulatedPictures> pictures);
    ~SimulatedCameraDevice() override;

    Herror grab(Hobject *image) override;
    Herror setParameter(const std::string &name, const HTuple &value) override;
    Herror getParameter(const std::string &name, HTuple *value) override;
    void close() override;

private:
    Herror waitForEdge(std::unique_lock<std::mutex> &lock);
    void waitForFrame(std::unique_lock<std::mutex> &lock);

    SlotPtr m_slot;
    std::shared_ptr<SimulatedPictures> m_pictures;
    // Guarded by the slot's mutex.
    bool m_closed = false;
    std::chrono::steady_clock::time_point m_nextFrame;
};

} // namespace Halcon::Detail
