#pragma once

#include <QString>

// One connected camera as the interface's camera list reports it. For a LuCam camera the
// camera type holds the connection kind ("usb", "gige") and the device the identifier after
// it, which the open joins again as "<type>:<device>".
struct CameraDeviceInfo {
    QString CameraType;
    QString Device;
    QString SerialNumber;

    // One text of the interface's "info_boards" list (1 uEye, 2 LuCam); fields the text does
    // not hold stay empty.
    static CameraDeviceInfo fromBoardText(int cameraInterface, const QString& text);

    bool operator==(const CameraDeviceInfo&) const = default;
};
