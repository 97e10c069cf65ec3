#include "SimulatedCameras.h"

#include "Simulation_p.h"

#include <atomic>
#include <chrono>
#include <map>

namespace Halcon::SimulatedCameras {

namespace {

struct FaultEntry
{
    std::string interfaceName;
    Fault fault;
    int count;
    std::string parameter;
};

struct Simulation
{
    std::mutex mutex;
    std::map<std::string, std::vector<Detail::SlotPtr>> cameraSlots;
    std::map<std::string, DriverVersion> drivers;
    std::vector<FaultEntry> faults;
    std::vector<ParameterWrite> parameterWrites;
    std::vector<OpenCall> opens;
    std::shared_ptr<Clock> clock;
    bool pacing = true;
};

std::vector<Camera> defaultCameras(const std::string &interfaceName)
{
    Camera camera;
    if (interfaceName == "LuCam") {
        camera.model = "SIM-LU5M-C";
        camera.device = "usb:1";
        camera.serialNumber = "30012345";
        camera.hasEeprom = false;
    } else {
        camera.model = "SIM-U5M-C";
        camera.device = "1";
        camera.serialNumber = "4102012345";
    }
    return {camera};
}

DriverVersion defaultDriver(const std::string &interfaceName)
{
    return interfaceName == "LuCam" ? DriverVersion{true, 5, 0, 0, 0} : DriverVersion{true, 4, 20, 0, 0};
}

std::vector<Detail::SlotPtr> makeSlots(const std::string &interfaceName, const std::vector<Camera> &cameras)
{
    std::vector<Detail::SlotPtr> cameraSlots;
    for (const Camera &camera : cameras)
        cameraSlots.push_back(std::make_shared<Detail::CameraSlot>(interfaceName, camera));
    return cameraSlots;
}

void resetLocked(Simulation &s)
{
    s.cameraSlots.clear();
    s.drivers.clear();
    for (const char *name : {"uEye", "LuCam"}) {
        s.cameraSlots[name] = makeSlots(name, defaultCameras(name));
        s.drivers[name] = defaultDriver(name);
    }
    s.faults.clear();
    s.parameterWrites.clear();
    s.opens.clear();
    s.clock.reset();
    s.pacing = true;
}

Simulation &simulation()
{
    static Simulation *s = [] {
        auto *made = new Simulation;
        resetLocked(*made);
        return made;
    }();
    return *s;
}

// Wakes every waiting grab, so that it looks at the clock and its trigger again.
void wakeAll(const std::vector<Detail::SlotPtr> &cameraSlots)
{
    for (const Detail::SlotPtr &slot : cameraSlots) {
        { std::lock_guard lock(slot->mutex); }
        slot->changed.notify_all();
    }
}

std::vector<Detail::SlotPtr> allSlots()
{
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    std::vector<Detail::SlotPtr> all;
    for (const auto &[name, cameraSlots] : s.cameraSlots)
        all.insert(all.end(), cameraSlots.begin(), cameraSlots.end());
    return all;
}

} // namespace

Clock::~Clock() = default;

std::int64_t ManualClock::nowMs()
{
    return m_now.load();
}

void ManualClock::advance(std::int64_t milliseconds)
{
    m_now.fetch_add(milliseconds);
    wakeAll(allSlots());
}

void reset()
{
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    resetLocked(s);
}

void setCameras(const std::string &interfaceName, std::vector<Camera> cameras)
{
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    s.cameraSlots[interfaceName] = makeSlots(interfaceName, cameras);
}

std::vector<Camera> cameras(const std::string &interfaceName)
{
    std::vector<Camera> result;
    for (const Detail::SlotPtr &slot : Detail::simulatedSlots(interfaceName)) {
        std::lock_guard lock(slot->mutex);
        result.push_back(slot->camera);
    }
    return result;
}

void setDriverVersion(const std::string &interfaceName, DriverVersion version)
{
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    s.drivers[interfaceName] = version;
}

void injectFault(const std::string &interfaceName, Fault fault, int count, const std::string &parameter)
{
    if (count == 0)
        return;
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    s.faults.push_back({interfaceName, fault, count, parameter});
}

void clearFaults()
{
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    s.faults.clear();
}

void fireTrigger(const std::string &interfaceName)
{
    for (const Detail::SlotPtr &slot : Detail::simulatedSlots(interfaceName)) {
        {
            std::lock_guard lock(slot->mutex);
            if (slot->open)
                slot->edgePending = true;
        }
        slot->changed.notify_all();
    }
}

std::vector<ParameterWrite> parameterLog()
{
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    return s.parameterWrites;
}

std::vector<OpenCall> openLog()
{
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    return s.opens;
}

void clearLogs()
{
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    s.parameterWrites.clear();
    s.opens.clear();
}

CameraState state(const std::string &interfaceName, int index)
{
    const std::vector<Detail::SlotPtr> cameraSlots = Detail::simulatedSlots(interfaceName);
    CameraState result;
    if (index < 0 || size_t(index) >= cameraSlots.size())
        return result;
    Detail::CameraSlot &slot = *cameraSlots[size_t(index)];
    std::lock_guard lock(slot.mutex);
    result.open = slot.open;
    result.waitingForTrigger = slot.waitingForTrigger;
    result.grabAttempts = slot.grabAttempts;
    result.pictures = slot.pictures;
    result.eeprom = slot.camera.eeprom;
    if (slot.parameters) {
        const Detail::SimulatedParameters &p = *slot.parameters;
        result.ioDirection = p.integer("digital_io_direction");
        result.ioPort = p.integer("digital_io_port");
        result.digitalOutput = p.integer("digital_output");
        p.get("exposure", &result.exposure);
        p.get("frame_rate", &result.frameRate);
        p.get("pixel_clock", &result.pixelClock);
    }
    return result;
}

void setClock(std::shared_ptr<Clock> clock)
{
    {
        Simulation &s = simulation();
        std::lock_guard lock(s.mutex);
        s.clock = std::move(clock);
    }
    wakeAll(allSlots());
}

void setFramePacing(bool on)
{
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    s.pacing = on;
}

} // namespace Halcon::SimulatedCameras

namespace Halcon::Detail {

using namespace SimulatedCameras;

std::vector<SlotPtr> simulatedSlots(const std::string &interfaceName)
{
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    const auto it = s.cameraSlots.find(interfaceName);
    return it == s.cameraSlots.end() ? std::vector<SlotPtr>() : it->second;
}

bool consumeSimulatedFault(const std::string &interfaceName, Fault fault, const std::string &parameter)
{
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    for (auto it = s.faults.begin(); it != s.faults.end(); ++it) {
        if (it->interfaceName != interfaceName || it->fault != fault || it->parameter != parameter)
            continue;
        if (it->count > 0 && --it->count == 0)
            s.faults.erase(it);
        return true;
    }
    return false;
}

void logSimulatedParameterWrite(const std::string &interfaceName, const std::string &parameter, const HTuple &value,
                                bool accepted)
{
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    s.parameterWrites.push_back({interfaceName, parameter, value, accepted});
}

void logSimulatedOpen(const OpenCall &call)
{
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    s.opens.push_back(call);
}

DriverVersion simulatedDriverVersion(const std::string &interfaceName)
{
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    const auto it = s.drivers.find(interfaceName);
    return it == s.drivers.end() ? DriverVersion{} : it->second;
}

std::int64_t simulatedNowMs()
{
    std::shared_ptr<Clock> clock;
    {
        Simulation &s = simulation();
        std::lock_guard lock(s.mutex);
        clock = s.clock;
    }
    if (clock)
        return clock->nowMs();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool simulatedFramePacing()
{
    Simulation &s = simulation();
    std::lock_guard lock(s.mutex);
    return s.pacing;
}

} // namespace Halcon::Detail
