#pragma once

// Operators across the channels of an image, as averaging several pictures needs them.
// Every operator returns kSuccess (2) or a failure number of HalconErrors.h and leaves its
// output untouched on failure.

#include "HTuple.h"
#include "HalconTypes.h"
#include "Hobject.h"

namespace Halcon {

// All one-channel images of the input, in order, become the channels of one image. They
// must share size and pixel type; the pixels are shared, not copied. The domain is the
// intersection of the inputs' domains.
Herror channels_to_image(const Hobject &images, Hobject *multiChannelImage);

// Per image: the mean of its channels as a one-channel image of the same pixel type and
// domain; byte and uint2 means are rounded to the nearest value.
Herror mean_n(const Hobject &image, Hobject *imageMean);

// Per image: its channel number channel (1-based) as a one-channel image with the image's
// domain; the pixels are shared, not copied.
Herror access_channel(const Hobject &multiChannelImage, Hobject *image, const HTuple &channel);

} // namespace Halcon
