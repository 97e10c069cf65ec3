#pragma once

// Edge enhancement: shock filter, emphasize and Sobel amplitude.
//
// Every operator returns kSuccess (2) or a failure number of HalconErrors.h and leaves its
// outputs unchanged on failure (an output may be the same object as an input). An image
// input without elements fails with kErrEmptyObject. Each works per channel inside the
// image's domain and keeps the domain; pixels outside it are undefined. Inside the domain
// the result is the one the whole picture would give: neighbours are taken from the
// picture, and only beyond its border are they mirrored. Byte and uint2
// results are rounded and clipped to their range; real pictures stay real.

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

namespace Halcon {

// Sharpens edges by a shock flow: `iterations` (1 .. 4095) steps of size theta
// (0 < theta <= 0.5), each moving every grey value toward its darker neighbours where the
// picture, smoothed with a Gaussian of sigma (0 .. 100; 0 = unsmoothed), is convex and
// toward its brighter ones where it is concave. mode tells which curvature: "canny" the
// second derivative along the gradient, "laplace" the Laplacian. A blurred step becomes
// steep again while flat areas stay as they are; no value leaves the range of its
// neighbourhood.
Herror shock_filter(const Hobject &image, Hobject *sharpenedImage, const HTuple &theta, const HTuple &iterations,
                    const HTuple &mode, const HTuple &sigma);

// Local contrast: result = (grey - mean) * factor + grey, the mean taken over a
// maskWidth x maskHeight rectangle (each 1 .. 4095); factor any finite number.
Herror emphasize(const Hobject &image, Hobject *imageEmphasize, const HTuple &maskWidth, const HTuple &maskHeight,
                 const HTuple &factor);

// Edge amplitude of the Sobel derivatives a (columns) and b (rows) with a size x size mask
// (3, 5 or 7). filterType "sum_abs": (|a| + |b|) / n, where n is the sum of the mask's
// positive weights, so that a straight step of height h across the mask gives about h.
Herror sobel_amp(const Hobject &image, Hobject *edgeAmplitude, const HTuple &filterType, const HTuple &size);

} // namespace Halcon
