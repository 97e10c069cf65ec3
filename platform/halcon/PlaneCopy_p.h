#pragma once

// Layer-private: picture-sized copies made in bands on the operator pool, in cached pixels.
// A copy of a whole plane on one thread is a large part of an operator that otherwise
// runs on every core.

#include <opencv2/core.hpp>

#include <string_view>

namespace Halcon::Detail {

// A copy of `source` (which may be a submatrix), its rows shared out under `op` and `type`
// ("byte", "uint2", "real") as parallelRows does.
cv::Mat copyPlane(const cv::Mat &source, std::string_view op, std::string_view type);

// A copy of `plane` with `part` (of `area`'s size and the plane's type) in place of the
// pixels of `area`, which lies inside the plane; every pixel is written once.
cv::Mat pastePlane(const cv::Mat &plane, const cv::Rect &area, const cv::Mat &part, std::string_view op,
                   std::string_view type);

} // namespace Halcon::Detail
