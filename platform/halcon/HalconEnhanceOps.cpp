#include "HalconEnhanceOps.h"

#include "HalconAop_p.h"
#include "HalconGuard_p.h"
#include "HobjectElements_p.h"
#include "PlaneCache_p.h"

#include <opencv2/core/hal/intrin.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace Halcon {

using namespace Detail;

namespace {

constexpr Hlong kMaxMask = 4095;
constexpr Hlong kMaxIterations = 4095;
constexpr double kMaxSigma = 100.0;

// The part of the picture whose results are kept (the domain's bounding box) and the
// larger part computed around it, so that everything within `reach` pixels of a kept
// pixel is real picture data.
struct EnhanceArea
{
    cv::Rect kept;
    cv::Rect computed;
};

EnhanceArea enhanceArea(const ImageElement &image, int reach)
{
    const cv::Rect picture(0, 0, image.width, image.height);
    EnhanceArea area;
    if (image.hasFullDomain()) {
        area.kept = picture;
    } else if (!image.domain->isEmpty()) {
        const RegionElement &d = *image.domain;
        area.kept = cv::Rect(d.col1, d.row1, d.col2 - d.col1 + 1, d.row2 - d.row1 + 1) & picture;
    }
    if (!area.kept.empty()) {
        const cv::Rect grown(area.kept.x - reach, area.kept.y - reach, area.kept.width + 2 * reach,
                             area.kept.height + 2 * reach);
        area.computed = grown & picture;
    }
    return area;
}

// Runs filter(source as 32-bit float, result as 32-bit float) over the computed area of
// every plane and keeps the result inside the kept area.
template<class Filter>
ImagePtr enhanceImage(const ImageElement &image, int reach, Filter &&filter)
{
    const EnhanceArea area = enhanceArea(image, reach);
    const cv::Rect keptInComputed(area.kept.x - area.computed.x, area.kept.y - area.computed.y, area.kept.width,
                                  area.kept.height);
    const bool whole = area.kept.width == image.width && area.kept.height == image.height;
    std::vector<cv::Mat> planes;
    planes.reserve(image.planes.size());
    for (const cv::Mat &plane : image.planes) {
        cv::Mat out = whole ? cachedPlane(plane.rows, plane.cols, plane.type()) : plane.clone();
        if (!area.kept.empty()) {
            cv::Mat source, result;
            plane(area.computed).convertTo(source, CV_32F);
            filter(source, result);
            // convertTo rounds and saturates to the plane's type.
            cv::Mat target = out(area.kept);
            result(keptInComputed).convertTo(target, plane.type());
        }
        planes.push_back(out);
    }
    return makeImage(std::move(planes), image.domain);
}

Herror numberIn(const HTuple &tuple, int parameter, double low, double high, bool lowOpen, double *value)
{
    if (const Herror err = singleNumber(tuple, parameter, value); err != kSuccess)
        return err;
    if (!std::isfinite(*value) || *value > high || *value < low || (lowOpen && *value == low))
        return wrongValue(parameter);
    return kSuccess;
}

Herror integerIn(const HTuple &tuple, int parameter, Hlong low, Hlong high, Hlong *value)
{
    if (const Herror err = singleInteger(tuple, parameter, value); err != kSuccess)
        return err;
    return *value < low || *value > high ? wrongValue(parameter) : kSuccess;
}

template<class MakeOne>
Herror forEachImage(const Hobject &image, Hobject *output, MakeOne &&makeOne)
{
    std::vector<ImagePtr> images;
    if (const Herror err = imagesOf(image, 1, images); err != kSuccess)
        return err;
    return mapImages(images, output, std::forward<MakeOne>(makeOne));
}

// ---- shock filter -------------------------------------------------------------------------

struct ShockParameters
{
    double theta = 0.5;
    int iterations = 1;
    bool canny = true;
    double sigma = 0.0;
    const char *type = "byte";
};

int gaussianRadius(double sigma)
{
    return sigma > 0.0 ? std::max(1, int(std::ceil(3.0 * sigma))) : 0;
}

// One row of rows [firstRow, endRow) of one upwind step. The rows of u and smooth are
// padded by one repeated pixel on every side, so neighbours are read without bounds checks.
struct ShockRow
{
    const float *su, *sc, *sd; // smoothed: row above, the row, row below
    const float *uu, *uc, *ud; // the picture likewise
    float *out;
};

// Curvature of the smoothed picture at c: along the gradient (canny) or the Laplacian.
// Flat places have no direction and count as straight.
template<bool Canny>
float shockCurvature(const ShockRow &w, int c)
{
    const float centre = w.sc[c];
    const float ixx = w.sc[c + 1] - 2.0f * centre + w.sc[c - 1];
    const float iyy = w.sd[c] - 2.0f * centre + w.su[c];
    if constexpr (!Canny)
        return ixx + iyy;
    const float ix = 0.5f * (w.sc[c + 1] - w.sc[c - 1]), iy = 0.5f * (w.sd[c] - w.su[c]);
    const float ixy = 0.25f * (w.sd[c + 1] - w.sd[c - 1] - w.su[c + 1] + w.su[c - 1]);
    const float g2 = ix * ix + iy * iy;
    return g2 < 1e-6f ? 0.0f : (ix * ix * ixx + 2.0f * ix * iy * ixy + iy * iy * iyy) / g2;
}

// Erosion where convex, dilation where concave, each by theta times the upwind gradient.
template<bool Canny>
void shockRow(const ShockRow &w, int cols, float theta)
{
    int c = 0;
#if CV_SIMD
    using namespace cv;
    const v_float32 zero = vx_setzero_f32(), two = vx_setall_f32(2.0f), half = vx_setall_f32(0.5f);
    const v_float32 quarter = vx_setall_f32(0.25f), eps = vx_setall_f32(1e-6f), step = vx_setall_f32(theta);
    for (; c + v_float32::nlanes <= cols; c += v_float32::nlanes) {
        const v_float32 centre = vx_load(w.sc + c), left = vx_load(w.sc + c - 1), right = vx_load(w.sc + c + 1);
        const v_float32 up = vx_load(w.su + c), down = vx_load(w.sd + c);
        const v_float32 ixx = right - two * centre + left, iyy = down - two * centre + up;
        v_float32 l = ixx + iyy;
        if constexpr (Canny) {
            const v_float32 ix = half * (right - left), iy = half * (down - up);
            const v_float32 ixy =
                quarter * (vx_load(w.sd + c + 1) - vx_load(w.sd + c - 1) - vx_load(w.su + c + 1) + vx_load(w.su + c - 1));
            const v_float32 g2 = ix * ix + iy * iy;
            l = v_select(g2 < eps, zero, (ix * ix * ixx + two * ix * iy * ixy + iy * iy * iyy) / v_max(g2, eps));
        }
        const v_float32 v = vx_load(w.uc + c);
        const v_float32 dxm = v - vx_load(w.uc + c - 1), dxp = vx_load(w.uc + c + 1) - v;
        const v_float32 dym = v - vx_load(w.uu + c), dyp = vx_load(w.ud + c) - v;
        const v_float32 a = v_max(dxm, zero), b = v_min(dxp, zero), e = v_max(dym, zero), f = v_min(dyp, zero);
        const v_float32 g = v_min(dxm, zero), h = v_max(dxp, zero), k = v_min(dym, zero), m = v_max(dyp, zero);
        const v_float32 erode = v_sqrt(a * a + b * b + e * e + f * f);
        const v_float32 dilate = v_sqrt(g * g + h * h + k * k + m * m);
        const v_float32 move = v_select(l > zero, erode, zero) - v_select(l < zero, dilate, zero);
        v_store(w.out + c, v - step * move);
    }
#endif
    auto sq = [](float x) { return x * x; };
    for (; c < cols; ++c) {
        const float l = shockCurvature<Canny>(w, c);
        const float v = w.uc[c];
        const float dxm = v - w.uc[c - 1], dxp = w.uc[c + 1] - v, dym = v - w.uu[c], dyp = w.ud[c] - v;
        float move = 0.0f;
        if (l > 0.0f)
            move = std::sqrt(sq(std::max(dxm, 0.0f)) + sq(std::min(dxp, 0.0f)) + sq(std::max(dym, 0.0f))
                             + sq(std::min(dyp, 0.0f)));
        else if (l < 0.0f)
            move = -std::sqrt(sq(std::min(dxm, 0.0f)) + sq(std::max(dxp, 0.0f)) + sq(std::min(dym, 0.0f))
                              + sq(std::max(dyp, 0.0f)));
        w.out[c] = v - theta * move;
    }
}

void shockRows(const cv::Mat &u, const cv::Mat &smooth, cv::Mat &next, const ShockParameters &p, int firstRow,
               int endRow)
{
    for (int r = firstRow; r < endRow; ++r) {
        const ShockRow w{smooth.ptr<float>(r) + 1, smooth.ptr<float>(r + 1) + 1, smooth.ptr<float>(r + 2) + 1,
                         u.ptr<float>(r) + 1,      u.ptr<float>(r + 1) + 1,      u.ptr<float>(r + 2) + 1,
                         next.ptr<float>(r)};
        if (p.canny)
            shockRow<true>(w, next.cols, float(p.theta));
        else
            shockRow<false>(w, next.cols, float(p.theta));
    }
}

void shockPlane(const cv::Mat &source, cv::Mat &result, const ShockParameters &p)
{
    cv::Mat u = source.clone();
    cv::Mat next(u.size(), CV_32F);
    cv::Mat smooth, paddedU, paddedSmooth;
    const int radius = gaussianRadius(p.sigma);
    for (int i = 0; i < p.iterations; ++i) {
        if (radius > 0) {
            smooth.create(u.size(), CV_32F);
            Aop::parallelRows("shock_filter", p.type, u.rows, [&](int firstRow, int endRow) {
                cv::Mat band = smooth.rowRange(firstRow, endRow);
                cv::GaussianBlur(u.rowRange(firstRow, endRow), band, cv::Size(2 * radius + 1, 2 * radius + 1),
                                 p.sigma, p.sigma, cv::BORDER_REFLECT);
            });
        } else {
            smooth = u;
        }
        cv::copyMakeBorder(u, paddedU, 1, 1, 1, 1, cv::BORDER_REPLICATE);
        cv::copyMakeBorder(smooth, paddedSmooth, 1, 1, 1, 1, cv::BORDER_REPLICATE);
        Aop::parallelRows("shock_filter", p.type, u.rows, [&](int firstRow, int endRow) {
            shockRows(paddedU, paddedSmooth, next, p, firstRow, endRow);
        });
        std::swap(u, next);
    }
    result = u;
}

} // namespace

Herror shock_filter(const Hobject &image, Hobject *sharpenedImage, const HTuple &theta, const HTuple &iterations,
                    const HTuple &mode, const HTuple &sigma)
{
    return guarded([&]() -> Herror {
        ShockParameters p;
        if (const Herror err = numberIn(theta, 1, 0.0, 0.5, true, &p.theta); err != kSuccess)
            return err;
        Hlong steps = 0;
        if (const Herror err = integerIn(iterations, 2, 1, kMaxIterations, &steps); err != kSuccess)
            return err;
        p.iterations = int(steps);
        std::string m;
        if (const Herror err = singleString(mode, 3, &m); err != kSuccess)
            return err;
        if (m != "canny" && m != "laplace")
            return wrongValue(3);
        p.canny = m == "canny";
        if (const Herror err = numberIn(sigma, 4, 0.0, kMaxSigma, false, &p.sigma); err != kSuccess)
            return err;
        // Each step reaches one pixel beyond the smoothing mask.
        const int reach = p.iterations * (gaussianRadius(p.sigma) + 1) + 1;
        return forEachImage(image, sharpenedImage, [&](const ImageElement &img) {
            ShockParameters own = p;
            own.type = pixelTypeName(img.type);
            return enhanceImage(img, reach, [&](const cv::Mat &src, cv::Mat &dst) { shockPlane(src, dst, own); });
        });
    });
}

Herror emphasize(const Hobject &image, Hobject *imageEmphasize, const HTuple &maskWidth, const HTuple &maskHeight,
                 const HTuple &factor)
{
    return guarded([&]() -> Herror {
        Hlong w = 0, h = 0;
        if (const Herror err = integerIn(maskWidth, 1, 1, kMaxMask, &w); err != kSuccess)
            return err;
        if (const Herror err = integerIn(maskHeight, 2, 1, kMaxMask, &h); err != kSuccess)
            return err;
        double f = 0.0;
        if (const Herror err = singleNumber(factor, 3, &f); err != kSuccess)
            return err;
        if (!std::isfinite(f))
            return wrongValue(3);
        const int reach = int(std::max(w, h) / 2 + 1);
        return forEachImage(image, imageEmphasize, [&](const ImageElement &img) {
            const char *type = pixelTypeName(img.type);
            return enhanceImage(img, reach, [&](const cv::Mat &src, cv::Mat &dst) {
                dst.create(src.size(), CV_32F);
                Aop::parallelRows("emphasize", type, src.rows, [&](int firstRow, int endRow) {
                    cv::Mat band = dst.rowRange(firstRow, endRow);
                    cv::blur(src.rowRange(firstRow, endRow), band, cv::Size(int(w), int(h)), cv::Point(-1, -1),
                             cv::BORDER_REFLECT);
                    // (grey - mean) * f + grey, in place over the band's mean.
                    cv::addWeighted(src.rowRange(firstRow, endRow), 1.0 + f, band, -f, 0.0, band);
                });
            });
        });
    });
}

Herror sobel_amp(const Hobject &image, Hobject *edgeAmplitude, const HTuple &filterType, const HTuple &size)
{
    return guarded([&]() -> Herror {
        std::string type;
        if (const Herror err = singleString(filterType, 1, &type); err != kSuccess)
            return err;
        if (type != "sum_abs")
            return wrongValue(1);
        Hlong n = 0;
        if (const Herror err = singleInteger(size, 2, &n); err != kSuccess)
            return err;
        if (n != 3 && n != 5 && n != 7)
            return wrongValue(2);
        cv::Mat derivative, smoothing;
        cv::getDerivKernels(derivative, smoothing, 1, 0, int(n), false, CV_32F);
        const double norm = cv::sum(cv::Mat(cv::max(derivative, 0.0)))[0] * cv::sum(smoothing)[0];
        const int reach = int(n / 2) + 1;
        return forEachImage(image, edgeAmplitude, [&](const ImageElement &img) {
            const char *pixelType = pixelTypeName(img.type);
            return enhanceImage(img, reach, [&](const cv::Mat &src, cv::Mat &dst) {
                dst.create(src.size(), CV_32F);
                Aop::parallelRows("sobel_amp", pixelType, src.rows, [&](int firstRow, int endRow) {
                    cv::Mat gx, gy;
                    cv::Sobel(src.rowRange(firstRow, endRow), gx, CV_32F, 1, 0, int(n), 1.0, 0.0, cv::BORDER_REFLECT);
                    cv::Sobel(src.rowRange(firstRow, endRow), gy, CV_32F, 0, 1, int(n), 1.0, 0.0, cv::BORDER_REFLECT);
                    cv::Mat band = dst.rowRange(firstRow, endRow);
                    cv::addWeighted(cv::abs(gx), 1.0 / norm, cv::abs(gy), 1.0 / norm, 0.0, band);
                });
            });
        });
    });
}

} // namespace Halcon
