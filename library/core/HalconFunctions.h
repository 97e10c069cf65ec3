#pragma once

#include <HTuple.h>
#include <Hobject.h>

#include <QString>

// Free helpers of the application around the vision layer: contour builders for the
// analysis pages, texts of layer error numbers and the process-wide last layer error.
// Positions are pixels (row, column); angles are degrees unless the name says otherwise.

// Text of a layer error number, as the layer words it.
QString HalconErrorText(int halconError);

// Records a layer result as the process's last layer error; the success code 2 is ignored,
// so a later success never hides an earlier failure. Thread-safe.
void HalconRecordError(int halconResult);
// The last recorded layer error, or 2 when none has been recorded (or since the reset).
int HalconLastError();
void HalconResetLastError();

// Each builder returns a new contour object; a failing operator yields an empty object.
Halcon::Hobject HalconGenCross(double row, double column, double size, double angleDegrees);
Halcon::Hobject HalconGenCircle(double row, double column, double radius);
// Runs counter-clockwise on screen from start to end.
Halcon::Hobject HalconGenArc(double row, double column, double radius, double startDegrees, double endDegrees);
// Places contours given about the origin (as a shape model describes itself): scaled, then
// rotated by angleRadians, then moved to (row, column). A failing step does not stop the
// later ones.
Halcon::Hobject HalconPlaceContours(const Halcon::Hobject& contours, double row, double column,
                                    double scale, double angleRadians);
// A shape model's contours (pyramid level 1) placed at a match, as HalconPlaceContours
// places them; empty when the model has no contours or the handle is not valid.
Halcon::Hobject HalconShapeModelContours(const Halcon::HTuple& modelID, double row, double column, double scale,
                                         double angleRadians);
