#pragma once

// The plate coordinate system of the last reference-point search, as the colony engine reads
// it: resolutions in pixels per millimetre, the plate rotation, the reference points and the
// two transforms (picture pixels -> height-corrected pixels -> plate millimetres). Positions
// are (row, column); millimetres come out as (Y, X). Read on the analysis worker's thread only.
class IPlateCoordinates {
public:
    virtual ~IPlateCoordinates() = default;

    virtual double horizontalResolution() = 0;
    virtual double verticalResolution() = 0;
    // Mean of the two resolutions; the factor of every length and area in millimetres.
    virtual double meanResolution() = 0;
    // Rotation of the plate's horizontal axis against the picture axis, radians ccw.
    virtual double axisRotation() = 0;
    // Picture position of reference point index (0 top left, 1 top right, 2 bottom left,
    // 3 bottom right) as the search holds it; (0, 0) for any other index.
    virtual void referencePointPosition(int index, double& row, double& column) = 0;
    virtual void transformHeightScale(double row, double column, double* rowCorrected, double* columnCorrected) = 0;
    virtual void transformPlateCoordinates(double row, double column, double* yMillimetres, double* xMillimetres) = 0;
};
