#pragma once

#include "Errors.h"

namespace Halcon {
class Hobject;
}

// The labware grid of the running analysis, as the engine needs it: the outline of one
// container. Implemented by the analysis worker.
class IPlate {
public:
    virtual ~IPlate() = default;

    // Builds into contour the XLD outline of the container, its cell size grown by offset
    // (picture percent; negative shrinks it).
    virtual Errors::Type_Error containerContour(Halcon::Hobject& contour, qint32 containerIndex,
                                                double offset) = 0;
};
