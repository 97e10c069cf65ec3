#pragma once

// Mirroring, quarter turns and scaling of whole images, as a camera's picture needs them. Every
// operator returns kSuccess (2) or a failure number of HalconErrors.h and leaves its output
// untouched on failure. The domain turns with the pixels.

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

namespace Halcon {

// mode "row": top and bottom change places; "column": left and right; "diagonal": rows
// become columns (the image is transposed).
Herror mirror_image(const Hobject &image, Hobject *imageMirror, const HTuple &mode);

// Turns each image about its centre by phi degrees, counter-clockwise on screen; a quarter
// turn swaps width and height. Only multiples of 90 degrees are supported (others fail with
// kErrWrongValue1), so no pixel is interpolated: interpolation must name a method
// ("none", "constant", "bilinear", "bicubic", "weighted") but changes nothing.
Herror rotate_image(const Hobject &image, Hobject *imageRotate, const HTuple &phi, const HTuple &interpolation);

// Scales each image by scaleWidth and scaleHeight (each > 0; a side becomes its length times
// the factor, rounded, at least 1 and at most kMaxZoomedSide, else kErrWrongValue1 or 2,
// refused before anything is allocated). interpolation: "nearest_neighbor", "bilinear",
// "bicubic", or "constant" and "weighted" (the mean of the pixels each new pixel covers).
// The domain of the input is taken as the full picture, and so is the result's.
constexpr Hlong kMaxZoomedSide = 32768;
Herror zoom_image_factor(const Hobject &image, Hobject *imageZoomed, const HTuple &scaleWidth,
                         const HTuple &scaleHeight, const HTuple &interpolation);

} // namespace Halcon
