#include "HalconFilterOps.h"

#include "HalconAop_p.h"
#include "HalconGuard_p.h"
#include "HobjectElements_p.h"
#include "MedianFilter_p.h"
#include "MedianTracking_p.h"
#include "PlaneCache_p.h"
#include "PlaneCopy_p.h"
#include "RegionRuns_p.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace Halcon {

using namespace Detail;

namespace {

constexpr Hlong kMaxMaskSize = 4095;

Herror numbersOf(const HTuple& tuple, int parameter, std::vector<double>& values)
{
    values.clear();
    if (tuple.Length() == 0)
        return wrongCount(parameter);
    for (const HValue& v : tuple.Values()) {
        if (!v.IsNumber())
            return wrongType(parameter);
        if (std::isnan(v.D()))
            return wrongValue(parameter);
        values.push_back(v.D());
    }
    return kSuccess;
}

Herror finiteNumber(const HTuple& tuple, int parameter, double* value)
{
    if (const Herror err = singleNumber(tuple, parameter, value); err != kSuccess)
        return err;
    return std::isfinite(*value) ? kSuccess : wrongValue(parameter);
}

// The one image of an input that must hold exactly one.
Herror singleImage(const Hobject& object, int input, ImageView& image)
{
    std::vector<ImageView> images;
    if (const Herror err = imageViewsOf(object, input, images); err != kSuccess)
        return err;
    if (images.size() != 1)
        return kErrObjectCountMismatch;
    image = images.front();
    return kSuccess;
}

// The regions (input 1) and the one image (input 2) that grey value statistics read.
Herror statisticInputs(const Hobject& regions, const Hobject& image, std::vector<RegionPtr>& list, ImageView& img)
{
    if (const Herror err = regionsOf(regions, 1, list); err != kSuccess)
        return err;
    return singleImage(image, 2, img);
}

// The pixels of a region that lie in the image's domain (and so inside the picture).
Runs pixelsInDomain(const RegionElement& region, const ImageElement& image)
{
    if (image.hasFullDomain())
        return runsClip(region.runs, image.width, image.height);
    return runsIntersection(region.runs, image.domain->runs);
}

// ---- threshold --------------------------------------------------------------------------

struct ChannelLimits
{
    std::vector<double> low;
    std::vector<double> high;
};

template<class T>
void scanRow(const std::vector<const T*>& rows, int row, int cb, int ce, const ChannelLimits& limits,
             Runs& out)
{
    const size_t channels = rows.size();
    auto inside = [&](int c) {
        for (size_t k = 0; k < channels; ++k) {
            const double v = double(rows[k][c]);
            if (v < limits.low[k] || v > limits.high[k])
                return false;
        }
        return true;
    };
    int c = cb;
    while (c <= ce) {
        while (c <= ce && !inside(c))
            ++c;
        if (c > ce)
            break;
        const int start = c;
        while (c <= ce && inside(c))
            ++c;
        out.push_back({row, start, c - 1});
    }
}

// The common case (one byte channel) as a single unsigned comparison per pixel.
void scanRowByte(const uchar* p, int row, int cb, int ce, uchar low, uchar span, Runs& out)
{
    int c = cb;
    while (c <= ce) {
        while (c <= ce && uchar(p[c] - low) > span)
            ++c;
        if (c > ce)
            break;
        const int start = c;
        while (c <= ce && uchar(p[c] - low) <= span)
            ++c;
        out.push_back({row, start, c - 1});
    }
}

// Scans the work items [begin, end): rows (full domain) or the domain's runs.
template<class T>
void scanItems(const ImageElement& image, const ChannelLimits& limits, const Runs* segments, int begin, int end,
               Runs& out)
{
    std::vector<const T*> rows(image.planes.size());
    const bool byteFast = std::is_same_v<T, uchar> && rows.size() == 1;
    int low = 0;
    int high = -1;
    if (byteFast) {
        low = int(std::ceil(std::max(limits.low[0], 0.0)));
        high = int(std::floor(std::min(limits.high[0], 255.0)));
    }
    for (int i = begin; i < end; ++i) {
        const int row = segments ? (*segments)[size_t(i)].row : i;
        const int cb = segments ? (*segments)[size_t(i)].colBegin : 0;
        const int ce = segments ? (*segments)[size_t(i)].colEnd : image.width - 1;
        if (byteFast) {
            if (low <= high)
                scanRowByte(image.planes[0].ptr<uchar>(row), row, cb, ce, uchar(low), uchar(high - low), out);
            continue;
        }
        for (size_t k = 0; k < rows.size(); ++k)
            rows[k] = image.planes[k].ptr<T>(row);
        scanRow(rows, row, cb, ce, limits, out);
    }
}

template<class T>
Runs thresholdRuns(const ImageElement& image, const ChannelLimits& limits)
{
    // Work items are rows (full domain) or the domain's runs; each band of them fills its
    // own list, and the lists are joined in item order, which keeps the runs sorted and
    // merged.
    Runs clipped;
    const Runs* segments = nullptr;
    int items = image.height;
    if (!image.hasFullDomain()) {
        clipped = runsClip(image.domain->runs, image.width, image.height);
        segments = &clipped;
        items = int(clipped.size());
    }
    std::mutex mutex;
    std::vector<std::pair<int, Runs>> bands;
    Aop::parallelRows("threshold", pixelTypeName(image.type), items, [&](int begin, int end) {
        Runs out;
        scanItems<T>(image, limits, segments, begin, end, out);
        std::lock_guard lock(mutex);
        bands.emplace_back(begin, std::move(out));
    });
    if (bands.empty())
        return {};
    if (bands.size() == 1)
        return std::move(bands.front().second);
    std::sort(bands.begin(), bands.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    size_t total = 0;
    for (const auto& band : bands)
        total += band.second.size();
    Runs runs;
    runs.reserve(total);
    for (const auto& band : bands)
        runs.insert(runs.end(), band.second.begin(), band.second.end());
    return runs;
}

// ---- filters ----------------------------------------------------------------------------

// The rectangle of the picture a filter must compute: the domain's bounding box.
cv::Rect workArea(const ImageElement& image)
{
    if (image.hasFullDomain() || image.domain->isEmpty())
        return cv::Rect(0, 0, image.hasFullDomain() ? image.width : 0,
                        image.hasFullDomain() ? image.height : 0);
    const RegionElement& d = *image.domain;
    const cv::Rect box(d.col1, d.row1, d.col2 - d.col1 + 1, d.row2 - d.row1 + 1);
    return box & cv::Rect(0, 0, image.width, image.height);
}

// Runs `filter(source, destination)` over the work area of every plane. A submatrix source
// lets OpenCV take neighbours from the rest of the picture before it makes up a border.
template<class Filter>
ImagePtr filterImage(std::string_view op, const ImageElement& image, Filter&& filter)
{
    const cv::Rect area = workArea(image);
    std::vector<cv::Mat> planes;
    planes.reserve(image.planes.size());
    for (const cv::Mat& plane : image.planes) {
        if (area.width == image.width && area.height == image.height) {
            cv::Mat out;
            filter(plane, out);
            planes.push_back(out);
        } else {
            cv::Mat part;
            if (!area.empty())
                filter(plane(area), part);
            planes.push_back(pastePlane(plane, area, part, op, pixelTypeName(image.type)));
        }
    }
    return makeImage(std::move(planes), image.domain);
}

struct MarginMode
{
    int borderType = cv::BORDER_REFLECT;
    double value = 0.0;
};

Herror marginOf(const HTuple& margin, int parameter, MarginMode& mode)
{
    if (margin.Length() != 1)
        return wrongCount(parameter);
    if (margin[0].IsNumber()) {
        if (!std::isfinite(margin[0].D()))
            return wrongValue(parameter);
        mode.borderType = cv::BORDER_CONSTANT;
        mode.value = margin[0].D();
        return kSuccess;
    }
    const std::string& name = margin[0].Str();
    if (name == "mirrored")
        mode.borderType = cv::BORDER_REFLECT;
    else if (name == "continued")
        mode.borderType = cv::BORDER_REPLICATE;
    else if (name == "cyclic")
        mode.borderType = cv::BORDER_WRAP;
    else
        return wrongValue(parameter);
    return kSuccess;
}

// Largest square mask OpenCV's median counts without overflowing its histograms.
constexpr int kOpenCvMedianMaxSize = 255;
// Each band of the median starts its counts afresh: bands shorter than this (but for small
// pictures) would cost more in that than they gain.
constexpr int kMinMedianBandRows = 32;

void medianPlane(const cv::Mat& source, cv::Mat& destination, const std::vector<int>& widths,
                 const MarginMode& margin, PixelType type, bool square)
{
    const int radius = int(widths.size() / 2);
    const int pad = *std::max_element(widths.begin(), widths.end());
    const int depth = source.depth();
    cv::Mat work = source;
    if (depth == CV_16U)
        source.convertTo(work, CV_32F);
    cv::Mat padded;
    useCache(padded);
    cv::copyMakeBorder(work, padded, radius, radius, pad, pad, margin.borderType,
                       cv::Scalar::all(margin.value));
    cv::Mat result = cachedPlane(source.rows, source.cols, work.type());
    const bool bytes = work.depth() == CV_8U;
    // OpenCV's sorting networks of the 3 x 3 and 5 x 5 squares beat everything; the masks up
    // to kMaxTrackedRadius are tracked on vectors, larger squares left to OpenCV's histograms.
    const bool tracked = bytes && radius <= kMaxTrackedRadius && !(square && radius <= 2);
    const bool openCv = bytes && square && !tracked && 2 * radius + 1 <= kOpenCvMedianMaxSize;
    // A few bands per thread: edges cost the tracking more than flat agar, and a shared
    // machine gives its threads unequal shares.
    const int threads = Aop::threadCount("median_image", pixelTypeName(type));
    const int perThread = (result.rows + threads - 1) / std::max(1, threads);
    const int bandRows = threads <= 1 ? result.rows
                                      : std::max(std::min(kMinMedianBandRows, perThread), result.rows / (4 * threads));
    Aop::parallelChunks("median_image", pixelTypeName(type), result.rows, bandRows, [&](int firstRow, int endRow) {
        if (tracked && medianFilter8uTracked(padded, result, widths, pad, firstRow, endRow))
            return;
        if (openCv) {
            // OpenCV's median of a square mask is the same, in constant time per pixel. It
            // makes up its own border, but only for pixels whose mask leaves the padded
            // rows of the band, and those are not kept.
            cv::Mat band;
            cv::medianBlur(padded.rowRange(firstRow, endRow + 2 * radius), band, 2 * radius + 1);
            band(cv::Rect(pad, radius, result.cols, endRow - firstRow)).copyTo(result.rowRange(firstRow, endRow));
        } else if (bytes) {
            medianFilter8u(padded, result, widths, pad, firstRow, endRow);
        } else {
            medianFilter32f(padded, result, widths, pad, firstRow, endRow);
        }
    });
    if (depth == CV_16U)
        result.convertTo(destination, CV_16U);
    else
        destination = result;
}

// ---- statistics ---------------------------------------------------------------------------

template<class T, class Visit>
void visitValues(const cv::Mat& plane, const Runs& runs, Visit&& visit)
{
    for (const Run& r : runs) {
        const T* p = plane.ptr<T>(r.row);
        for (int c = r.colBegin; c <= r.colEnd; ++c)
            visit(double(p[c]));
    }
}

// Calls visit(grey value) for the first channel at every pixel of runs.
template<class Visit>
void forEachValue(const ImageElement& image, const Runs& runs, Visit&& visit)
{
    const cv::Mat& plane = image.planes.front();
    switch (image.type) {
    case PixelType::Byte:
        visitValues<uchar>(plane, runs, visit);
        break;
    case PixelType::UInt2:
        visitValues<std::uint16_t>(plane, runs, visit);
        break;
    case PixelType::Real:
        visitValues<float>(plane, runs, visit);
        break;
    }
}

// The grey values of the first channel at the given pixels, in rank order: a histogram
// for bytes, a sorted list otherwise.
class RankedValues
{
public:
    RankedValues(const ImageElement& image, const Runs& runs)
    {
        if (image.type == PixelType::Byte) {
            m_byte = true;
            const cv::Mat& plane = image.planes.front();
            for (const Run& r : runs) {
                const uchar* p = plane.ptr<uchar>(r.row);
                for (int c = r.colBegin; c <= r.colEnd; ++c)
                    ++m_histogram[p[c]];
                m_count += std::int64_t(r.colEnd) - r.colBegin + 1;
            }
            return;
        }
        forEachValue(image, runs, [this](double v) { m_values.push_back(v); });
        std::sort(m_values.begin(), m_values.end());
        m_count = std::int64_t(m_values.size());
    }

    std::int64_t count() const { return m_count; }

    // Value of rank k (0-based, k < count()).
    double at(std::int64_t k) const
    {
        if (!m_byte)
            return m_values[size_t(k)];
        std::int64_t seen = 0;
        for (int v = 0; v < 256; ++v) {
            seen += m_histogram[v];
            if (seen > k)
                return double(v);
        }
        return 255.0;
    }

private:
    bool m_byte = false;
    std::int64_t m_histogram[256] = {};
    std::vector<double> m_values;
    std::int64_t m_count = 0;
};

} // namespace

Herror threshold(const Hobject& image, Hobject* region, const HTuple& minGray, const HTuple& maxGray)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images;
        if (const Herror err = imagesOf(image, 1, images); err != kSuccess)
            return err;
        std::vector<double> low, high;
        if (const Herror err = numbersOf(minGray, 1, low); err != kSuccess)
            return err;
        if (const Herror err = numbersOf(maxGray, 2, high); err != kSuccess)
            return err;
        std::vector<RegionPtr> regions;
        regions.reserve(images.size());
        for (const ImagePtr& img : images) {
            const size_t channels = size_t(img->channels());
            if (low.size() != 1 && low.size() != channels)
                return wrongCount(1);
            if (high.size() != 1 && high.size() != channels)
                return wrongCount(2);
            ChannelLimits limits;
            for (size_t k = 0; k < channels; ++k) {
                limits.low.push_back(low.size() == 1 ? low[0] : low[k]);
                limits.high.push_back(high.size() == 1 ? high[0] : high[k]);
            }
            Runs runs;
            switch (img->type) {
            case PixelType::Byte:
                runs = thresholdRuns<uchar>(*img, limits);
                break;
            case PixelType::UInt2:
                runs = thresholdRuns<std::uint16_t>(*img, limits);
                break;
            case PixelType::Real:
                runs = thresholdRuns<float>(*img, limits);
                break;
            }
            regions.push_back(makeRegionSorted(std::move(runs)));
        }
        if (region)
            *region = makeObject(regions);
        return kSuccess;
    });
}

Herror median_image(const Hobject& image, Hobject* imageMedian, const HTuple& maskType,
                    const HTuple& radius, const HTuple& margin)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images;
        if (const Herror err = imagesOf(image, 1, images); err != kSuccess)
            return err;
        std::string type;
        if (const Herror err = singleString(maskType, 1, &type); err != kSuccess)
            return err;
        if (type != "circle" && type != "square")
            return wrongValue(1);
        Hlong r = 0;
        if (const Herror err = singleInteger(radius, 2, &r); err != kSuccess)
            return err;
        if (r < 1 || r > kMaxMaskSize)
            return wrongValue(2);
        MarginMode mode;
        if (const Herror err = marginOf(margin, 3, mode); err != kSuccess)
            return err;
        const std::vector<int> widths =
            type == "circle" ? circleMaskHalfWidths(int(r)) : squareMaskHalfWidths(int(r));
        return mapImages(images, imageMedian, [&](const ImageElement& img) {
            return filterImage("median_image", img, [&](const cv::Mat& src, cv::Mat& dst) {
                medianPlane(src, dst, widths, mode, img.type, type == "square");
            });
        });
    });
}

Herror mean_image(const Hobject& image, Hobject* imageMean, const HTuple& maskWidth,
                  const HTuple& maskHeight)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> images;
        if (const Herror err = imagesOf(image, 1, images); err != kSuccess)
            return err;
        Hlong w = 0;
        Hlong h = 0;
        if (const Herror err = singleInteger(maskWidth, 1, &w); err != kSuccess)
            return err;
        if (const Herror err = singleInteger(maskHeight, 2, &h); err != kSuccess)
            return err;
        if (w < 1 || w > kMaxMaskSize)
            return wrongValue(1);
        if (h < 1 || h > kMaxMaskSize)
            return wrongValue(2);
        return mapImages(images, imageMean, [&](const ImageElement& img) {
            return filterImage("mean_image", img, [&](const cv::Mat& src, cv::Mat& dst) {
                // Bands of a submatrix: OpenCV takes the rows around a band from the picture
                // and makes up a border only at the picture's own edges. Whole rows, never
                // strips side by side: OpenCV rounds the mean of a row's last few pixels
                // otherwise than that of the others, so a strip's own last pixels came out one
                // grey value apart from the same pixels filtered on one thread.
                dst = cachedPlane(src.rows, src.cols, src.type());
                Aop::parallelRows("mean_image", pixelTypeName(img.type), src.rows, [&](int firstRow, int endRow) {
                    cv::Mat band = dst.rowRange(firstRow, endRow);
                    cv::blur(src.rowRange(firstRow, endRow), band, cv::Size(int(w), int(h)), cv::Point(-1, -1),
                             cv::BORDER_REFLECT);
                });
            });
        });
    });
}

Herror sub_image(const Hobject& imageMinuend, const Hobject& imageSubtrahend, Hobject* imageSub,
                 const HTuple& mult, const HTuple& add)
{
    return guarded([&]() -> Herror {
        std::vector<ImagePtr> minuends, subtrahends;
        if (const Herror err = imagesOf(imageMinuend, 1, minuends); err != kSuccess)
            return err;
        if (const Herror err = imagesOf(imageSubtrahend, 2, subtrahends); err != kSuccess)
            return err;
        if (minuends.size() != subtrahends.size())
            return kErrObjectCountMismatch;
        double factor = 0.0;
        double offset = 0.0;
        if (const Herror err = finiteNumber(mult, 1, &factor); err != kSuccess)
            return err;
        if (const Herror err = finiteNumber(add, 2, &offset); err != kSuccess)
            return err;
        std::vector<ImagePtr> results;
        for (size_t i = 0; i < minuends.size(); ++i) {
            const ImageElement& a = *minuends[i];
            const ImageElement& b = *subtrahends[i];
            if (a.width != b.width || a.height != b.height)
                return kErrImageSizeMismatch;
            if (a.type != b.type)
                return kErrWrongPixelType;
            if (a.channels() != b.channels())
                return kErrWrongChannelCount;
            std::vector<cv::Mat> planes(a.planes.size());
            for (size_t k = 0; k < planes.size(); ++k) {
                planes[k].create(a.planes[k].size(), a.planes[k].type());
                Aop::parallelRows("sub_image", pixelTypeName(a.type), a.height, [&](int firstRow, int endRow) {
                    cv::Mat band = planes[k].rowRange(firstRow, endRow);
                    cv::addWeighted(a.planes[k].rowRange(firstRow, endRow), factor, b.planes[k].rowRange(firstRow, endRow),
                                    -factor, offset, band);
                });
            }
            RegionPtr domain;
            if (!a.hasFullDomain() && !b.hasFullDomain())
                domain = makeRegionSorted(runsIntersection(a.domain->runs, b.domain->runs));
            else
                domain = a.hasFullDomain() ? b.domain : a.domain;
            ImagePtr out = makeImage(std::move(planes), domain);
            if (!out)
                return kErrInternal;
            results.push_back(out);
        }
        if (imageSub)
            *imageSub = makeObject(results);
        return kSuccess;
    });
}

Herror min_max_gray(const Hobject& regions, const Hobject& image, const HTuple& percent,
                    HTuple* min, HTuple* max, HTuple* range)
{
    return guarded([&]() -> Herror {
        std::vector<RegionPtr> list;
        ImageView img = nullptr;
        if (const Herror err = statisticInputs(regions, image, list, img); err != kSuccess)
            return err;
        double p = 0.0;
        if (const Herror err = finiteNumber(percent, 1, &p); err != kSuccess)
            return err;
        if (p < 0.0 || p > 50.0)
            return wrongValue(1);
        HTuple mins, maxs, ranges;
        for (const RegionPtr& reg : list) {
            const RankedValues values(*img, pixelsInDomain(*reg, *img));
            double lo = 0.0;
            double hi = 0.0;
            if (values.count() > 0) {
                const std::int64_t n = values.count();
                const std::int64_t cut = std::int64_t(std::floor(double(n) * p / 100.0));
                std::int64_t first = std::min(cut, n - 1);
                std::int64_t last = std::max<std::int64_t>(n - 1 - cut, 0);
                if (first > last)
                    std::swap(first, last);
                lo = values.at(first);
                hi = values.at(last);
            }
            mins.Append(HValue(lo));
            maxs.Append(HValue(hi));
            ranges.Append(HValue(hi - lo));
        }
        if (min)
            *min = std::move(mins);
        if (max)
            *max = std::move(maxs);
        if (range)
            *range = std::move(ranges);
        return kSuccess;
    });
}

Herror intensity(const Hobject& regions, const Hobject& image, HTuple* mean, HTuple* deviation)
{
    return guarded([&]() -> Herror {
        std::vector<RegionPtr> list;
        ImageView img = nullptr;
        if (const Herror err = statisticInputs(regions, image, list, img); err != kSuccess)
            return err;
        HTuple means, deviations;
        for (const RegionPtr& reg : list) {
            const Runs pixels = pixelsInDomain(*reg, *img);
            const std::int64_t n = runsArea(pixels);
            double m = 0.0;
            double d = 0.0;
            if (n > 0) {
                // Two passes: the mean first, then the squared deviations from it, which
                // stays exact where sum-of-squares minus square-of-sum would cancel.
                double sum = 0.0;
                forEachValue(*img, pixels, [&sum](double v) { sum += v; });
                m = sum / double(n);
                double squares = 0.0;
                forEachValue(*img, pixels, [&squares, m](double v) { squares += (v - m) * (v - m); });
                d = std::sqrt(squares / double(n));
            }
            means.Append(HValue(m));
            deviations.Append(HValue(d));
        }
        if (mean)
            *mean = std::move(means);
        if (deviation)
            *deviation = std::move(deviations);
        return kSuccess;
    });
}

} // namespace Halcon
