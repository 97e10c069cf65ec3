#pragma once

// Layer-private, included once by each instruction-set translation unit after it has defined
// its lane types (see MedianTrackingAvx512_p.cpp): the median by tracking, on vectors of
// neighbouring columns that move down the picture together.
//
// Each lane keeps a base t0 and the counts c[j] of mask pixels below t0 + j (j < kBand). The
// median m is the grey value with c(m) <= R < c(m + 1), R the middle rank; while it lies
// between t0 and t0 + kBand - 2 it is t0 - 1 + (number of j with c[j] <= R). Moving one row
// down changes the counts only by the pixels that leave the mask at the top of each column
// and those that enter at the bottom: a few compares per column for all lanes at once. A
// lane whose median leaves its band gets a new band around its median, counted afresh: on
// its own when only a few lanes need it, else all together by halving the grey range.
//
// Nothing here may come from a library header: this code is compiled with instructions that
// the rest of the program must not run into, and a shared inline function could be taken
// from here.

#include "MedianTracking_p.h"

#include <cstring>

namespace Halcon::Detail {
namespace {

// Thresholds per lane. The loops over them are unrolled (the pragmas): the counts then stay
// in registers instead of going through memory at every pixel.
constexpr int kBand = 6;
// Rows one strip of lanes moves down before the next strip takes its turn: the rows of the
// mask then stay in the cache.
constexpr int kRowsPerTurn = 32;
// More lanes than this leaving their band are counted afresh all together.
constexpr int kSingleLanes = 2;

inline int lesser(int a, int b)
{
    return a < b ? a : b;
}

inline int clampInt(int v, int lo, int hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

// L: the lanes of one instruction set and counter width (see the translation units).
template<class L>
class MedianTracker
{
public:
    using V = typename L::V;
    using M = typename L::M;
    using T = typename L::T;
    static constexpr int N = L::kLanes;

    explicit MedianTracker(const MedianJob &job)
        : m_job(job), m_rank((job.windowSize - 1) / 2)
    {
        m_rankV = L::set1(m_rank);
        m_low = L::set1(1);
        m_top = L::set1(256 - kBand);
        for (int dx = -job.radius; dx <= job.radius; ++dx) {
            const int h = job.halfHeights[dx + job.radius];
            m_leave[dx + job.radius] = (-1 - h) * job.sourceStride + dx;
            m_enter[dx + job.radius] = h * job.sourceStride + dx;
        }
    }

    bool run()
    {
        const MedianJob &job = m_job;
        if (job.width < N || job.rows <= 0)
            return false;
        const int strips = (job.width + N - 1) / N;
        T *state = static_cast<T *>(job.scratch);
        for (int first = 0; first < job.rows; first += kRowsPerTurn) {
            const int end = lesser(job.rows, first + kRowsPerTurn);
            for (int s = 0; s < strips; ++s) {
                const int x = lesser(s * N, job.width - N);
                T *kept = state + std::ptrdiff_t(s) * (kBand + 1) * N;
                int y = first;
                if (first == 0) {
                    countAfresh(job.centre + x);
                    finishRow(0, x);
                    ++y;
                } else {
                    m_t0 = L::loadState(kept);
                    #pragma GCC unroll 16
                    for (int j = 0; j < kBand; ++j)
                        m_c[j] = L::loadState(kept + (j + 1) * N);
                }
                for (; y < end; ++y) {
                    step(job.centre + y * job.sourceStride + x);
                    finishRow(y, x);
                }
                L::storeState(kept, m_t0);
                #pragma GCC unroll 16
                for (int j = 0; j < kBand; ++j)
                    L::storeState(kept + (j + 1) * N, m_c[j]);
            }
        }
        return true;
    }

private:
    // Counts of the row below from those of the row above.
    void step(const std::uint8_t *centre)
    {
        V t[kBand];
        #pragma GCC unroll 16
        for (int j = 0; j < kBand; ++j)
            t[j] = L::key(L::addConst(m_t0, j));
        V c[kBand];
        #pragma GCC unroll 16
        for (int j = 0; j < kBand; ++j)
            c[j] = m_c[j];
        const int columns = 2 * m_job.radius + 1;
        for (int k = 0; k < columns; ++k) {
            const V leaving = L::key(L::load(centre + m_leave[k]));
            const V entering = L::key(L::load(centre + m_enter[k]));
            #pragma GCC unroll 16
            for (int j = 0; j < kBand; ++j) {
                c[j] = L::decrementWhere(c[j], L::keyLess(leaving, t[j]));
                c[j] = L::incrementWhere(c[j], L::keyLess(entering, t[j]));
            }
        }
        #pragma GCC unroll 16
        for (int j = 0; j < kBand; ++j)
            m_c[j] = c[j];
    }

    // Lanes whose median lies outside their band get a new one; then the medians are written.
    void finishRow(int y, int x)
    {
        const std::uint8_t *centre = m_job.centre + y * m_job.sourceStride + x;
        const M outside = L::orMask(L::andMask(L::greater(m_c[0], m_rankV), L::greater(m_t0, m_low)),
                                    L::andMask(L::lessEqual(m_c[kBand - 1], m_rankV), L::less(m_t0, m_top)));
        if (L::any(outside)) {
            unsigned char lanes[N];
            L::laneFlags(outside, lanes);
            int count = 0;
            for (int l = 0; l < N; ++l)
                count += lanes[l];
            if (count > kSingleLanes)
                countAfresh(centre);
            else
                countLanes(centre, lanes);
        }
        V median = L::addConst(m_t0, -1);
        #pragma GCC unroll 16
        for (int j = 0; j < kBand; ++j)
            median = L::incrementWhere(median, L::lessEqual(m_c[j], m_rankV));
        L::storeOut(m_job.destination + y * m_job.destinationStride + x, median);
    }

    // Every lane: the median by halving the grey range, then its band counted.
    void countAfresh(const std::uint8_t *centre)
    {
        const std::ptrdiff_t *window = m_job.window;
        const int n = m_job.windowSize;
        V m = L::set1(0);
        for (int bit = 128; bit >= 1; bit /= 2) {
            const V t = L::orBits(m, bit);
            const V key = L::key(t);
            // Four sums side by side: one alone would wait for itself at every pixel.
            V below[4] = {L::set1(0), L::set1(0), L::set1(0), L::set1(0)};
            int k = 0;
            for (; k + 4 <= n; k += 4) {
#pragma GCC unroll 4
                for (int q = 0; q < 4; ++q)
                    below[q] = L::incrementWhere(below[q], L::keyLess(L::key(L::load(centre + window[k + q])), key));
            }
            for (; k < n; ++k)
                below[0] = L::incrementWhere(below[0], L::keyLess(L::key(L::load(centre + window[k])), key));
            const V total = L::add(L::add(below[0], below[1]), L::add(below[2], below[3]));
            m = L::select(L::lessEqual(total, m_rankV), t, m);
        }
        constexpr int lead = (kBand - 2) / 2;
        m_t0 = L::select(L::less(m, L::set1(lead + 1)), m_low, L::min(L::addConst(m, -lead), m_top));
        V t[kBand];
        #pragma GCC unroll 16
        for (int j = 0; j < kBand; ++j) {
            t[j] = L::key(L::addConst(m_t0, j));
            m_c[j] = L::set1(0);
        }
        for (int k = 0; k < n; ++k) {
            const V v = L::key(L::load(centre + window[k]));
            #pragma GCC unroll 16
            for (int j = 0; j < kBand; ++j)
                m_c[j] = L::incrementWhere(m_c[j], L::keyLess(v, t[j]));
        }
    }

    // The flagged lanes one by one, by a histogram of their mask pixels.
    void countLanes(const std::uint8_t *centre, const unsigned char *lanes)
    {
        alignas(64) T t0[N];
        alignas(64) T c[kBand][N];
        L::storeState(t0, m_t0);
        #pragma GCC unroll 16
        for (int j = 0; j < kBand; ++j)
            L::storeState(c[j], m_c[j]);
        const std::ptrdiff_t *window = m_job.window;
        const int n = m_job.windowSize;
        for (int l = 0; l < N; ++l) {
            if (!lanes[l])
                continue;
            unsigned short fine[256];
            unsigned short coarse[16];
            std::memset(fine, 0, sizeof fine);
            std::memset(coarse, 0, sizeof coarse);
            const std::uint8_t *p = centre + l;
            for (int k = 0; k < n; ++k) {
                const std::uint8_t v = p[window[k]];
                ++fine[v];
                ++coarse[v >> 4];
            }
            int below = 0;
            int bin = 0;
            while (below + coarse[bin] <= m_rank)
                below += coarse[bin++];
            int m = bin * 16;
            while (below + fine[m] <= m_rank)
                below += fine[m++];
            // below: pixels under m; the new band's counts follow from it.
            const int base = clampInt(m - (kBand - 2) / 2, 1, 256 - kBand);
            int count = below;
            for (int v = base; v < m; ++v)
                count -= fine[v];
            for (int v = m; v < base; ++v)
                count += fine[v];
            t0[l] = T(base);
            #pragma GCC unroll 16
            for (int j = 0; j < kBand; ++j) {
                c[j][l] = T(count);
                count += fine[base + j];
            }
        }
        m_t0 = L::loadState(t0);
        #pragma GCC unroll 16
        for (int j = 0; j < kBand; ++j)
            m_c[j] = L::loadState(c[j]);
    }

    const MedianJob &m_job;
    const int m_rank;
    std::ptrdiff_t m_leave[2 * kMaxTrackedRadius + 1];
    std::ptrdiff_t m_enter[2 * kMaxTrackedRadius + 1];
    V m_rankV, m_low, m_top;
    V m_t0;
    V m_c[kBand];
};

} // namespace
} // namespace Halcon::Detail
