#include "HalconEnhanceOps.h"

#include "HalconAop_p.h"
#include "HalconGuard_p.h"
#include "HobjectElements_p.h"
#include "PlaneCache_p.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <string>
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
    std::vector<ImagePtr> results;
    results.reserve(images.size());
    for (const ImagePtr &img : images) {
        ImagePtr out = makeOne(*img);
        if (!out)
            return kErrInternal;
        results.push_back(out);
    }
    if (output)
        *output = makeObject(results);
    return kSuccess;
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

// Curvature of the smoothed picture at (r, c); neighbours beyond the area repeat the edge.
float curvature(const cv::Mat &s, int r, int c, bool canny)
{
    const int rm = std::max(r - 1, 0), rp = std::min(r + 1, s.rows - 1);
    const int cm = std::max(c - 1, 0), cp = std::min(c + 1, s.cols - 1);
    const float *up = s.ptr<float>(rm), *row = s.ptr<float>(r), *down = s.ptr<float>(rp);
    const float centre = row[c];
    const float ixx = row[cp] - 2.0f * centre + row[cm];
    const float iyy = down[c] - 2.0f * centre + up[c];
    if (!canny)
        return ixx + iyy;
    const float ix = 0.5f * (row[cp] - row[cm]), iy = 0.5f * (down[c] - up[c]);
    const float g2 = ix * ix + iy * iy;
    if (g2 < 1e-6f)
        return 0.0f;
    const float ixy = 0.25f * (down[cp] - down[cm] - up[cp] + up[cm]);
    return (ix * ix * ixx + 2.0f * ix * iy * ixy + iy * iy * iyy) / g2;
}

// One upwind step: erosion where the curvature is positive, dilation where negative.
void shockRows(const cv::Mat &u, const cv::Mat &smooth, cv::Mat &next, const ShockParameters &p, int firstRow,
               int endRow)
{
    const float theta = float(p.theta);
    for (int r = firstRow; r < endRow; ++r) {
        const float *up = u.ptr<float>(std::max(r - 1, 0)), *row = u.ptr<float>(r);
        const float *down = u.ptr<float>(std::min(r + 1, u.rows - 1));
        float *out = next.ptr<float>(r);
        for (int c = 0; c < u.cols; ++c) {
            const float l = curvature(smooth, r, c, p.canny);
            const float v = row[c];
            if (l == 0.0f) {
                out[c] = v;
                continue;
            }
            const float dxm = v - row[std::max(c - 1, 0)], dxp = row[std::min(c + 1, u.cols - 1)] - v;
            const float dym = v - up[c], dyp = down[c] - v;
            float g2 = 0.0f;
            if (l > 0.0f) {
                g2 = std::max(dxm, 0.0f) * std::max(dxm, 0.0f) + std::min(dxp, 0.0f) * std::min(dxp, 0.0f)
                    + std::max(dym, 0.0f) * std::max(dym, 0.0f) + std::min(dyp, 0.0f) * std::min(dyp, 0.0f);
                out[c] = v - theta * std::sqrt(g2);
            } else {
                g2 = std::min(dxm, 0.0f) * std::min(dxm, 0.0f) + std::max(dxp, 0.0f) * std::max(dxp, 0.0f)
                    + std::min(dym, 0.0f) * std::min(dym, 0.0f) + std::max(dyp, 0.0f) * std::max(dyp, 0.0f);
                out[c] = v + theta * std::sqrt(g2);
            }
        }
    }
}

void shockPlane(const cv::Mat &source, cv::Mat &result, const ShockParameters &p)
{
    cv::Mat u = source.clone();
    cv::Mat next(u.size(), CV_32F);
    cv::Mat smooth;
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
        Aop::parallelRows("shock_filter", p.type, u.rows,
                          [&](int firstRow, int endRow) { shockRows(u, smooth, next, p, firstRow, endRow); });
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
