#include "ShapeModelBuilder_p.h"

#include "ShapeGradients_p.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace Halcon::ShapeMatching {

namespace {

// Fewer level-1 points make no reliable model.
constexpr size_t kMinModelPoints = 8;
// A higher level is kept only while it has this many points (explicit / automatic levels)
// and, when automatic, while the model is still this many pixels across from its centre.
constexpr size_t kMinLevelPoints = 12;
constexpr size_t kMinAutoLevelPoints = 30;
constexpr double kMinAutoLevelRadius = 6.0;
// "auto" reduction keeps about this many points per level.
constexpr size_t kAutoPointTarget = 300;
constexpr size_t kMinThinnedPoints = 24;

struct EdgePixel
{
    int x;
    int y;
};

// Thresholds for edge extraction.
struct Contrast
{
    double low;
    double high;
    int minSize;
};

// Otsu threshold of the magnitudes inside the mask, and their median.
void magnitudeStatistics(const cv::Mat &magnitude, const cv::Mat &mask, double *otsu, double *median)
{
    constexpr int kBins = 512;
    double maxValue = 0.0;
    cv::minMaxLoc(magnitude, nullptr, &maxValue, nullptr, nullptr, mask);
    *otsu = 0.0;
    *median = 0.0;
    if (maxValue <= 0.0)
        return;
    std::vector<double> histogram(kBins, 0.0);
    const double binWidth = maxValue / (kBins - 1);
    double count = 0.0;
    for (int y = 0; y < magnitude.rows; ++y) {
        const float *m = magnitude.ptr<float>(y);
        const uchar *k = mask.ptr<uchar>(y);
        for (int x = 0; x < magnitude.cols; ++x) {
            if (k[x]) {
                histogram[size_t(std::lround(m[x] / binWidth))] += 1.0;
                count += 1.0;
            }
        }
    }
    double sum = 0.0, cumulative = 0.0;
    for (int i = 0; i < kBins; ++i)
        sum += i * histogram[i];
    for (int i = 0; i < kBins; ++i) {
        cumulative += histogram[i];
        if (cumulative >= count / 2.0) {
            *median = i * binWidth;
            break;
        }
    }
    double weightBelow = 0.0, sumBelow = 0.0, best = -1.0;
    for (int i = 0; i < kBins; ++i) {
        weightBelow += histogram[i];
        if (weightBelow <= 0.0)
            continue;
        const double weightAbove = count - weightBelow;
        if (weightAbove <= 0.0)
            break;
        sumBelow += i * histogram[i];
        const double meanBelow = sumBelow / weightBelow;
        const double meanAbove = (sum - sumBelow) / weightAbove;
        const double between = weightBelow * weightAbove * (meanBelow - meanAbove) * (meanBelow - meanAbove);
        if (between > best) {
            best = between;
            *otsu = (i + 0.5) * binWidth;
        }
    }
}

float bilinear(const cv::Mat &image, float x, float y)
{
    x = std::clamp(x, 0.0f, float(image.cols - 1));
    y = std::clamp(y, 0.0f, float(image.rows - 1));
    const int x0 = std::min(int(x), image.cols - 2 < 0 ? 0 : image.cols - 2);
    const int y0 = std::min(int(y), image.rows - 2 < 0 ? 0 : image.rows - 2);
    const int x1 = std::min(x0 + 1, image.cols - 1), y1 = std::min(y0 + 1, image.rows - 1);
    const float fx = x - x0, fy = y - y0;
    const float a = image.at<float>(y0, x0), b = image.at<float>(y0, x1);
    const float c = image.at<float>(y1, x0), d = image.at<float>(y1, x1);
    return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy;
}

// Thin edges: local maxima of the magnitude across the edge, kept by hysteresis and
// minimum component size, ordered into chains of neighbouring pixels.
std::vector<std::vector<EdgePixel>> edgeChains(const GradientImage &gradient, const cv::Mat &mask,
                                               const Contrast &contrast)
{
    const cv::Mat &m = gradient.magnitude;
    const int w = m.cols, h = m.rows;
    // 0 = none, 1 = candidate (>= low), 2 = edge
    cv::Mat state(h, w, CV_8U, cv::Scalar(0));
    std::vector<EdgePixel> stack;
    for (int y = 1; y < h - 1; ++y) {
        const float *row = m.ptr<float>(y);
        const uchar *k = mask.ptr<uchar>(y);
        for (int x = 1; x < w - 1; ++x) {
            const float v = row[x];
            if (!k[x] || v < contrast.low || v <= 0.0f)
                continue;
            const float gx = gradient.ux.at<float>(y, x), gy = gradient.uy.at<float>(y, x);
            // Neighbours along the gradient, quantised to 8 directions.
            const int sx = std::abs(gx) > 0.3827f ? (gx > 0 ? 1 : -1) : 0;
            const int sy = std::abs(gy) > 0.3827f ? (gy > 0 ? 1 : -1) : 0;
            const float a = m.at<float>(y + sy, x + sx), b = m.at<float>(y - sy, x - sx);
            if (v > a && v >= b) {
                state.at<uchar>(y, x) = 1;
                if (v >= contrast.high)
                    stack.push_back({x, y});
            }
        }
    }
    for (const EdgePixel &p : stack)
        state.at<uchar>(p.y, p.x) = 2;
    while (!stack.empty()) {
        const EdgePixel p = stack.back();
        stack.pop_back();
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int x = p.x + dx, y = p.y + dy;
                if (x < 0 || y < 0 || x >= w || y >= h)
                    continue;
                uchar &s = state.at<uchar>(y, x);
                if (s == 1) {
                    s = 2;
                    stack.push_back({x, y});
                }
            }
    }
    // Components, then chains inside each: start at a pixel with the fewest edge
    // neighbours and walk to unvisited neighbours, 4-neighbours first.
    std::vector<std::vector<EdgePixel>> chains;
    auto isEdge = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && state.at<uchar>(y, x) >= 2; };
    auto neighbours = [&](int x, int y) {
        int n = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if ((dx || dy) && isEdge(x + dx, y + dy) && state.at<uchar>(y + dy, x + dx) == 2)
                    ++n;
        return n;
    };
    static const int order[8][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}, {1, 1}, {-1, 1}, {-1, -1}, {1, -1}};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (state.at<uchar>(y, x) != 2)
                continue;
            // Collect the component (state 2 -> 3 while collecting).
            std::vector<EdgePixel> component{{x, y}};
            state.at<uchar>(y, x) = 3;
            for (size_t i = 0; i < component.size(); ++i) {
                for (const auto &d : order) {
                    const int nx = component[i].x + d[0], ny = component[i].y + d[1];
                    if (nx >= 0 && ny >= 0 && nx < w && ny < h && state.at<uchar>(ny, nx) == 2) {
                        state.at<uchar>(ny, nx) = 3;
                        component.push_back({nx, ny});
                    }
                }
            }
            const bool keep = int(component.size()) >= contrast.minSize;
            for (const EdgePixel &p : component)
                state.at<uchar>(p.y, p.x) = keep ? 2 : 0;
            if (!keep)
                continue;
            size_t remaining = component.size();
            while (remaining > 0) {
                EdgePixel start{-1, -1};
                int fewest = 9;
                for (const EdgePixel &p : component) {
                    if (state.at<uchar>(p.y, p.x) != 2)
                        continue;
                    const int n = neighbours(p.x, p.y);
                    if (n < fewest) {
                        fewest = n;
                        start = p;
                        if (n <= 1)
                            break;
                    }
                }
                if (start.x < 0)
                    break;
                std::vector<EdgePixel> chain{start};
                state.at<uchar>(start.y, start.x) = 4;
                --remaining;
                for (bool moved = true; moved;) {
                    moved = false;
                    const EdgePixel p = chain.back();
                    for (const auto &d : order) {
                        const int nx = p.x + d[0], ny = p.y + d[1];
                        if (nx >= 0 && ny >= 0 && nx < w && ny < h && state.at<uchar>(ny, nx) == 2) {
                            state.at<uchar>(ny, nx) = 4;
                            chain.push_back({nx, ny});
                            --remaining;
                            moved = true;
                            break;
                        }
                    }
                }
                chains.push_back(std::move(chain));
            }
        }
    }
    return chains;
}

// Keeps every m-th point so that the level holds about the target count.
std::vector<ModelPoint> thinned(const std::vector<ModelPoint> &points, PointReduction reduction)
{
    size_t step = 1;
    switch (reduction) {
    case PointReduction::None:
        step = 1;
        break;
    case PointReduction::Low:
        step = 2;
        break;
    case PointReduction::Medium:
        step = 3;
        break;
    case PointReduction::High:
        step = 4;
        break;
    case PointReduction::Auto:
        step = std::max<size_t>(1, (points.size() + kAutoPointTarget - 1) / kAutoPointTarget);
        break;
    }
    while (step > 1 && points.size() / step < kMinThinnedPoints)
        --step;
    if (step <= 1)
        return points;
    std::vector<ModelPoint> kept;
    kept.reserve(points.size() / step + 1);
    for (size_t i = 0; i < points.size(); i += step)
        kept.push_back(points[i]);
    return kept;
}

// The search may stop a pose once the points seen so far score too low (greediness);
// in contour order an occluded stretch would come all at once, so the points are spread
// along the contours by stepping with a stride near the golden section.
std::vector<ModelPoint> scattered(const std::vector<ModelPoint> &points)
{
    const size_t n = points.size();
    if (n < 3)
        return points;
    size_t stride = std::max<size_t>(1, size_t(double(n) * 0.618));
    while (std::gcd(stride, n) != 1)
        --stride;
    std::vector<ModelPoint> result(n);
    for (size_t i = 0, j = 0; i < n; ++i, j = (j + stride) % n)
        result[i] = points[j];
    return result;
}

double levelRadius(const std::vector<ModelPoint> &points)
{
    double r2 = 0.0;
    for (const ModelPoint &p : points)
        r2 = std::max(r2, double(p.x) * p.x + double(p.y) * p.y);
    return std::sqrt(r2);
}

// Whether level `index` (0-based) may be added on top of the ones kept.
bool keepLevel(size_t index, const ModelLevel &level, bool automatic)
{
    if (index == 0)
        return true;
    if (automatic)
        return level.points.size() >= kMinAutoLevelPoints && levelRadius(level.points) >= kMinAutoLevelRadius;
    return level.points.size() >= kMinLevelPoints;
}

// Resolves the automatic steps and stores the ranges once the points are known.
Herror finish(const BuildParameters &p, ShapeModelData &data)
{
    if (data.levels.empty() || data.levels.front().points.size() < kMinModelPoints)
        return kErrTooFewModelPoints;
    computeExtent(data);
    const double radius = std::max(1.0, double(data.radius));
    data.angleStart = p.angleStart;
    data.angleExtent = p.angleExtent;
    data.angleStep = p.angleStep > 0.0 ? p.angleStep : std::atan(1.0 / radius);
    data.scaleMin = p.scaleMin;
    data.scaleMax = p.scaleMax;
    data.scaleStep = p.scaleStep > 0.0 ? p.scaleStep : 1.0 / radius;
    data.metric = p.metric;
    // Only a model that could be saved and read again is made (contours far out, for one).
    return withinLimits(data) ? kSuccess : kErrImageTooLarge;
}

} // namespace

Herror ShapeModelBuilder::fromImage(const ImageElement &image, const BuildParameters &p,
                                    std::shared_ptr<ShapeModelData> *model)
{
    if (p.metric != Metric::IgnoreColorPolarity && image.channels() != 1)
        return kErrWrongChannelCount;
    RegionPtr domain = domainOf(image);
    if (!domain || domain->isEmpty())
        return kErrEmptyDomain;
    const bool automaticLevels = p.numLevels <= 0;
    const int wanted = automaticLevels ? kMaxLevels : std::min(p.numLevels, kMaxLevels);
    const int margin = (1 << std::min(wanted, 6)) + 4;
    const cv::Rect crop = cv::Rect(domain->col1 - margin, domain->row1 - margin,
                                   domain->col2 - domain->col1 + 1 + 2 * margin,
                                   domain->row2 - domain->row1 + 1 + 2 * margin)
        & cv::Rect(0, 0, image.width, image.height);
    if (crop.empty())
        return kErrEmptyDomain;

    std::vector<cv::Mat> planes(size_t(image.channels()));
    for (int c = 0; c < image.channels(); ++c)
        image.planes[size_t(c)](crop).convertTo(planes[size_t(c)], CV_32F);
    cv::Mat mask(crop.size(), CV_8U, cv::Scalar(0));
    for (const Run &run : domain->runs) {
        const int y = run.row - crop.y;
        const int x1 = std::max(run.colBegin - crop.x, 0), x2 = std::min(run.colEnd - crop.x, crop.width - 1);
        if (y >= 0 && y < crop.height && x1 <= x2)
            mask.row(y).colRange(x1, x2 + 1).setTo(255);
    }
    const std::vector<std::vector<cv::Mat>> pyramid = buildPyramid(planes, wanted);

    // Automatic thresholds from the level-1 magnitudes inside the template.
    GradientImage first;
    computeGradient(pyramid[0], 0.0f, true, first);
    double otsu = 0.0, median = 0.0;
    magnitudeStatistics(first.magnitude, mask, &otsu, &median);
    Contrast contrast{};
    contrast.high = p.contrastHigh >= 0.0 ? p.contrastHigh : std::max(otsu, p.contrastLow);
    contrast.low = p.contrastLow >= 0.0 ? p.contrastLow : contrast.high * (p.contrastHigh >= 0.0 ? 0.5 : 0.6);
    if (contrast.low > contrast.high)
        std::swap(contrast.low, contrast.high);
    contrast.low = std::max(contrast.low, 1.0);
    contrast.high = std::max(contrast.high, contrast.low);

    auto data = std::make_shared<ShapeModelData>();
    data->channels = image.channels();
    data->minContrast = p.minContrast >= 0.0 ? p.minContrast : std::min(std::max(3.0 * median, 5.0), contrast.low);

    const double refX = domain->centerCol - crop.x, refY = domain->centerRow - crop.y;
    cv::Mat levelMask = mask;
    int firstMinSize = 0;
    for (size_t level = 0; level < pyramid.size(); ++level) {
        if (level > 0) {
            cv::Mat half;
            const int w = levelMask.cols / 2, h = levelMask.rows / 2;
            cv::resize(levelMask(cv::Rect(0, 0, 2 * w, 2 * h)), half, cv::Size(w, h), 0, 0, cv::INTER_AREA);
            cv::threshold(half, levelMask, 127, 255, cv::THRESH_BINARY);
        }
        GradientImage gradient;
        if (level == 0)
            gradient = first;
        else
            computeGradient(pyramid[level], 0.0f, true, gradient);
        std::vector<std::vector<EdgePixel>> chains;
        if (level == 0) {
            // Automatic minimum size: small pieces against the longest edge.
            Contrast c0 = contrast;
            c0.minSize = 1;
            chains = edgeChains(gradient, levelMask, c0);
            size_t longest = 0;
            for (const auto &chain : chains)
                longest = std::max(longest, chain.size());
            firstMinSize = p.minSize >= 0.0 ? int(std::lround(p.minSize))
                                             : int(std::clamp<size_t>(longest / 20, 3, 20));
            contrast.minSize = firstMinSize;
            chains = edgeChains(gradient, levelMask, contrast);
        } else {
            Contrast ck = contrast;
            ck.minSize = std::max(1, int(std::lround(firstMinSize / levelFactor(int(level) + 1))));
            chains = edgeChains(gradient, levelMask, ck);
        }
        const double rx = toLevel(refX, int(level) + 1), ry = toLevel(refY, int(level) + 1);
        ModelLevel result;
        std::vector<ModelPoint> all;
        for (const auto &chain : chains) {
            std::vector<XldPoint> contour;
            contour.reserve(chain.size());
            for (const EdgePixel &e : chain) {
                const float ux = gradient.ux.at<float>(e.y, e.x), uy = gradient.uy.at<float>(e.y, e.x);
                // Sub-pixel edge position: vertex of the parabola through the magnitudes
                // across the edge.
                const float m0 = gradient.magnitude.at<float>(e.y, e.x);
                const float ma = bilinear(gradient.magnitude, e.x - ux, e.y - uy);
                const float mb = bilinear(gradient.magnitude, e.x + ux, e.y + uy);
                const float denominator = ma - 2.0f * m0 + mb;
                float shift = denominator < 0.0f ? 0.5f * (ma - mb) / denominator : 0.0f;
                shift = std::clamp(shift, -0.5f, 0.5f);
                const float px = float(e.x + shift * ux - rx), py = float(e.y + shift * uy - ry);
                all.push_back({px, py, ux, uy});
                contour.push_back({double(py), double(px)});
            }
            result.contours.push_back(std::move(contour));
        }
        result.points = scattered(thinned(all, p.reduction));
        if (!keepLevel(level, result, automaticLevels))
            break;
        data->levels.push_back(std::move(result));
    }
    if (const Herror err = finish(p, *data); err != kSuccess)
        return err;
    *model = std::move(data);
    return kSuccess;
}

Herror ShapeModelBuilder::fromContours(const std::vector<XldPtr> &contours, const BuildParameters &p,
                                       std::shared_ptr<ShapeModelData> *model)
{
    // Reference point: centre of gravity of the pieces, weighted by length.
    double sumLength = 0.0, sumX = 0.0, sumY = 0.0;
    for (const XldPtr &contour : contours) {
        const auto &points = contour->points;
        for (size_t i = 1; i < points.size(); ++i) {
            const double length = std::hypot(points[i].row - points[i - 1].row, points[i].col - points[i - 1].col);
            sumLength += length;
            sumX += length * 0.5 * (points[i].col + points[i - 1].col);
            sumY += length * 0.5 * (points[i].row + points[i - 1].row);
        }
    }
    if (sumLength <= 0.0 || !std::isfinite(sumLength))
        return kErrTooFewModelPoints;
    const double refX = sumX / sumLength, refY = sumY / sumLength;

    auto data = std::make_shared<ShapeModelData>();
    data->fromContours = true;
    data->channels = 1;
    data->minContrast = p.minContrast >= 0.0 ? p.minContrast : 10.0;
    const bool automaticLevels = p.numLevels <= 0;
    const int wanted = automaticLevels ? kMaxLevels : std::min(p.numLevels, kMaxLevels);
    for (int level = 0; level < wanted; ++level) {
        const double factor = levelFactor(level + 1);
        ModelLevel result;
        std::vector<ModelPoint> all;
        for (const XldPtr &contour : contours) {
            const auto &points = contour->points;
            if (points.size() < 2)
                continue;
            std::vector<XldPoint> display;
            display.reserve(points.size());
            for (const XldPoint &q : points)
                display.push_back({(q.row - refY) / factor, (q.col - refX) / factor});
            result.contours.push_back(std::move(display));
            // Resample at one pixel of this level along the contour.
            std::vector<double> arc(points.size(), 0.0);
            for (size_t i = 1; i < points.size(); ++i)
                arc[i] = arc[i - 1] + std::hypot(points[i].row - points[i - 1].row, points[i].col - points[i - 1].col);
            const double total = arc.back();
            if (total <= 0.0)
                continue;
            const bool closed = contour->isClosed();
            const int count = std::max(2, int(std::floor(total / factor)) + (closed ? 0 : 1));
            const double spacing = closed ? total / count : total / (count - 1);
            std::vector<XldPoint> samples;
            samples.reserve(size_t(count));
            size_t segment = 1;
            for (int i = 0; i < count; ++i) {
                const double s = std::min(i * spacing, total);
                while (segment + 1 < points.size() && arc[segment] < s)
                    ++segment;
                const double length = arc[segment] - arc[segment - 1];
                const double t = length > 0.0 ? (s - arc[segment - 1]) / length : 0.0;
                samples.push_back({points[segment - 1].row + t * (points[segment].row - points[segment - 1].row),
                                   points[segment - 1].col + t * (points[segment].col - points[segment - 1].col)});
            }
            for (size_t i = 0; i < samples.size(); ++i) {
                const size_t n = samples.size();
                const XldPoint &a = (i > 0) ? samples[i - 1] : (closed ? samples[n - 1] : samples[i]);
                const XldPoint &b = (i + 1 < n) ? samples[i + 1] : (closed ? samples[0] : samples[i]);
                const double tr = b.row - a.row, tc = b.col - a.col;
                const double length = std::hypot(tr, tc);
                if (length <= 0.0)
                    continue;
                // Normal to the right of the direction of travel on screen.
                all.push_back({float((samples[i].col - refX) / factor), float((samples[i].row - refY) / factor),
                               float(-tr / length), float(tc / length)});
            }
        }
        result.points = scattered(thinned(all, p.reduction));
        if (!keepLevel(size_t(level), result, automaticLevels))
            break;
        data->levels.push_back(std::move(result));
    }
    if (const Herror err = finish(p, *data); err != kSuccess)
        return err;
    *model = std::move(data);
    return kSuccess;
}

} // namespace Halcon::ShapeMatching
