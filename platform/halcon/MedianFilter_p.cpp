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
        const int rank = (m_maskSize - 1) / 2;
        std::vector<const uchar*> rowPtr(size_t(maskRows), nullptr);
        std::array<int, 256> hist{};
        for (int y = rows.start; y < rows.end; ++y) {
            for (int k = 0; k < maskRows; ++k)
                rowPtr[size_t(k)] = m_src.ptr<uchar>(y + k) + m_padColumns;
            hist.fill(0);
            for (int k = 0; k < maskRows; ++k) {
                const int w = m_widths[size_t(k)];
                const uchar* p = rowPtr[size_t(k)];
                for (int dx = -w; dx <= w; ++dx)
                    ++hist[p[dx]];
            }
            int median = 0;
            int below = 0;
            while (below + hist[size_t(median)] <= rank) {
                below += hist[size_t(median)];
                ++median;
            }
            uchar* out = m_dst.ptr<uchar>(y);
            out[0] = uchar(median);
            const int width = m_dst.cols;
            for (int x = 1; x < width; ++x) {
                for (int k = 0; k < maskRows; ++k) {
                    const int w = m_widths[size_t(k)];
                    const uchar* p = rowPtr[size_t(k)] + x;
                    const int gone = p[-w - 1];
                    const int come = p[w];
                    --hist[size_t(gone)];
                    ++hist[size_t(come)];
                    below += int(come < median) - int(gone < median);
                }
                while (below > rank) {
                    --median;
                    below -= hist[size_t(median)];
                }
                while (below + hist[size_t(median)] <= rank) {
                    below += hist[size_t(median)];
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
