#pragma once

// Converts between picture units (percent of the longer picture side) and pixels. The first
// coordinate of a pair is x (the picture column), the second y (the picture row).
class IPictureUnitConverter {
public:
    // Implementations are deleted through this interface by some owners.
    virtual ~IPictureUnitConverter() = default;

    virtual void percentToPixels(double x, double y, double& xPixels, double& yPixels) = 0;
    virtual void pixelsToPercent(double x, double y, double& xPercent, double& yPercent) = 0;
};
