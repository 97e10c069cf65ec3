#pragma once

#include "Camera_Settings_Data.h"
#include "Errors.h"

#include <QList>
#include <QString>
#include <QStringList>

class Camera_Control;

// One line of the camera choice: a camera of the interface, the record's own camera or the
// default camera ("default", "default", no serial number).
struct CameraListEntry {
    QString cameraType;
    QString device; // the camera ID
    QString serialNumber;
    bool connected = false;

    static CameraListEntry of(const Camera_Settings_Data::DeviceGroup& device);
    bool isDefault() const;
    bool sameCamera(const CameraListEntry& other) const;
    // "Default camera", else "<type> | Cam.ID: <id> | SN: <serial> | Connected" (or "Not connected").
    QString text() const;
};

// The cameras the editor offers: the default camera first, then the record's camera, then
// every other camera the interface reports, each marked connected when it was found.
class Camera_Settings_CameraList {
public:
    // Scans the record's interface. On a failed scan the list stays as it was, so that it
    // keeps matching the combo box it was shown in, and the scan's code is returned.
    Errors::Type_Error rebuild(const Camera_Settings_Data::DeviceGroup& device, Camera_Control& camera);

    int size() const { return int(m_entries.size()); }
    const CameraListEntry& at(int index) const { return m_entries.at(index); }
    QStringList texts() const;
    // The last entry of the record's camera, -1 when none.
    int indexOf(const Camera_Settings_Data::DeviceGroup& device) const;

private:
    QList<CameraListEntry> m_entries;
};
