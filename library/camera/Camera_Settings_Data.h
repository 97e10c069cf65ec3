#pragma once

#include <QString>
#include <QtGlobal>

// The values of the camera settings, without the record's file and signals: what the camera
// thread keeps as the state of the open camera and what the record hands it as a snapshot.
// The groups are those of the settings file; default member values are the built-in ones,
// defaults() applies the class-wide defaults of Camera_Settings.
struct Camera_Settings_Data {
    struct DeviceGroup {
        qint32 CameraInterface = 1; // 1 "uEye", 2 "LuCam"
        QString CameraType = QStringLiteral("default");
        QString CameraDevice = QStringLiteral("default");
        QString CameraSerialNumber;
        qint32 ConnectionMode = 1; // uEye: 1 by serial number, 2 by device, 3 by camera type
        bool UseCameraIniFile = false;
        QString CameraIniFile;
        bool operator==(const DeviceGroup&) const = default;
    };

    struct SettingsGroup {
        qint32 ColorSpace = 1; // 1 grey, 2 colour
        double ExposureTime = 200.0; // ms
        double FrameRate = 4.0;
        bool FrameRateMaxMode = true;
        qint32 PixelClock = 18; // MHz
        qint32 EdgeEnhancement = 1;
        quint16 GainMaster = 0;
        double GammaCorrection = 1.6;
        qint32 WhiteBalanceMode = 1;
        quint16 WhiteBalanceR = 5;
        quint16 WhiteBalanceG = 0;
        quint16 WhiteBalanceB = 3;
        bool operator==(const SettingsGroup&) const = default;
    };

    struct PictureGroup {
        bool MirrorLeftRight = false;
        bool MirrorUpDown = false;
        qint32 Rotate = 1; // 1 none, 2 by 90, 3 by 270, 4 by 180 degrees
        quint16 Multiples = 1; // grabs averaged into one picture
        bool operator==(const PictureGroup&) const = default;
    };

    struct ExternalTriggerGroup {
        bool Used = false;
        qint32 TriggerSignal = 1; // 1 falling, 2 rising, 3 software
        quint32 TriggerTimeout = 0; // s; 0 waits without limit
        double TriggerDelay = 0.0;
        bool operator==(const ExternalTriggerGroup&) const = default;
    };

    struct ExternalFlashGroup {
        bool Used = false;
        bool StrobeInvert = true;
        double StrobeDelay = 0.0;
        double StrobeDuration = 0.0;
        bool operator==(const ExternalFlashGroup&) const = default;
    };

    QString Name;
    QString ConfigVersion; // of the last text read
    DeviceGroup Device;
    SettingsGroup Settings;
    PictureGroup Picture;
    ExternalTriggerGroup ExternalTrigger;
    ExternalFlashGroup ExternalFlash;

    bool operator==(const Camera_Settings_Data&) const = default;
};
