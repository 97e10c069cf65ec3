#include "HalconAcquisition.h"

#include "HalconGuard_p.h"
#include "HobjectElements_p.h"
#include "SimulatedInterface_p.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace Halcon {

AcquisitionDevice::~AcquisitionDevice() = default;
AcquisitionInterface::~AcquisitionInterface() = default;

namespace {

struct Registry
{
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<AcquisitionInterface>> interfaces;
    std::map<Hlong, std::shared_ptr<AcquisitionDevice>> handles;
    Hlong nextHandle = 1;
};

Registry &registry()
{
    static Registry *r = [] {
        auto *made = new Registry;
        for (const char *name : {"uEye", "LuCam"})
            made->interfaces[name] = Detail::makeSimulatedInterface(name);
        return made;
    }();
    return *r;
}

std::shared_ptr<AcquisitionDevice> deviceOf(const HTuple &acqHandle)
{
    if (acqHandle.Length() != 1 || !acqHandle[0].IsInteger())
        return nullptr;
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    const auto it = r.handles.find(acqHandle[0].L());
    return it == r.handles.end() ? nullptr : it->second;
}

Herror deviceAndParameter(const HTuple &acqHandle, const HTuple &param, std::shared_ptr<AcquisitionDevice> *device,
                          std::string *name)
{
    *device = deviceOf(acqHandle);
    if (!*device)
        return kErrInvalidHandle;
    return singleString(param, 2, name);
}

// open_framegrabber has 16 control values; the numbered failures go up to 12, so the last
// four share the twelfth.
Herror valueError(int parameter)
{
    return parameter <= 9 ? wrongValue(parameter) : Herror(kErrWrongValue10 + std::min(parameter, 12) - 10);
}

// A text parameter that may also be "default".
Herror choice(const HTuple &tuple, int parameter, std::initializer_list<const char *> allowed, std::string *value)
{
    if (Herror e = singleString(tuple, parameter, value); e != kSuccess)
        return e;
    for (const char *name : allowed) {
        if (*value == name)
            return kSuccess;
    }
    return valueError(parameter);
}

Herror wholeSensor(const HTuple &tuple, int parameter, std::initializer_list<Hlong> allowed)
{
    Hlong value = 0;
    if (Herror e = singleInteger(tuple, parameter, &value); e != kSuccess)
        return e;
    for (Hlong a : allowed) {
        if (value == a)
            return kSuccess;
    }
    return wrongValue(parameter);
}

Herror openDevice(const HTuple &name, const HTuple &horizontalResolution, const HTuple &verticalResolution,
                  const HTuple &imageWidth, const HTuple &imageHeight, const HTuple &startRow,
                  const HTuple &startColumn, const HTuple &bitsPerChannel, const HTuple &colorSpace,
                  const HTuple &externalTrigger, const HTuple &cameraType, const HTuple &device, const HTuple &port,
                  const HTuple &lineIn, Hlong *handle)
{
    std::string interfaceName;
    if (Herror e = singleString(name, 1, &interfaceName); e != kSuccess)
        return e;
    // Only the whole sensor at full resolution is offered.
    const HTuple *resolutions[] = {&horizontalResolution, &verticalResolution};
    for (int i = 0; i < 2; ++i) {
        if (Herror e = wholeSensor(*resolutions[i], i + 2, {0, 1}); e != kSuccess)
            return e;
    }
    const HTuple *window[] = {&imageWidth, &imageHeight, &startRow, &startColumn};
    for (int i = 0; i < 4; ++i) {
        if (Herror e = wholeSensor(*window[i], i + 4, {0}); e != kSuccess)
            return e;
    }
    if (Herror e = wholeSensor(bitsPerChannel, 9, {8, -1}); e != kSuccess)
        return e;
    AcquisitionOpenRequest request;
    std::string trigger;
    if (Herror e = choice(colorSpace, 10, {"gray", "rgb", "default"}, &request.colorSpace); e != kSuccess)
        return e;
    if (request.colorSpace == "default")
        request.colorSpace = "gray";
    if (Herror e = choice(externalTrigger, 12, {"true", "false", "default"}, &trigger); e != kSuccess)
        return e;
    request.externalTrigger = trigger == "true";
    if (Herror e = singleString(cameraType, 13, &request.cameraType); e != kSuccess)
        return e;
    if (Herror e = singleString(device, 14, &request.device); e != kSuccess)
        return e;
    if (Herror e = singleInteger(port, 15, &request.port); e != kSuccess)
        return e;
    if (Herror e = singleInteger(lineIn, 16, &request.lineIn); e != kSuccess)
        return e;

    const std::shared_ptr<AcquisitionInterface> source = acquisitionInterface(interfaceName);
    if (!source)
        return kErrAcqInterface;
    std::shared_ptr<AcquisitionDevice> opened;
    if (Herror e = source->open(request, &opened); e != kSuccess)
        return e;
    if (!opened)
        return kErrInternal;
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    *handle = r.nextHandle++;
    r.handles[*handle] = std::move(opened);
    return kSuccess;
}

} // namespace

Herror open_framegrabber(const HTuple &name, const HTuple &horizontalResolution, const HTuple &verticalResolution,
                         const HTuple &imageWidth, const HTuple &imageHeight, const HTuple &startRow,
                         const HTuple &startColumn, const HTuple & /*field*/, const HTuple &bitsPerChannel,
                         const HTuple &colorSpace, const HTuple & /*generic*/, const HTuple &externalTrigger,
                         const HTuple &cameraType, const HTuple &device, const HTuple &port, const HTuple &lineIn,
                         Hlong *acqHandle)
{
    return guarded([&]() -> Herror {
        Hlong handle = 0;
        const Herror e = openDevice(name, horizontalResolution, verticalResolution, imageWidth, imageHeight,
                                    startRow, startColumn, bitsPerChannel, colorSpace, externalTrigger, cameraType,
                                    device, port, lineIn, &handle);
        if (e == kSuccess && acqHandle)
            *acqHandle = handle;
        return e;
    });
}

Herror open_framegrabber(const HTuple &name, const HTuple &horizontalResolution, const HTuple &verticalResolution,
                         const HTuple &imageWidth, const HTuple &imageHeight, const HTuple &startRow,
                         const HTuple &startColumn, const HTuple &field, const HTuple &bitsPerChannel,
                         const HTuple &colorSpace, const HTuple &generic, const HTuple &externalTrigger,
                         const HTuple &cameraType, const HTuple &device, const HTuple &port, const HTuple &lineIn,
                         HTuple *acqHandle)
{
    Hlong handle = 0;
    const Herror e = open_framegrabber(name, horizontalResolution, verticalResolution, imageWidth, imageHeight,
                                       startRow, startColumn, field, bitsPerChannel, colorSpace, generic,
                                       externalTrigger, cameraType, device, port, lineIn, &handle);
    if (e == kSuccess && acqHandle)
        *acqHandle = HTuple(handle);
    return e;
}

Herror close_framegrabber(const HTuple &acqHandle)
{
    return guarded([&]() -> Herror {
        std::shared_ptr<AcquisitionDevice> device;
        {
            Registry &r = registry();
            std::lock_guard lock(r.mutex);
            if (acqHandle.Length() != 1 || !acqHandle[0].IsInteger())
                return kErrInvalidHandle;
            const auto it = r.handles.find(acqHandle[0].L());
            if (it == r.handles.end())
                return kErrInvalidHandle;
            device = std::move(it->second);
            r.handles.erase(it);
        }
        device->close();
        return kSuccess;
    });
}

Herror grab_image(Hobject *image, const HTuple &acqHandle)
{
    return guarded([&]() -> Herror {
        const std::shared_ptr<AcquisitionDevice> device = deviceOf(acqHandle);
        if (!device)
            return kErrInvalidHandle;
        Hobject grabbed;
        const Herror e = device->grab(&grabbed);
        if (e == kSuccess && image)
            *image = grabbed;
        return e;
    });
}

Herror set_framegrabber_param(const HTuple &acqHandle, const HTuple &param, const HTuple &value)
{
    return guarded([&]() -> Herror {
        std::shared_ptr<AcquisitionDevice> device;
        std::string name;
        if (Herror e = deviceAndParameter(acqHandle, param, &device, &name); e != kSuccess)
            return e;
        return device->setParameter(name, value);
    });
}

Herror get_framegrabber_param(const HTuple &acqHandle, const HTuple &param, HTuple *value)
{
    return guarded([&]() -> Herror {
        std::shared_ptr<AcquisitionDevice> device;
        std::string name;
        if (Herror e = deviceAndParameter(acqHandle, param, &device, &name); e != kSuccess)
            return e;
        HTuple read;
        const Herror e = device->getParameter(name, &read);
        if (e == kSuccess && value)
            *value = std::move(read);
        return e;
    });
}

Herror info_framegrabber(const HTuple &name, const HTuple &query, HTuple *information, HTuple *valueList)
{
    return guarded([&]() -> Herror {
        std::string interfaceName, queryName;
        if (Herror e = singleString(name, 1, &interfaceName); e != kSuccess)
            return e;
        if (Herror e = singleString(query, 2, &queryName); e != kSuccess)
            return e;
        const std::shared_ptr<AcquisitionInterface> source = acquisitionInterface(interfaceName);
        if (!source)
            return kErrAcqInterface;
        HTuple info, values;
        const Herror e = source->info(queryName, &info, &values);
        if (e != kSuccess)
            return e;
        if (information)
            *information = std::move(info);
        if (valueList)
            *valueList = std::move(values);
        return kSuccess;
    });
}

void registerAcquisitionInterface(const std::string &name, std::shared_ptr<AcquisitionInterface> acquisitionInterface)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    if (acquisitionInterface)
        r.interfaces[name] = std::move(acquisitionInterface);
    else
        r.interfaces.erase(name);
}

std::shared_ptr<AcquisitionInterface> acquisitionInterface(const std::string &name)
{
    Registry &r = registry();
    std::lock_guard lock(r.mutex);
    const auto it = r.interfaces.find(name);
    return it == r.interfaces.end() ? nullptr : it->second;
}

} // namespace Halcon
