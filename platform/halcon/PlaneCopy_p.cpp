#include "PlaneCopy_p.h"

#include "HalconAop_p.h"
#include "PlaneCache_p.h"

#include <cstring>

namespace Halcon::Detail {

cv::Mat copyPlane(const cv::Mat &source, std::string_view op, std::string_view type)
{
    return pastePlane(source, cv::Rect(), cv::Mat(), op, type);
}

cv::Mat pastePlane(const cv::Mat &plane, const cv::Rect &area, const cv::Mat &part, std::string_view op,
                   std::string_view type)
{
    CV_Assert(area.empty() || (area == (area & cv::Rect(0, 0, plane.cols, plane.rows)) && part.size() == area.size()
                               && part.type() == plane.type()));
    cv::Mat out = cachedPlane(plane.rows, plane.cols, plane.type());
    const size_t pixel = plane.elemSize();
    const size_t left = size_t(area.x) * pixel;
    const size_t inside = size_t(area.width) * pixel;
    const size_t whole = size_t(plane.cols) * pixel;
    Aop::parallelRows(op, type, plane.rows, [&](int firstRow, int endRow) {
        for (int r = firstRow; r < endRow; ++r) {
            uchar *to = out.ptr(r);
            const uchar *from = plane.ptr(r);
            if (area.empty() || r < area.y || r >= area.y + area.height) {
                std::memcpy(to, from, whole);
                continue;
            }
            std::memcpy(to, from, left);
            std::memcpy(to + left, part.ptr(r - area.y), inside);
            std::memcpy(to + left + inside, from + left + inside, whole - left - inside);
        }
    });
    return out;
}

} // namespace Halcon::Detail
