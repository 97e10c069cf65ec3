#pragma once

#include <QString>

// Look and limits of a rectangle move tool, copied into the tool when it is made. Sizes are
// percent of the longer picture side, angles degrees.
struct Hobject_View_MouseDraw_Settings {
    QString ToolName;
    bool ShowEdgeLeftTop = true;
    bool ShowEdgeRightTop = true;
    bool ShowEdgeLeftBottom = true;
    bool ShowEdgeRightBottom = true;
    bool ShowEdgeCenter = true;
    bool ShowEdgeAngle = true;
    QString EdgeColor = QStringLiteral("red");
    double EdgeSize = 1.8; // side of a handle at zoom factor 1
    int EdgeLineWidth = 3;
    double AngleMin = -45.0;
    double AngleMax = 45.0;
    double AngleEdgeSize = 0.6; // radius of the rotation handle, fraction of half a handle side
    double AngleEdgeDistance = 0.5; // start distance from the centre, fraction of half the shorter side
    int ShowAngleHelpLine = 1;
    QString AngleHelpLineColor = QStringLiteral("red");
    int AngleHelpLineWidth = 1;
    double ZoomInfluence = 0.1; // how much handles shrink as the view zooms in; exactly 1.0: not at all

    bool operator==(const Hobject_View_MouseDraw_Settings&) const = default;
};
