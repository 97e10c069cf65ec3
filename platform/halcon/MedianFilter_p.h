#pragma once

// Layer-private: rank filters behind median_image. May include OpenCV.

#include <opencv2/core.hpp>

#include <vector>

namespace Halcon::Detail {

// Half widths of a filter mask, one per row offset -r..r (index 0 is row offset -r).
std::vector<int> circleMaskHalfWidths(int radius);
std::vector<int> squareMaskHalfWidths(int radius);

// Median over the mask for the rows [firstRow, endRow) of dst. src is the source already
// padded by r = halfWidths.size() / 2 rows and max(halfWidths) columns on each side, so
// that dst(y, x) is the median around src(y + r, x + padColumns). Byte planes only. Runs
// on the calling thread: the caller splits the rows (bands write disjoint rows).
void medianFilter8u(const cv::Mat& paddedSource, cv::Mat& destination,
                    const std::vector<int>& halfWidths, int padColumns, int firstRow, int endRow);

// Same contract, on vectors of neighbouring columns, for masks of radius 1 .. 11 that hold
// every column's pixels in one run (circles, squares); false when it does not take the
// mask or the picture is narrower than the narrowest vector, and nothing is written.
bool medianFilter8uTracked(const cv::Mat &paddedSource, cv::Mat &destination, const std::vector<int> &halfWidths,
                           int padColumns, int firstRow, int endRow);

// Same contract for real planes; a plain selection per pixel, slower but exact.
void medianFilter32f(const cv::Mat& paddedSource, cv::Mat& destination,
                     const std::vector<int>& halfWidths, int padColumns, int firstRow, int endRow);

} // namespace Halcon::Detail
