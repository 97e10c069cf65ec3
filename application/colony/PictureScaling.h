#pragma once

#include "Errors.h"

#include <Hobject.h>

// Scaling of byte pictures for export and saving ("constant" interpolation: each target
// pixel takes its nearest source pixel).
namespace PictureScaling {

// Larger factors would ask for pictures of many gigabytes.
constexpr double MaximumFactor = 10.0;

// 0 with the scaled picture; 3 "General application error" for a picture that is not one
// of byte pixels, a factor that is not above 0 or beyond MaximumFactor, or a failing
// vision-layer call (recorded as the last vision error).
Errors::Type_Error scaleByFactor(const Halcon::Hobject& picture, double factor, Halcon::Hobject& scaled);

} // namespace PictureScaling
