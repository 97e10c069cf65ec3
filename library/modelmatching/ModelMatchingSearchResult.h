#pragma once

#include "ModelMatchingTransform.h"

#include <Hobject.h>

// What a search hands back. Every search starts by resetting it.
struct ModelMatchingSearchResult {
    void Reset() { *this = ModelMatchingSearchResult(); }

    int Status = 2;     // the last failing layer code; 2 = success
    bool Found = false; // exactly one match that passed the checks
    // Maps template-picture coordinates onto the searched picture: pivot the model origin
    // (doubled), shift the found position less twice the origin, the found scale and angle.
    ModelMatchingTransform Transform;
    double Score = 0.0;
    Halcon::Hobject SearchContour;   // the search contour used, in picture pixels
    Halcon::Hobject SearchPicture;   // the filtered picture reduced to the search region
    Halcon::Hobject ModelContour;    // the model's edges placed at the match
    Halcon::Hobject SearchRectangle; // where the model's reference point was allowed
};
