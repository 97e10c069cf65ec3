#pragma once

#include <QString>
#include <QtGlobal>

// The values of the live view's set-up aids without the record's file and signals, so that
// the aids can measure on a copy. Positions and sizes are percent of the longer picture
// side, angles degrees.
struct Camera_LiveView_Settings_Data {
    // The measuring rectangle: left and top edge of the unrotated rectangle, its width and
    // height, turned by Angle about its centre.
    struct LabwareGroup {
        double Angle = 0.0;
        double PositionX = 10.0;
        double PositionY = 10.0;
        double SizeX = 60.0;
        double SizeY = 40.0;
        bool operator==(const LabwareGroup&) const = default;

        static LabwareGroup of(double positionX, double positionY, double sizeX, double sizeY, double angle)
        {
            LabwareGroup labware;
            labware.Angle = angle;
            labware.PositionX = positionX;
            labware.PositionY = positionY;
            labware.SizeX = sizeX;
            labware.SizeY = sizeY;
            return labware;
        }
    };

    struct GradientValueGroup {
        double Threshold = 13.0;
        double Sensibility = 30.0;
        bool operator==(const GradientValueGroup&) const = default;
    };

    struct GrayValueGroup {
        double Center = 127.0;
        double Sensibility = 10.0;
        bool operator==(const GrayValueGroup&) const = default;
    };

    struct HomogeneousGroup {
        double Threshold = 13.0;
        qint32 FilterMeanMode = 4; // 1 "Off" .. 13 "Ultra extreme"
        double Sensibility = 10.0;
        bool operator==(const HomogeneousGroup&) const = default;
    };

    struct CameraFocusGroup {
        LabwareGroup Labware;
        GradientValueGroup GradientValue;
        bool operator==(const CameraFocusGroup&) const = default;
    };

    struct CameraApertureGroup {
        LabwareGroup Labware;
        GrayValueGroup GrayValue;
        bool operator==(const CameraApertureGroup&) const = default;
    };

    struct CameraHomogeneousGroup {
        LabwareGroup Labware;
        HomogeneousGroup Homogeneous;
        bool operator==(const CameraHomogeneousGroup&) const = default;
    };

    QString Name;
    CameraFocusGroup CameraFocus;
    CameraApertureGroup CameraAperture;
    CameraHomogeneousGroup CameraHomogeneous;

    bool operator==(const Camera_LiveView_Settings_Data&) const = default;
};
