#include "SimulatedInterface_p.h"

#include "HalconErrors.h"
#include "SimulatedCameraDevice_p.h"

#include <cstdlib>
#include <filesystem>

namespace Halcon::Detail {

namespace {

using SimulatedCameras::Camera;
using SimulatedCameras::DriverVersion;
using SimulatedCameras::Fault;

const char *const kRevision = "1.0";

bool isFolder(const std::string &path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(path, error);
}

bool isFile(const std::string &path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

class SimulatedInterface final : public AcquisitionInterface
{
public:
    explicit SimulatedInterface(std::string name) : m_name(std::move(name)) {}

    Herror info(const std::string &query, HTuple *information, HTuple *valueList) override;
    Herror open(const AcquisitionOpenRequest &request, std::shared_ptr<AcquisitionDevice> *device) override;

private:
    bool isLuCam() const { return m_name == "LuCam"; }
    std::string boardText(const Camera &camera, bool open) const;
    // The folder a device text names: the text itself or, for LuCam, what follows the
    // connection kind ("usb:/pictures").
    std::string folderOf(const std::string &device) const;
    bool matches(const Camera &camera, const AcquisitionOpenRequest &request, const std::string &folder) const;

    const std::string m_name;
};

std::string SimulatedInterface::boardText(const Camera &camera, bool open) const
{
    const char *status = open ? "busy" : "free";
    if (isLuCam())
        return "device:" + camera.device + " serial:" + camera.serialNumber + " model:" + camera.model
            + " status:" + status;
    return "device:" + camera.device + " camera_type:" + camera.model + " sn:" + camera.serialNumber
        + " status:" + status;
}

std::string SimulatedInterface::folderOf(const std::string &device) const
{
    if (isFolder(device))
        return device;
    if (isLuCam()) {
        const size_t colon = device.find(':');
        if (colon != std::string::npos && isFolder(device.substr(colon + 1)))
            return device.substr(colon + 1);
    }
    return std::string();
}

bool SimulatedInterface::matches(const Camera &camera, const AcquisitionOpenRequest &request,
                                 const std::string &folder) const
{
    // A configuration file in place of the camera type chooses no particular camera.
    const bool typeMatches = request.cameraType == "default" || request.cameraType == camera.model
        || isFile(request.cameraType);
    const bool deviceMatches = request.device == "default" || request.device == camera.device
        || request.device == camera.serialNumber || !folder.empty();
    return typeMatches && deviceMatches;
}

Herror SimulatedInterface::info(const std::string &query, HTuple *information, HTuple *valueList)
{
    const DriverVersion driver = simulatedDriverVersion(m_name);
    if (!driver.installed)
        return kErrAcqInterface;
    if (query == "info_boards") {
        std::vector<HValue> boards;
        for (const SlotPtr &slot : simulatedSlots(m_name)) {
            std::lock_guard lock(slot->mutex);
            boards.emplace_back(boardText(slot->camera, slot->open));
        }
        *information = HTuple(m_name + ": " + std::to_string(boards.size()) + " camera(s) connected");
        *valueList = HTuple(std::move(boards));
        return kSuccess;
    }
    if (query == "revision") {
        *information = HTuple(kRevision);
        *valueList = HTuple(kRevision);
        return kSuccess;
    }
    if (query == "driver_version") {
        *information = HTuple(std::to_string(driver.major) + "." + std::to_string(driver.minor) + "."
                              + std::to_string(driver.build) + "." + std::to_string(driver.revision));
        *valueList = HTuple(std::vector<Hlong>{driver.major, driver.minor, driver.build, driver.revision});
        return kSuccess;
    }
    return kErrWrongValue2;
}

Herror SimulatedInterface::open(const AcquisitionOpenRequest &request, std::shared_ptr<AcquisitionDevice> *device)
{
    SimulatedCameras::OpenCall call{m_name, request.cameraType, request.device, request.colorSpace, false};
    if (!simulatedDriverVersion(m_name).installed) {
        logSimulatedOpen(call);
        return kErrAcqInterface;
    }
    if (consumeSimulatedFault(m_name, Fault::OpenFails)) {
        logSimulatedOpen(call);
        return kErrAcqDeviceNotFound;
    }
    const std::string deviceFolder = folderOf(request.device);
    SlotPtr chosen;
    bool busy = false;
    for (const SlotPtr &slot : simulatedSlots(m_name)) {
        std::lock_guard lock(slot->mutex);
        if (!matches(slot->camera, request, deviceFolder))
            continue;
        if (slot->open) {
            busy = true;
            continue;
        }
        slot->open = true; // reserved while the pictures are made
        chosen = slot;
        break;
    }
    if (!chosen) {
        logSimulatedOpen(call);
        return busy ? kErrAcqDeviceBusy : kErrAcqDeviceNotFound;
    }

    Camera camera;
    {
        std::lock_guard lock(chosen->mutex);
        camera = chosen->camera;
    }
    std::string folder = camera.pictureFolder.empty() ? deviceFolder : camera.pictureFolder;
    if (folder.empty()) {
        const char *environment = std::getenv(SimulatedCameras::kPicturesEnvironment);
        if (environment && isFolder(environment))
            folder = environment;
    }
    std::shared_ptr<SimulatedPictures> pictures;
    const Herror made = SimulatedPictures::make(folder, camera.width, camera.height, request.colorSpace == "rgb",
                                                &pictures);
    std::lock_guard lock(chosen->mutex);
    if (made != kSuccess) {
        chosen->open = false;
        logSimulatedOpen(call);
        return made;
    }
    chosen->parameters = std::make_unique<SimulatedParameters>(SimulatedParameters::kindOf(m_name, camera.model),
                                                               camera.model, camera.hasEeprom, camera.eeprom,
                                                               kRevision);
    chosen->parameters->set("external_trigger", HTuple(request.externalTrigger ? "true" : "false"));
    chosen->edgePending = false;
    chosen->waitingForTrigger = false;
    chosen->grabAttempts = 0;
    chosen->pictures = 0;
    call.accepted = true;
    logSimulatedOpen(call);
    *device = std::make_shared<SimulatedCameraDevice>(chosen, std::move(pictures));
    return kSuccess;
}

} // namespace

std::shared_ptr<AcquisitionInterface> makeSimulatedInterface(const std::string &name)
{
    return std::make_shared<SimulatedInterface>(name);
}

} // namespace Halcon::Detail
