#pragma once

// Layer-private: iso-contours of one image plane by marching squares, for
// threshold_sub_pix.

#include "HobjectElements_p.h"

#include <vector>

namespace Halcon::Detail {

// Appends the iso-contours at `threshold` of the image's first plane inside its domain
// to `out` (bright side on the left on screen; closed inside the domain, open where the
// domain ends). Works only over the domain's bounding box.
void subPixelContours(const ImageElement &image, double threshold, std::vector<XldPtr> &out);

} // namespace Halcon::Detail
