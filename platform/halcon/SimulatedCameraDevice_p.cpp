#include "SimulatedCameraDevice_p.h"

#include "HalconErrors.h"
#include "HalconTransformOps.h"

#include <algorithm>

namespace Halcon::Detail {

namespace {

using Fault = SimulatedCameras::Fault;

// A wait re-reads the clock at least this often, so that a clock replaced during a wait
// is noticed; advancing the manual clock wakes waiters at once anyway.
constexpr std::chrono::milliseconds kClockSlice(50);

} // namespace

SimulatedCameraDevice::SimulatedCameraDevice(SlotPtr slot, std::shared_ptr<SimulatedPictures> pictures)
    : m_slot(std::move(slot))
    , m_pictures(std::move(pictures))
    , m_nextFrame(std::chrono::steady_clock::now())
{
}

SimulatedCameraDevice::~SimulatedCameraDevice()
{
    close();
}

Herror SimulatedCameraDevice::waitForEdge(std::unique_lock<std::mutex> &lock)
{
    CameraSlot &slot = *m_slot;
    const std::int64_t start = simulatedNowMs();
    const Hlong timeout = slot.parameters->grabTimeoutMs();
    slot.waitingForTrigger = true;
    while (!slot.edgePending && !m_closed) {
        if (timeout < 0) {
            slot.changed.wait(lock);
            continue;
        }
        const std::int64_t left = timeout - (simulatedNowMs() - start);
        if (left <= 0) {
            slot.waitingForTrigger = false;
            return kErrAcqTimeout;
        }
        slot.changed.wait_for(lock, std::min(std::chrono::milliseconds(left), kClockSlice));
    }
    slot.waitingForTrigger = false;
    if (m_closed)
        return kErrInvalidHandle;
    slot.edgePending = false;
    return kSuccess;
}

void SimulatedCameraDevice::waitForFrame(std::unique_lock<std::mutex> &lock)
{
    using namespace std::chrono;
    if (simulatedFramePacing())
        m_slot->changed.wait_until(lock, m_nextFrame, [this] { return m_closed; });
    const auto period = duration_cast<steady_clock::duration>(duration<double>(1.0 / m_slot->parameters->frameRate()));
    // A late grab starts the next period from now, as a free-running sensor would.
    m_nextFrame = std::max(m_nextFrame, steady_clock::now()) + period;
}

Herror SimulatedCameraDevice::grab(Hobject *image)
{
    std::unique_lock lock(m_slot->mutex);
    CameraSlot &slot = *m_slot;
    if (m_closed)
        return kErrInvalidHandle;
    ++slot.grabAttempts;
    if (consumeSimulatedFault(slot.interfaceName, Fault::GrabFails))
        return kErrAcqGrabFailed;
    if (consumeSimulatedFault(slot.interfaceName, Fault::GrabTimesOut))
        return kErrAcqTimeout;
    if (slot.parameters->waitsForEdge()) {
        if (Herror e = waitForEdge(lock); e != kSuccess)
            return e;
    } else {
        waitForFrame(lock);
        if (m_closed)
            return kErrInvalidHandle;
    }
    const bool flipColumns = slot.parameters->isOn("flip_horizontal");
    const bool flipRows = slot.parameters->isOn("flip_vertical");
    // Reading a picture file may take a while; parameters stay settable meanwhile.
    lock.unlock();
    Hobject picture;
    Herror e = m_pictures->next(&picture);
    if (e == kSuccess && flipColumns)
        e = mirror_image(picture, &picture, "column");
    if (e == kSuccess && flipRows)
        e = mirror_image(picture, &picture, "row");
    lock.lock();
    if (e != kSuccess)
        return e;
    ++slot.pictures;
    *image = picture;
    return kSuccess;
}

Herror SimulatedCameraDevice::setParameter(const std::string &name, const HTuple &value)
{
    std::unique_lock lock(m_slot->mutex);
    CameraSlot &slot = *m_slot;
    if (m_closed)
        return kErrInvalidHandle;
    Herror e = kSuccess;
    if (consumeSimulatedFault(slot.interfaceName, Fault::SetParameterFails, name)) {
        e = kErrWrongValue3;
    } else if (name == "do_force_trigger") {
        if (slot.parameters->externalTrigger())
            slot.edgePending = true;
    } else {
        e = slot.parameters->set(name, value);
        // A new trigger mode forgets an edge that came before it.
        if (e == kSuccess && (name == "external_trigger" || name == "trigger_signal"))
            slot.edgePending = false;
        if (e == kSuccess && name == "eeprom_content")
            slot.camera.eeprom = slot.parameters->eeprom();
    }
    logSimulatedParameterWrite(slot.interfaceName, name, value, e == kSuccess);
    lock.unlock();
    slot.changed.notify_all();
    return e;
}

Herror SimulatedCameraDevice::getParameter(const std::string &name, HTuple *value)
{
    std::lock_guard lock(m_slot->mutex);
    if (m_closed)
        return kErrInvalidHandle;
    return m_slot->parameters->get(name, value);
}

void SimulatedCameraDevice::close()
{
    {
        std::lock_guard lock(m_slot->mutex);
        if (m_closed)
            return;
        m_closed = true;
        m_slot->open = false;
        m_slot->waitingForTrigger = false;
    }
    m_slot->changed.notify_all();
}

} // namespace Halcon::Detail
