#include "ShapeGradients_p.h"

#include <opencv2/imgproc.hpp>

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Halcon::ShapeMatching {

std::vector<std::vector<cv::Mat>> buildPyramid(const std::vector<cv::Mat> &planes, int levels)
{
    std::vector<std::vector<cv::Mat>> pyramid;
    pyramid.push_back(planes);
    for (int level = 1; level < levels; ++level) {
        const std::vector<cv::Mat> &below = pyramid.back();
        const int w = below[0].cols / 2, h = below[0].rows / 2;
        if (w < 2 || h < 2)
            break;
        std::vector<cv::Mat> next(below.size());
        for (size_t c = 0; c < below.size(); ++c) {
            // An even crop makes INTER_AREA the exact 2 x 2 mean.
            cv::resize(below[c](cv::Rect(0, 0, 2 * w, 2 * h)), next[c], cv::Size(w, h), 0, 0, cv::INTER_AREA);
        }
        pyramid.push_back(std::move(next));
    }
    return pyramid;
}

namespace {

// One channel: directions and magnitude in one pass.
void normalise(const cv::Mat &gx, const cv::Mat &gy, float minContrast, GradientImage &out, bool keepMagnitude)
{
    const float t2 = minContrast * minContrast;
    for (int y = 0; y < gx.rows; ++y) {
        const float *px = gx.ptr<float>(y);
        const float *py = gy.ptr<float>(y);
        float *ux = out.ux.ptr<float>(y);
        float *uy = out.uy.ptr<float>(y);
        float *m = keepMagnitude ? out.magnitude.ptr<float>(y) : nullptr;
        int x = 0;
#if defined(__SSE2__)
        const __m128 threshold = _mm_set1_ps(t2);
        const __m128 tiny = _mm_set1_ps(1e-20f);
        const __m128 one = _mm_set1_ps(1.0f);
        for (; x + 4 <= gx.cols; x += 4) {
            const __m128 a = _mm_loadu_ps(px + x);
            const __m128 b = _mm_loadu_ps(py + x);
            const __m128 m2 = _mm_add_ps(_mm_mul_ps(a, a), _mm_mul_ps(b, b));
            const __m128 len = _mm_sqrt_ps(_mm_max_ps(m2, tiny));
            const __m128 inv = _mm_div_ps(one, len);
            const __m128 keep = _mm_and_ps(_mm_cmpge_ps(m2, threshold), _mm_cmpgt_ps(m2, tiny));
            _mm_storeu_ps(ux + x, _mm_and_ps(keep, _mm_mul_ps(a, inv)));
            _mm_storeu_ps(uy + x, _mm_and_ps(keep, _mm_mul_ps(b, inv)));
            if (m)
                _mm_storeu_ps(m + x, _mm_and_ps(_mm_cmpgt_ps(m2, tiny), len));
        }
#endif
        for (; x < gx.cols; ++x) {
            const float m2 = px[x] * px[x] + py[x] * py[x];
            const float len = std::sqrt(m2);
            const bool keep = m2 >= t2 && m2 > 1e-20f;
            ux[x] = keep ? px[x] / len : 0.0f;
            uy[x] = keep ? py[x] / len : 0.0f;
            if (m)
                m[x] = len;
        }
    }
}

} // namespace

void computeGradient(const std::vector<cv::Mat> &planes, float minContrast, bool keepMagnitude, GradientImage &out)
{
    const cv::Size size = planes[0].size();
    out.ux.create(size, CV_32F);
    out.uy.create(size, CV_32F);
    if (keepMagnitude)
        out.magnitude.create(size, CV_32F);
    else
        out.magnitude.release();
    // The 3 x 3 Sobel sums four times the grey-value step of a sharp edge.
    cv::Mat gx, gy;
    cv::Sobel(planes[0], gx, CV_32F, 1, 0, 3, 0.25, 0.0, cv::BORDER_REPLICATE);
    cv::Sobel(planes[0], gy, CV_32F, 0, 1, 3, 0.25, 0.0, cv::BORDER_REPLICATE);
    if (planes.size() > 1) {
        cv::Mat m2 = gx.mul(gx) + gy.mul(gy);
        cv::Mat cx, cy;
        for (size_t c = 1; c < planes.size(); ++c) {
            cv::Sobel(planes[c], cx, CV_32F, 1, 0, 3, 0.25, 0.0, cv::BORDER_REPLICATE);
            cv::Sobel(planes[c], cy, CV_32F, 0, 1, 3, 0.25, 0.0, cv::BORDER_REPLICATE);
            for (int y = 0; y < size.height; ++y) {
                float *bx = gx.ptr<float>(y), *by = gy.ptr<float>(y), *bm = m2.ptr<float>(y);
                const float *ax = cx.ptr<float>(y), *ay = cy.ptr<float>(y);
                for (int x = 0; x < size.width; ++x) {
                    const float q = ax[x] * ax[x] + ay[x] * ay[x];
                    if (q > bm[x]) {
                        bm[x] = q;
                        bx[x] = ax[x];
                        by[x] = ay[x];
                    }
                }
            }
        }
    }
    normalise(gx, gy, minContrast, out, keepMagnitude);
}

} // namespace Halcon::ShapeMatching
