// The tracking median on 128-bit vectors of OpenCV's universal intrinsics (any processor),
// and the choice of the widest kernel the processor runs.

#include "MedianTracking_p.h"

#include "MedianFilter_p.h"

#include <opencv2/core/hal/intrin.hpp>

#include <algorithm>
#include <atomic>
#include <vector>

namespace Halcon::Detail {
namespace {

template<class V, class Tp>
struct UniversalLanes
{
    using M = V;
    using T = Tp;
    static constexpr int kLanes = V::nlanes;

    static V key(V v) { return v; }
    static M keyLess(V a, V b) { return a < b; }
    // Masks are all ones where true: subtracting them adds one.
    static V incrementWhere(V c, M m) { return cv::v_sub_wrap(c, m); }
    static V decrementWhere(V c, M m) { return cv::v_add_wrap(c, m); }
    static V add(V a, V b) { return cv::v_add_wrap(a, b); }
    static M less(V a, V b) { return a < b; }
    static M lessEqual(V a, V b) { return a <= b; }
    static M greater(V a, V b) { return a > b; }
    static M andMask(M a, M b) { return a & b; }
    static M orMask(M a, M b) { return a | b; }
    static bool any(M m) { return cv::v_check_any(m); }
    static void laneFlags(M m, unsigned char *out)
    {
        T lanes[kLanes];
        cv::v_store(lanes, m);
        for (int l = 0; l < kLanes; ++l)
            out[l] = lanes[l] != 0;
    }
    static V select(M m, V a, V b) { return cv::v_select(m, a, b); }
    static V min(V a, V b) { return cv::v_min(a, b); }
    static V loadState(const T *p) { return cv::v_load(p); }
    static void storeState(T *p, V v) { cv::v_store(p, v); }
};

struct BaselineBytes : UniversalLanes<cv::v_uint8x16, std::uint8_t>
{
    using V = cv::v_uint8x16;
    static V load(const std::uint8_t *p) { return cv::v_load(p); }
    static V set1(int v) { return cv::v_setall_u8(std::uint8_t(v)); }
    static V addConst(V v, int k) { return cv::v_add_wrap(v, set1(k)); }
    static V orBits(V v, int bits) { return v | set1(bits); }
    static void storeOut(std::uint8_t *p, V v) { cv::v_store(p, v); }
};

struct BaselineWords : UniversalLanes<cv::v_uint16x8, std::uint16_t>
{
    using V = cv::v_uint16x8;
    static V load(const std::uint8_t *p) { return cv::v_load_expand(p); }
    static V set1(int v) { return cv::v_setall_u16(std::uint16_t(v)); }
    static V addConst(V v, int k) { return cv::v_add_wrap(v, set1(k)); }
    static V orBits(V v, int bits) { return v | set1(bits); }
    static void storeOut(std::uint8_t *p, V v) { cv::v_pack_store(p, v); }
};

std::atomic<MedianKernel> g_widestKernel{MedianKernel::Avx512};

} // namespace
} // namespace Halcon::Detail

#include "MedianTrackingKernel_p.h"

namespace Halcon::Detail {

bool medianTrackBaseline(const MedianJob &job)
{
    if (job.windowSize <= 255)
        return MedianTracker<BaselineBytes>(job).run();
    return MedianTracker<BaselineWords>(job).run();
}

std::size_t medianScratchBytes(int width)
{
    // Base and counts per lane, for the widest lanes (16-bit counts) and one strip more.
    return std::size_t(kBand + 1) * sizeof(std::uint16_t) * (std::size_t(std::max(width, 0)) + 64);
}

bool medianFilter8uTracked(const cv::Mat &paddedSource, cv::Mat &destination, const std::vector<int> &halfWidths,
                           int padColumns, int firstRow, int endRow)
{
    const int radius = int(halfWidths.size() / 2);
    if (radius < 1 || radius > kMaxTrackedRadius || endRow <= firstRow)
        return false;
    // The mask by columns: how far each column reaches up and down.
    int halfHeights[2 * kMaxTrackedRadius + 1];
    for (int dx = -radius; dx <= radius; ++dx) {
        int reach = -1;
        for (int dy = -radius; dy <= radius; ++dy) {
            if (std::abs(dx) <= halfWidths[size_t(dy + radius)])
                reach = std::max(reach, std::abs(dy));
        }
        if (reach < 0)
            return false;
        halfHeights[dx + radius] = reach;
    }
    const std::ptrdiff_t stride = std::ptrdiff_t(paddedSource.step[0]);
    std::vector<std::ptrdiff_t> window;
    for (int dx = -radius; dx <= radius; ++dx)
        for (int dy = -halfHeights[dx + radius]; dy <= halfHeights[dx + radius]; ++dy)
            window.push_back(dy * stride + dx);
    std::vector<unsigned char> scratch(medianScratchBytes(destination.cols));

    MedianJob job;
    job.centre = paddedSource.ptr<std::uint8_t>(firstRow + radius) + padColumns;
    job.sourceStride = stride;
    job.destination = destination.ptr<std::uint8_t>(firstRow);
    job.destinationStride = std::ptrdiff_t(destination.step[0]);
    job.width = destination.cols;
    job.rows = endRow - firstRow;
    job.halfHeights = halfHeights;
    job.radius = radius;
    job.window = window.data();
    job.windowSize = int(window.size());
    job.scratch = scratch.data();

    const MedianKernel widest = g_widestKernel.load(std::memory_order_relaxed);
    if (widest <= MedianKernel::Avx512 && medianKernelRuns(MedianKernel::Avx512) && medianTrackAvx512(job))
        return true;
    if (widest <= MedianKernel::Avx2 && medianKernelRuns(MedianKernel::Avx2) && medianTrackAvx2(job))
        return true;
    return widest <= MedianKernel::Baseline && medianTrackBaseline(job);
}

void setMedianKernelLimit(MedianKernel widest)
{
    g_widestKernel.store(widest, std::memory_order_relaxed);
}

bool medianKernelRuns(MedianKernel kernel)
{
#if defined(ZELVORIN_X86_KERNELS)
    static const bool avx512 = cv::checkHardwareSupport(CV_CPU_AVX512_SKX);
    static const bool avx2 = cv::checkHardwareSupport(CV_CPU_AVX2);
#else
    constexpr bool avx512 = false;
    constexpr bool avx2 = false;
#endif
    switch (kernel) {
    case MedianKernel::Avx512:
        return avx512;
    case MedianKernel::Avx2:
        return avx2;
    case MedianKernel::Baseline:
        return true;
    case MedianKernel::Histogram:
        break;
    }
    return false;
}

} // namespace Halcon::Detail
