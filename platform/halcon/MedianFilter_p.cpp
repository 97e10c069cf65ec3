#include "MedianFilter_p.h"

#include <opencv2/core/utility.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace Halcon::Detail {

std::vector<int> circleMaskHalfWidths(int radius)
{
    std::vector<int> widths(2 * size_t(radius) + 1);
    const double r2 = double(radius) * radius;
    for (int dy = -radius; dy <= radius; ++dy)
        widths[size_t(dy + radius)] = int(std::floor(std::sqrt(r2 - double(dy) * dy) + 1e-9));
    return widths;
}

std::vector<int> squareMaskHalfWidths(int radius)
{
    return std::vector<int>(2 * size_t(radius) + 1, radius);
}

namespace {

// Huang's running histogram: moving one column right removes the left edge of every
// mask row and adds the right edge, so the cost per pixel is two updates per mask row
// instead of a sort of the whole mask. The median is tracked incrementally.
//
// Even and odd mask rows count into two histograms: on a smooth picture most updates hit
// the same few bins, and one histogram would make each update wait for the one before.
class MedianBand : public cv::ParallelLoopBody
{
public:
    MedianBand(const cv::Mat& src, cv::Mat& dst, const std::vector<int>& widths, int padColumns)
        : m_src(src), m_dst(dst), m_widths(widths), m_padColumns(padColumns)
    {
        m_maskSize = 0;
        for (int w : widths)
            m_maskSize += 2 * w + 1;
    }

    void operator()(const cv::Range& rows) const override
    {
        const int maskRows = int(m_widths.size());
        const int pairs = maskRows / 2;
        const int rank = (m_maskSize - 1) / 2;
        // Per mask row, the pixel that leaves (left of the mask) and the one that comes
        // (its right edge) when the mask moves to column x are left[k][x] and right[k][x].
        std::vector<const uchar*> left(size_t(maskRows), nullptr);
        std::vector<const uchar*> right(size_t(maskRows), nullptr);
        std::array<int, 256> even{};
        std::array<int, 256> odd{};
        const auto count = [&](int v) { return even[size_t(v)] + odd[size_t(v)]; };
        for (int y = rows.start; y < rows.end; ++y) {
            even.fill(0);
            odd.fill(0);
            for (int k = 0; k < maskRows; ++k) {
                const int w = m_widths[size_t(k)];
                const uchar* p = m_src.ptr<uchar>(y + k) + m_padColumns;
                left[size_t(k)] = p - w - 1;
                right[size_t(k)] = p + w;
                std::array<int, 256>& hist = (k & 1) ? odd : even;
                for (int dx = -w; dx <= w; ++dx)
                    ++hist[p[dx]];
            }
            int median = 0;
            int below = 0;
            while (below + count(median) <= rank) {
                below += count(median);
                ++median;
            }
            uchar* out = m_dst.ptr<uchar>(y);
            out[0] = uchar(median);
            const int width = m_dst.cols;
            for (int x = 1; x < width; ++x) {
                int change = 0;
                for (int k = 0; k < 2 * pairs; k += 2) {
                    const int gone0 = left[size_t(k)][x], come0 = right[size_t(k)][x];
                    const int gone1 = left[size_t(k) + 1][x], come1 = right[size_t(k) + 1][x];
                    --even[size_t(gone0)];
                    ++even[size_t(come0)];
                    --odd[size_t(gone1)];
                    ++odd[size_t(come1)];
                    change += int(come0 < median) - int(gone0 < median) + int(come1 < median) - int(gone1 < median);
                }
                if (maskRows & 1) {
                    const int gone = left[size_t(maskRows) - 1][x], come = right[size_t(maskRows) - 1][x];
                    --even[size_t(gone)];
                    ++even[size_t(come)];
                    change += int(come < median) - int(gone < median);
                }
                below += change;
                while (below > rank) {
                    --median;
                    below -= count(median);
                }
                while (below + count(median) <= rank) {
                    below += count(median);
                    ++median;
                }
                out[x] = uchar(median);
            }
        }
    }

private:
    const cv::Mat& m_src;
    cv::Mat& m_dst;
    const std::vector<int>& m_widths;
    int m_padColumns;
    int m_maskSize;
};

class MedianBandReal : public cv::ParallelLoopBody
{
public:
    MedianBandReal(const cv::Mat& src, cv::Mat& dst, const std::vector<int>& widths, int padColumns)
        : m_src(src), m_dst(dst), m_widths(widths), m_padColumns(padColumns)
    {
    }

    void operator()(const cv::Range& rows) const override
    {
        std::vector<float> values;
        const int maskRows = int(m_widths.size());
        for (int y = rows.start; y < rows.end; ++y) {
            float* out = m_dst.ptr<float>(y);
            for (int x = 0; x < m_dst.cols; ++x) {
                values.clear();
                for (int k = 0; k < maskRows; ++k) {
                    const int w = m_widths[size_t(k)];
                    const float* p = m_src.ptr<float>(y + k) + m_padColumns + x;
                    values.insert(values.end(), p - w, p + w + 1);
                }
                auto mid = values.begin() + std::ptrdiff_t((values.size() - 1) / 2);
                std::nth_element(values.begin(), mid, values.end());
                out[x] = *mid;
            }
        }
    }

private:
    const cv::Mat& m_src;
    cv::Mat& m_dst;
    const std::vector<int>& m_widths;
    int m_padColumns;
};

} // namespace

void medianFilter8u(const cv::Mat& paddedSource, cv::Mat& destination,
                    const std::vector<int>& halfWidths, int padColumns, int firstRow, int endRow)
{
    MedianBand(paddedSource, destination, halfWidths, padColumns)(cv::Range(firstRow, endRow));
}

void medianFilter32f(const cv::Mat& paddedSource, cv::Mat& destination,
                     const std::vector<int>& halfWidths, int padColumns, int firstRow, int endRow)
{
    MedianBandReal(paddedSource, destination, halfWidths, padColumns)(cv::Range(firstRow, endRow));
}

} // namespace Halcon::Detail
