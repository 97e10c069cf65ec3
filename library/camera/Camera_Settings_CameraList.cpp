#include "Camera_Settings_CameraList.h"

#include "CameraDeviceInfo.h"
#include "Camera_Control.h"

#include <QCoreApplication>

CameraListEntry CameraListEntry::of(const Camera_Settings_Data::DeviceGroup& device)
{
    return {device.CameraType, device.CameraDevice, device.CameraSerialNumber, false};
}

bool CameraListEntry::isDefault() const
{
    return cameraType == QLatin1String("default") && device == QLatin1String("default") && serialNumber.isEmpty();
}

bool CameraListEntry::sameCamera(const CameraListEntry& other) const
{
    return cameraType == other.cameraType && device == other.device && serialNumber == other.serialNumber;
}

QString CameraListEntry::text() const
{
    if (isDefault())
        return QCoreApplication::translate("Camera_Settings_Gui", "Default camera");
    return QCoreApplication::translate("Camera_Settings_Gui", "%1 | Cam.ID: %2 | SN: %3 | %4")
        .arg(cameraType, device, serialNumber,
             connected ? QCoreApplication::translate("Camera_Settings_Gui", "Connected")
                       : QCoreApplication::translate("Camera_Settings_Gui", "Not connected"));
}

Errors::Type_Error Camera_Settings_CameraList::rebuild(const Camera_Settings_Data::DeviceGroup& device,
                                                       Camera_Control& camera)
{
    QList<CameraDeviceInfo> found;
    if (const Errors::Type_Error error = camera.ScanDevices(device.CameraInterface, found))
        return error;
    QList<CameraListEntry> entries;
    entries.append({QStringLiteral("default"), QStringLiteral("default"), QString(), false});
    const CameraListEntry own = CameraListEntry::of(device);
    if (!own.isDefault())
        entries.append(own);
    for (const CameraDeviceInfo& info : found) {
        const CameraListEntry seen{info.CameraType, info.Device, info.SerialNumber, true};
        bool listed = false;
        for (CameraListEntry& entry : entries) {
            if (entry.sameCamera(seen)) {
                entry.connected = true;
                listed = true;
            }
        }
        if (!listed)
            entries.append(seen);
    }
    m_entries = entries;
    return 0;
}

QStringList Camera_Settings_CameraList::texts() const
{
    QStringList result;
    for (const CameraListEntry& entry : m_entries)
        result.append(entry.text());
    return result;
}

int Camera_Settings_CameraList::indexOf(const Camera_Settings_Data::DeviceGroup& device) const
{
    const CameraListEntry own = CameraListEntry::of(device);
    for (int i = int(m_entries.size()) - 1; i >= 0; --i) {
        if (m_entries.at(i).sameCamera(own))
            return i;
    }
    return -1;
}
