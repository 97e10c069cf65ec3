#include "CameraDeviceInfo.h"

#include <QRegularExpression>

namespace {

QString firstCapture(const QRegularExpression& expression, const QString& text)
{
    const QRegularExpressionMatch match = expression.match(text);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

CameraDeviceInfo CameraDeviceInfo::fromBoardText(int cameraInterface, const QString& text)
{
    static const QRegularExpression uEyeType(QStringLiteral("camera_type:([^ ]+)"));
    static const QRegularExpression uEyeDevice(QStringLiteral("device:([^ ]+)"));
    static const QRegularExpression uEyeSerial(QStringLiteral("sn:([^ ]+)"));
    static const QRegularExpression luCamType(QStringLiteral("device:([^ ]+):"));
    static const QRegularExpression luCamUsb(QStringLiteral("device:usb:([^ ]+)"));
    static const QRegularExpression luCamGigE(QStringLiteral("device:gige:([^ ]+)"));
    static const QRegularExpression luCamSerial(QStringLiteral("serial:([^ ]+)"));

    CameraDeviceInfo info;
    if (cameraInterface == 1) {
        info.CameraType = firstCapture(uEyeType, text);
        info.Device = firstCapture(uEyeDevice, text);
        info.SerialNumber = firstCapture(uEyeSerial, text);
    } else if (cameraInterface == 2) {
        info.CameraType = firstCapture(luCamType, text);
        info.Device = firstCapture(luCamUsb, text);
        const QString gigE = firstCapture(luCamGigE, text);
        if (!gigE.isEmpty())
            info.Device = gigE;
        info.SerialNumber = firstCapture(luCamSerial, text);
    }
    return info;
}
