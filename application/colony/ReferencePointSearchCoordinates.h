#pragma once

#include "IPlateCoordinates.h"

class ReferencePointSearch;

// The plate coordinate system of a ReferencePointSearch as the colony engine reads it. Holds
// the search, which it does not own; a null search reads as resolution 0 and identity.
class ReferencePointSearchCoordinates : public IPlateCoordinates {
public:
    explicit ReferencePointSearchCoordinates(ReferencePointSearch* search = nullptr) : m_search(search) {}

    ReferencePointSearch* search() const { return m_search; }

    double horizontalResolution() override;
    double verticalResolution() override;
    double meanResolution() override;
    double axisRotation() override;
    void referencePointPosition(int index, double& row, double& column) override;
    void transformHeightScale(double row, double column, double* rowCorrected, double* columnCorrected) override;
    void transformPlateCoordinates(double row, double column, double* yMillimetres, double* xMillimetres) override;

private:
    using Transform = void (ReferencePointSearch::*)(double, double, double*, double*) const;
    void transform(Transform transform, double row, double column, double* first, double* second) const;

    ReferencePointSearch* m_search = nullptr;
};
