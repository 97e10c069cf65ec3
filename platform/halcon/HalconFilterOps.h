#pragma once

// Grey-value operators: segmentation, filters, arithmetic and grey-value statistics.
// Every operator returns kSuccess (2) or a failure number of HalconErrors.h and leaves
// its outputs unchanged on failure (an output may be the same object as an input). An
// image input without elements fails with kErrEmptyObject. Filters work inside each
// image's domain (neighbours outside the domain but inside the picture are used as they
// are) and keep the domain; pixels outside it are undefined.

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

namespace Halcon {

// One region per image: the pixels of the domain whose grey values lie in
// [minGray, maxGray] in every channel (one limit for all channels or one per channel).
// minGray > maxGray gives an empty region.
Herror threshold(const Hobject &image, Hobject *region, const HTuple &minGray, const HTuple &maxGray);

// Median over a "circle" (pixels within radius of the centre) or "square"
// (2 * radius + 1 wide) mask, radius 1 .. 4095, per channel. margin tells how pixels
// beyond the picture border are taken: "mirrored" (reflected at the border, the border
// pixel repeated), "continued" (the border pixel continued), "cyclic" (from the opposite
// side) or a number (that grey value).
Herror median_image(const Hobject &image, Hobject *imageMedian, const HTuple &maskType,
                    const HTuple &radius, const HTuple &margin);

// Mean over a maskWidth x maskHeight rectangle (each 1 .. 4095), pixels beyond the
// border mirrored; byte results are rounded.
Herror mean_image(const Hobject &image, Hobject *imageMean, const HTuple &maskWidth,
                  const HTuple &maskHeight);

// (minuend - subtrahend) * mult + add, per channel; byte results rounded and clipped to
// 0 .. 255. Both images need the same size, type and channel count; the result's domain
// is the intersection of both domains.
Herror sub_image(const Hobject &imageMinuend, const Hobject &imageSubtrahend, Hobject *imageSub,
                 const HTuple &mult, const HTuple &add);

// Per region: the grey values of the image's first channel inside region and domain,
// with percent (0 .. 50) of the darkest and of the brightest pixels left out; range is
// max - min. percent 50 gives the median (min and max enclose it for an even count).
// A region without pixels in the domain gives 0, 0, 0.
Herror min_max_gray(const Hobject &regions, const Hobject &image, const HTuple &percent,
                    HTuple *min, HTuple *max, HTuple *range);

// Per region: mean and standard deviation (population) of the grey values of the image's
// first channel inside region and domain; 0, 0 for a region without such pixels.
Herror intensity(const Hobject &regions, const Hobject &image, HTuple *mean, HTuple *deviation);

} // namespace Halcon
