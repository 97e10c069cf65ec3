#include "ShapeModelSearch_p.h"

#include "ShapeGradients_p.h"
#include "ShapeModelOverlap_p.h"
#include "ShapeModelRefine_p.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>

namespace Halcon::ShapeMatching {

namespace {

using Clock = std::chrono::steady_clock;

Polarity polarityOf(Metric metric)
{
    switch (metric) {
    case Metric::UsePolarity:
        return Polarity::Signed;
    case Metric::IgnoreGlobalPolarity:
        return Polarity::GlobalAbs;
    default:
        return Polarity::LocalAbs;
    }
}

// Scores on coarse levels and at unrefined poses lie below the final one: candidates
// are kept with these fractions of the minimum score.
constexpr double kTopLevelFactor = 0.8;
constexpr double kTrackFactor = 0.85;
constexpr double kLowestFactor = 0.9;

// ---- Row kernel: one row of positions at once, all points of one pose -----------------
//
// acc[i] = sum over points of the similarity at position x0 + i. Vectorised over the
// positions (contiguous in memory); returns false when no position of the row can still
// reach the minimum score (greediness bound checked every 8 points).

typedef float v8f __attribute__((vector_size(32)));
typedef int v8i __attribute__((vector_size(32)));


struct RowJob
{
    float *acc;
    const float *ux; // at the row's first position
    const float *uy;
    const int *offsets;
    const float *mx;
    const float *my;
    int points;
    int count;
    float minScore;   // for the early stop
    float greedyF;    // (1 - g s) / (1 - g), large for g = 1
};

template<Polarity P>
inline __attribute__((always_inline)) bool rowKernelImpl(const RowJob &job)
{
    float *__restrict acc = job.acc;
    const int count = job.count;
    std::memset(acc, 0, sizeof(float) * size_t(count));
    const float n = float(job.points);
    for (int i = 0; i < job.points; ++i) {
        const float *__restrict a = job.ux + job.offsets[i];
        const float *__restrict b = job.uy + job.offsets[i];
        const float mx = job.mx[i], my = job.my[i];
        const v8f vx = {mx, mx, mx, mx, mx, mx, mx, mx};
        const v8f vy = {my, my, my, my, my, my, my, my};
        int x = 0;
        // Vectors stay inside this function: passing them by value would tie the
        // helper's ABI to the instruction set.
        for (; x + 8 <= count; x += 8) {
            v8f va, vb, vs;
            std::memcpy(&va, a + x, sizeof va);
            std::memcpy(&vb, b + x, sizeof vb);
            std::memcpy(&vs, acc + x, sizeof vs);
            v8f s = va * vx + vb * vy;
            if constexpr (P == Polarity::LocalAbs)
                s = (v8f)((v8i)s & 0x7fffffff);
            vs += s;
            std::memcpy(acc + x, &vs, sizeof vs);
        }
        for (; x < count; ++x) {
            float s = a[x] * mx + b[x] * my;
            if constexpr (P == Polarity::LocalAbs)
                s = std::fabs(s);
            acc[x] += s;
        }
        const int done = i + 1;
        if ((done & 7) == 0 && done < job.points) {
            const float bound = std::min(n * (job.minScore - 1.0f) + job.greedyF * done, job.minScore * done);
            float best = -1e30f;
            for (int k = 0; k < count; ++k)
                best = std::max(best, P == Polarity::GlobalAbs ? std::fabs(acc[k]) : acc[k]);
            if (best < bound)
                return false;
        }
    }
    return true;
}

// The clones' dispatch runs before ThreadSanitizer's runtime is up, so a TSan build goes without.
#if defined(__SANITIZE_THREAD__)
#define ZELVORIN_ROW_KERNEL_CLONES
#else
#define ZELVORIN_ROW_KERNEL_CLONES __attribute__((target_clones("arch=haswell", "default")))
#endif

ZELVORIN_ROW_KERNEL_CLONES bool rowKernelSigned(const RowJob &job)
{
    return rowKernelImpl<Polarity::Signed>(job);
}
ZELVORIN_ROW_KERNEL_CLONES bool rowKernelGlobal(const RowJob &job)
{
    return rowKernelImpl<Polarity::GlobalAbs>(job);
}
ZELVORIN_ROW_KERNEL_CLONES bool rowKernelLocal(const RowJob &job)
{
    return rowKernelImpl<Polarity::LocalAbs>(job);
}

bool rowKernel(Polarity polarity, const RowJob &job)
{
    switch (polarity) {
    case Polarity::Signed:
        return rowKernelSigned(job);
    case Polarity::GlobalAbs:
        return rowKernelGlobal(job);
    default:
        return rowKernelLocal(job);
    }
}

// ---- Model points placed with one angle and scale on one level -----------------------

struct Posed
{
    double angle = 0.0;
    double scale = 1.0;
    std::vector<int> offsets; // row * stride + column
    std::vector<float> mx, my;
    int minX = 0, maxX = 0, minY = 0, maxY = 0;
};

void placePoints(const std::vector<ModelPoint> &points, double angle, double scale, int stride, Posed &out)
{
    const double c = std::cos(angle), s = std::sin(angle);
    const size_t n = points.size();
    out.angle = angle;
    out.scale = scale;
    out.offsets.resize(n);
    out.mx.resize(n);
    out.my.resize(n);
    out.minX = out.minY = 1 << 30;
    out.maxX = out.maxY = -(1 << 30);
    bool addressable = true;
    for (size_t i = 0; i < n; ++i) {
        const ModelPoint &p = points[i];
        // Model limits keep these far inside int; their offsets need not be.
        const int ox = int(std::lround(scale * (c * p.x + s * p.y)));
        const int oy = int(std::lround(scale * (-s * p.x + c * p.y)));
        const long long offset = (long long)oy * stride + ox;
        addressable = addressable && offset >= INT_MIN && offset <= INT_MAX;
        out.offsets[i] = addressable ? int(offset) : 0;
        out.mx[i] = float(c * p.dx + s * p.dy);
        out.my[i] = float(-s * p.dx + c * p.dy);
        out.minX = std::min(out.minX, ox);
        out.maxX = std::max(out.maxX, ox);
        out.minY = std::min(out.minY, oy);
        out.maxY = std::max(out.maxY, oy);
    }
    // A point beyond every picture's reach: the pose fits nowhere.
    if (!addressable) {
        out.minX = out.minY = -(1 << 30);
        out.maxX = out.maxY = 1 << 30;
    }
}

// ---- One level of the searched picture ------------------------------------------------

struct Level
{
    GradientImage gradient; // the whole level, or a window of it at (ox, oy)
    int ox = 0;
    int oy = 0;
    int levelWidth = 0;
    int levelHeight = 0;
    cv::Mat positions; // CV_8U, non-zero where the reference point may lie; empty = anywhere
    int x1 = 0, y1 = 0, x2 = -1, y2 = -1; // box of allowed positions
    std::vector<double> angles;
    std::vector<double> scales;
    double angleStep = 0.0;
    double scaleStep = 0.0;

    int stride() const { return int(gradient.ux.step1()); }
    bool allowed(int x, int y) const
    {
        if (x < x1 || x > x2 || y < y1 || y > y2)
            return false;
        return positions.empty() || positions.at<uchar>(y, x) != 0;
    }
    // The whole placed model inside the picture at (x, y).
    bool fits(const Posed &p, int x, int y) const
    {
        return x + p.minX >= ox && x + p.maxX < ox + gradient.ux.cols && y + p.minY >= oy
            && y + p.maxY < oy + gradient.ux.rows;
    }
};

// Beyond this many angles or scales on one level a search cannot be held in memory.
constexpr double kMaxSteps = double(1 << 22);
// The most memory the search of the top level may take for its placed poses and score maps.
constexpr double kTopLevelBudget = double(1LL << 30);

// Evenly spaced values over [start, start + extent] with at most `step` between them; empty
// when there would be more than kMaxSteps.
std::vector<double> steps(double start, double extent, double step)
{
    if (extent <= 0.0 || step <= 0.0)
        return {start};
    const double exact = std::ceil(extent / step - 1e-9);
    if (!(exact < kMaxSteps))
        return {};
    const int count = int(exact) + 1;
    std::vector<double> values(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        values[size_t(i)] = start + extent * i / (count - 1);
    return values;
}

struct Candidate
{
    double x; // level coordinates of the reference point
    double y;
    double angle;
    double scale;
    double score;
};

// Score of a placed model at an integer position, with the greediness stop: -1 once the
// minimum cannot be reached any more.
float poseScore(const Level &level, const Posed &p, int x, int y, Polarity polarity, float minScore, float greedyF)
{
    const float *ux = level.gradient.ux.ptr<float>(0) + ptrdiff_t(y - level.oy) * level.stride() + (x - level.ox);
    const float *uy = level.gradient.uy.ptr<float>(0) + ptrdiff_t(y - level.oy) * level.stride() + (x - level.ox);
    const int n = int(p.offsets.size());
    const float fn = float(n);
    float sum = 0.0f;
    for (int i = 0; i < n; ++i) {
        float v = ux[p.offsets[i]] * p.mx[i] + uy[p.offsets[i]] * p.my[i];
        if (polarity == Polarity::LocalAbs)
            v = std::fabs(v);
        sum += v;
        const int done = i + 1;
        const float reached = polarity == Polarity::GlobalAbs ? std::fabs(sum) : sum;
        if (reached < std::min(fn * (minScore - 1.0f) + greedyF * done, minScore * done))
            return -1.0f;
    }
    return (polarity == Polarity::GlobalAbs ? std::fabs(sum) : sum) / fn;
}

// ---- The search ---------------------------------------------------------------------------

class Search
{
public:
    Search(const ImageElement &image, const ModelSnapshot &model, const SearchParameters &parameters)
        : m_image(image), m_model(*model.data), m_settings(model.settings), m_p(parameters),
          m_polarity(polarityOf(model.data->metric))
    {
        if (model.settings.timeoutMs > 0) {
            const long long timeout = std::min<long long>(model.settings.timeoutMs, ModelLimits::kMaxTimeoutMs);
            m_deadline = Clock::now() + std::chrono::milliseconds(timeout);
            m_hasDeadline = true;
        }
        const double g = std::clamp(m_p.greediness, 0.0, 1.0);
        const double s = std::clamp(m_p.minScore, 0.0, 1.0);
        m_greedyF = g >= 0.999 ? 1e30f : float((1.0 - g * s) / (1.0 - g));
    }

    Herror run(std::vector<Match> *matches);

private:
    bool expired() const { return m_hasDeadline && Clock::now() > m_deadline; }
    Herror prepareLevels();
    Herror searchTop(std::vector<Candidate> &candidates);
    bool track(Candidate &candidate);
    void refine(Candidate &candidate, Match &match);
    float bestInWindow(int level, const Candidate &from, Candidate &best, float threshold);
    void windowAround(double x, double y);
    const Level &levelAt(int level) const
    {
        return level == m_lowest && m_lazyLowest ? m_window : m_levels[size_t(level - 1)];
    }

    const ImageElement &m_image;
    const ShapeModelData &m_model;
    ModelSettings m_settings;
    SearchParameters m_p;
    Polarity m_polarity;
    float m_greedyF = 1.0f;
    Clock::time_point m_deadline;
    bool m_hasDeadline = false;

    cv::Rect m_crop;
    int m_top = 1;    // 1-based levels
    int m_lowest = 1;
    std::vector<Level> m_levels; // [0] = level 1
    std::vector<std::vector<cv::Mat>> m_pyramid;
    float m_minContrast = 1.0f;
    bool m_lazyLowest = false;
    Level m_window; // the lowest level around the current candidate, when lazy
    double m_angleLow = 0.0, m_angleHigh = 0.0, m_scaleLow = 1.0, m_scaleHigh = 1.0;
    std::vector<Posed> m_posed; // scratch for tracking
};

Herror Search::prepareLevels()
{
    RegionPtr domain = m_image.hasFullDomain() ? RegionPtr() : m_image.domain;
    int dx1 = 0, dy1 = 0, dx2 = m_image.width - 1, dy2 = m_image.height - 1;
    if (domain) {
        dx1 = std::max(domain->col1, 0);
        dy1 = std::max(domain->row1, 0);
        dx2 = std::min(domain->col2, m_image.width - 1);
        dy2 = std::min(domain->row2, m_image.height - 1);
    }
    if (dx2 < dx1 || dy2 < dy1)
        return kSuccess; // nothing to search
    const int modelLevels = m_model.numLevels();
    m_top = m_p.topLevel <= 0 ? modelLevels : std::min(m_p.topLevel, modelLevels);
    m_lowest = std::clamp(m_p.lowestLevel, 1, m_top);
    const int margin = int(std::min(std::ceil(m_model.radius * m_scaleHigh), double(m_image.width + m_image.height)))
        + (1 << m_top) + 3;
    m_crop = cv::Rect(dx1 - margin, dy1 - margin, dx2 - dx1 + 1 + 2 * margin, dy2 - dy1 + 1 + 2 * margin)
        & cv::Rect(0, 0, m_image.width, m_image.height);

    // Views of the picture, in its own pixel type: the filters read it directly.
    const bool anyChannel = m_model.metric == Metric::IgnoreColorPolarity;
    const size_t channels = anyChannel ? m_image.planes.size() : 1;
    std::vector<cv::Mat> planes(channels);
    for (size_t c = 0; c < channels; ++c)
        planes[c] = m_image.planes[c](m_crop);
    m_pyramid = buildPyramid(planes, m_top);
    const auto &pyramid = m_pyramid;
    m_top = std::min(m_top, int(pyramid.size()));
    m_lowest = std::min(m_lowest, m_top);

    cv::Mat mask;
    if (domain) {
        mask = cv::Mat(m_crop.size(), CV_8U, cv::Scalar(0));
        for (const Run &run : domain->runs) {
            const int y = run.row - m_crop.y;
            const int x1 = std::max(run.colBegin - m_crop.x, 0);
            const int x2 = std::min(run.colEnd - m_crop.x, m_crop.width - 1);
            if (y >= 0 && y < m_crop.height && x1 <= x2)
                mask.row(y).colRange(x1, x2 + 1).setTo(255);
        }
    }
    m_levels.assign(size_t(m_top), Level());
    m_minContrast = float(std::max(m_model.minContrast, 0.01));
    m_lazyLowest = m_lowest < m_top;
    for (int k = 1; k <= m_top; ++k) {
        Level &level = m_levels[size_t(k - 1)];
        level.levelWidth = pyramid[size_t(k - 1)][0].cols;
        level.levelHeight = pyramid[size_t(k - 1)][0].rows;
        // Below the top the lowest level is needed only around the candidates followed
        // down to it (see windowAround), not over the whole picture.
        if (k > m_lowest || (k == m_lowest && !m_lazyLowest))
            computeGradient(pyramid[size_t(k - 1)], m_minContrast, k == m_lowest, level.gradient);
        if (k > 1 && !mask.empty()) {
            // A coarse position stands for the finer ones tracking may reach from it.
            cv::Mat grown, half;
            cv::dilate(mask, grown, cv::Mat::ones(3, 3, CV_8U));
            const int w = grown.cols / 2, h = grown.rows / 2;
            cv::resize(grown(cv::Rect(0, 0, 2 * w, 2 * h)), half, cv::Size(w, h), 0, 0, cv::INTER_AREA);
            cv::threshold(half, mask, 0, 255, cv::THRESH_BINARY);
        }
        if (k < m_lowest)
            continue;
        const double f = levelFactor(k);
        level.positions = mask;
        level.x1 = std::max(0, int(std::floor(toLevel(dx1 - m_crop.x, k))) - 1);
        level.y1 = std::max(0, int(std::floor(toLevel(dy1 - m_crop.y, k))) - 1);
        level.x2 = std::min(level.levelWidth - 1, int(std::ceil(toLevel(dx2 - m_crop.x, k))) + 1);
        level.y2 = std::min(level.levelHeight - 1, int(std::ceil(toLevel(dy2 - m_crop.y, k))) + 1);
        // Steps: a step moves the outermost point by about one pixel of the level (half a
        // pixel on the lowest level), never finer than the model's steps.
        const double radius = std::max(1.0, m_model.radius * m_scaleHigh / f);
        const double reach = k == m_lowest ? 0.5 : 1.0;
        level.angleStep = std::max(m_model.angleStep, std::atan(reach / radius));
        // Scale and position trade off against each other where part of the object is
        // hidden; a finer scale grid keeps the coarse pose on the right side of that.
        level.scaleStep = std::max(m_model.scaleStep, 0.5 * reach / radius);
        level.angles = steps(m_angleLow, m_angleHigh - m_angleLow, level.angleStep);
        level.scales = steps(m_scaleLow, m_scaleHigh - m_scaleLow, level.scaleStep);
        if (level.angles.empty() || level.scales.empty())
            return kErrOutOfMemory;
    }
    return expired() ? kErrTimeout : kSuccess;
}

Herror Search::searchTop(std::vector<Candidate> &candidates)
{
    const Level &level = m_levels[size_t(m_top - 1)];
    const std::vector<ModelPoint> &points = m_model.levels[size_t(m_top - 1)].points;
    const int bw = level.x2 - level.x1 + 1, bh = level.y2 - level.y1 + 1;
    if (bw <= 0 || bh <= 0 || points.empty())
        return kSuccess;
    const float threshold = float(m_p.minScore * (m_top == m_lowest ? kLowestFactor : kTopLevelFactor));
    // Candidates are the local maxima over position and angle, for every scale apart: where
    // part of an object is hidden a wrong scale can win on the coarse level, and an object
    // that looks alike turned (a cross) scores about as well at a wrong angle near the end
    // of the range as at the right one a coarse step away, where only the right one can be
    // followed down. Score maps of three neighbouring angles are held at a time.
    const size_t scaleCount = level.scales.size();
    const size_t angleCount = level.angles.size();
    if (double(points.size()) * (sizeof(int) + 2 * sizeof(float))
            + 3.0 * double(scaleCount) * double(bw) * double(bh) * sizeof(float)
        > kTopLevelBudget)
        return kErrOutOfMemory;
    std::array<std::vector<cv::Mat>, 3> maps;
    for (std::vector<cv::Mat> &angleMaps : maps) {
        angleMaps.resize(scaleCount);
        for (cv::Mat &map : angleMaps)
            map = cv::Mat(bh, bw, CV_32F);
    }
    auto mapOf = [&](size_t angleIndex, size_t scaleIndex) -> const cv::Mat & {
        return maps[angleIndex % 3][scaleIndex];
    };
    // Peaks of the maps of angle a, against the angles on either side that exist.
    auto collectPeaks = [&](size_t a) {
        const size_t aLow = a == 0 ? a : a - 1, aHigh = std::min(a + 1, angleCount - 1);
        for (size_t scaleIndex = 0; scaleIndex < scaleCount; ++scaleIndex) {
            const cv::Mat &map = mapOf(a, scaleIndex);
            for (int y = 0; y < bh; ++y) {
                const float *row = map.ptr<float>(y);
                for (int x = 0; x < bw; ++x) {
                    const float v = row[x];
                    if (v < threshold || !level.allowed(x + level.x1, y + level.y1))
                        continue;
                    bool peak = true;
                    for (size_t b = aLow; b <= aHigh && peak; ++b) {
                        const cv::Mat &other = mapOf(b, scaleIndex);
                        for (int dy = -1; dy <= 1 && peak; ++dy) {
                            for (int dx = -1; dx <= 1; ++dx) {
                                if ((b == a && !dx && !dy) || x + dx < 0 || y + dy < 0 || x + dx >= bw || y + dy >= bh)
                                    continue;
                                const float o = other.at<float>(y + dy, x + dx);
                                // Ties: the first in (angle, row, column) order wins.
                                const bool earlier = b < a || (b == a && (dy < 0 || (dy == 0 && dx < 0)));
                                if (o > v || (o == v && earlier)) {
                                    peak = false;
                                    break;
                                }
                            }
                        }
                    }
                    if (peak)
                        candidates.push_back({double(x + level.x1), double(y + level.y1), level.angles[a],
                                              level.scales[scaleIndex], double(v)});
                }
            }
        }
    };
    std::vector<float> acc(size_t(bw) + 8);
    Posed p;
    const float n = float(points.size());
    const float *uxBase = level.gradient.ux.ptr<float>(0);
    const float *uyBase = level.gradient.uy.ptr<float>(0);
    for (size_t angleIndex = 0; angleIndex < angleCount; ++angleIndex) {
        for (size_t scaleIndex = 0; scaleIndex < scaleCount; ++scaleIndex) {
            cv::Mat &map = maps[angleIndex % 3][scaleIndex];
            map.setTo(cv::Scalar(-1.0f));
            placePoints(points, level.angles[angleIndex], level.scales[scaleIndex], level.stride(), p);
            const int x1 = std::max(level.x1, -p.minX), x2 = std::min(level.x2, level.levelWidth - 1 - p.maxX);
            const int y1 = std::max(level.y1, -p.minY), y2 = std::min(level.y2, level.levelHeight - 1 - p.maxY);
            for (int y = y1; y <= y2 && x1 <= x2; ++y) {
                if (expired())
                    return kErrTimeout;
                const RowJob job{acc.data(),
                                 uxBase + ptrdiff_t(y) * level.stride() + x1,
                                 uyBase + ptrdiff_t(y) * level.stride() + x1,
                                 p.offsets.data(),
                                 p.mx.data(),
                                 p.my.data(),
                                 int(p.offsets.size()),
                                 x2 - x1 + 1,
                                 threshold,
                                 m_greedyF};
                if (!rowKernel(m_polarity, job))
                    continue;
                float *scoreRow = map.ptr<float>(y - level.y1);
                for (int x = x1; x <= x2; ++x) {
                    const float raw = acc[size_t(x - x1)];
                    scoreRow[x - level.x1] = (m_polarity == Polarity::GlobalAbs ? std::fabs(raw) : raw) / n;
                }
            }
        }
        if (angleIndex > 0)
            collectPeaks(angleIndex - 1);
    }
    collectPeaks(angleCount - 1);
    std::sort(candidates.begin(), candidates.end(), [](const Candidate &a, const Candidate &b) {
        return a.score > b.score;
    });
    const size_t cap = m_p.numMatches <= 0 ? size_t(5000) : (16 + 4 * size_t(m_p.numMatches)) * scaleCount;
    if (candidates.size() > cap)
        candidates.resize(cap);
    return kSuccess;
}

// The best pose on `level` (1-based) around a candidate of the level above (or, with
// level == its own, around itself); -1 when none reaches the threshold.
void Search::windowAround(double x, double y)
{
    const Level &full = m_levels[size_t(m_lowest - 1)];
    // Room for the model, the search window, the climb and the refinement's reach.
    const int half = int(std::min(std::ceil(m_model.radius * m_scaleHigh / levelFactor(m_lowest)),
                                  double(full.levelWidth + full.levelHeight)))
        + 16;
    const cv::Rect rect = cv::Rect(int(std::floor(x)) - half, int(std::floor(y)) - half, 2 * half + 2, 2 * half + 2)
        & cv::Rect(0, 0, full.levelWidth, full.levelHeight);
    m_window.positions = full.positions;
    m_window.x1 = full.x1;
    m_window.y1 = full.y1;
    m_window.x2 = full.x2;
    m_window.y2 = full.y2;
    m_window.angles = full.angles;
    m_window.scales = full.scales;
    m_window.angleStep = full.angleStep;
    m_window.scaleStep = full.scaleStep;
    m_window.levelWidth = full.levelWidth;
    m_window.levelHeight = full.levelHeight;
    m_window.ox = rect.x;
    m_window.oy = rect.y;
    std::vector<cv::Mat> planes;
    for (const cv::Mat &plane : m_pyramid[size_t(m_lowest - 1)])
        planes.push_back(plane(rect));
    computeGradient(planes, m_minContrast, true, m_window.gradient);
}

float Search::bestInWindow(int levelNumber, const Candidate &from, Candidate &best, float threshold)
{
    const Level &level = levelAt(levelNumber);
    const std::vector<ModelPoint> &points = m_model.levels[size_t(levelNumber - 1)].points;
    // Angles and scales: the parent's value and one step of this level to either side.
    auto around = [](double value, double step, double low, double high, bool single) {
        std::vector<double> values{value};
        if (!single) {
            if (value - step >= low - 1e-12)
                values.push_back(value - step);
            else if (value > low + 1e-12)
                values.push_back(low);
            if (value + step <= high + 1e-12)
                values.push_back(value + step);
            else if (value < high - 1e-12)
                values.push_back(high);
        }
        return values;
    };
    const std::vector<double> angles = around(from.angle, level.angleStep, m_angleLow, m_angleHigh,
                                              level.angles.size() == 1);
    const std::vector<double> scales = around(from.scale, level.scaleStep, m_scaleLow, m_scaleHigh,
                                              level.scales.size() == 1);
    const int cx = int(std::floor(from.x)), cy = int(std::floor(from.y));
    float bestScore = -1.0f;
    m_posed.resize(std::max(m_posed.size(), angles.size() * scales.size()));
    size_t index = 0;
    for (double angle : angles) {
        for (double scale : scales) {
            Posed &p = m_posed[index++];
            placePoints(points, angle, scale, level.stride(), p);
            for (int y = cy - 1; y <= cy + 2; ++y) {
                for (int x = cx - 1; x <= cx + 2; ++x) {
                    if (!level.allowed(x, y) || !level.fits(p, x, y))
                        continue;
                    const float score = poseScore(level, p, x, y, m_polarity, std::max(threshold, bestScore), m_greedyF);
                    if (score > bestScore) {
                        bestScore = score;
                        best = {double(x), double(y), angle, scale, double(score)};
                    }
                }
            }
        }
    }
    return bestScore >= threshold ? bestScore : -1.0f;
}

bool Search::track(Candidate &candidate)
{
    for (int k = m_top - 1; k >= m_lowest; --k) {
        // Level k + 1 position x maps to 2x + 0.5 on level k; the window starts one left.
        Candidate from = candidate;
        from.x = 2.0 * candidate.x;
        from.y = 2.0 * candidate.y;
        const float threshold = float(m_p.minScore * (k == m_lowest ? kLowestFactor : kTrackFactor));
        if (k == m_lowest && m_lazyLowest)
            windowAround(from.x, from.y);
        Candidate best{};
        if (bestInWindow(k, from, best, threshold) < 0.0f)
            return false;
        candidate = best;
    }
    // Climb on the lowest level while a neighbouring pose scores higher: the window of
    // the level above may end at a pose from which refinement would not converge
    // (partly hidden objects skew the coarse scores).
    for (int step = 0; step < 8; ++step) {
        Candidate best{};
        const Candidate from{candidate.x - 0.5, candidate.y - 0.5, candidate.angle, candidate.scale, candidate.score};
        if (bestInWindow(m_lowest, from, best, float(candidate.score)) < 0.0f || best.score <= candidate.score)
            break;
        candidate = best;
    }
    return true;
}

void Search::refine(Candidate &c, Match &match)
{
    const Level &level = levelAt(m_lowest);
    const std::vector<ModelPoint> &points = m_model.levels[size_t(m_lowest - 1)].points;
    Pose pose{c.x, c.y, c.angle, c.scale};
    double score = c.score;
    const bool fixAngle = m_angleHigh - m_angleLow <= 0.0;
    const bool fixScale = m_scaleHigh - m_scaleLow <= 0.0;
    switch (m_p.subPixel) {
    case SubPixel::None:
        break;
    case SubPixel::Interpolation: {
        // Parabolas through the interpolated score half a step to either side, one
        // parameter after the other.
        auto scoreAt = [&](const Pose &q) {
            return subPixelScore(points, level.gradient, Pose{q.x - level.ox, q.y - level.oy, q.angle, q.scale},
                                 m_polarity);
        };
        double centre = scoreAt(pose);
        auto settle = [&](double Pose::*member, double step, double low, double high) {
            Pose a = pose, b = pose;
            a.*member -= step;
            b.*member += step;
            const double sa = scoreAt(a), sb = scoreAt(b), curvature = sa - 2.0 * centre + sb;
            const double shift = curvature < 0.0 ? step * std::clamp(0.5 * (sa - sb) / curvature, -1.0, 1.0) : 0.0;
            Pose moved = pose;
            moved.*member = std::clamp(pose.*member + shift, low, high);
            const double score = scoreAt(moved);
            if (score >= centre) {
                pose = moved;
                centre = score;
            }
        };
        for (int round = 0; round < 2; ++round) {
            settle(&Pose::x, 0.5, -1e9, 1e9);
            settle(&Pose::y, 0.5, -1e9, 1e9);
            if (!fixAngle)
                settle(&Pose::angle, level.angleStep * 0.5, m_angleLow, m_angleHigh);
            if (!fixScale)
                settle(&Pose::scale, level.scaleStep * 0.5, m_scaleLow, m_scaleHigh);
        }
        score = centre;
        break;
    }
    default: {
        LeastSquaresSetup setup{};
        setup.iterations = m_p.subPixel == SubPixel::LeastSquares ? 4 : m_p.subPixel == SubPixel::LeastSquaresHigh ? 6 : 10;
        setup.sampleStep = m_p.subPixel == SubPixel::LeastSquaresVeryHigh ? 0.25 : 0.5;
        setup.fixAngle = fixAngle;
        setup.fixScale = fixScale;
        setup.angleLow = m_angleLow;
        setup.angleHigh = m_angleHigh;
        setup.scaleLow = m_scaleLow;
        setup.scaleHigh = m_scaleHigh;
        setup.minContrast = m_model.minContrast;
        setup.sign = 1.0;
        if (m_polarity == Polarity::GlobalAbs) {
            // The sign of the summed similarity tells which way the contrast runs.
            Posed p;
            placePoints(points, c.angle, c.scale, level.stride(), p);
            const ptrdiff_t base = ptrdiff_t(int(c.y) - level.oy) * level.stride() + (int(c.x) - level.ox);
            const float *ux = level.gradient.ux.ptr<float>(0) + base;
            const float *uy = level.gradient.uy.ptr<float>(0) + base;
            double sum = 0.0;
            for (size_t i = 0; i < p.offsets.size(); ++i)
                sum += ux[p.offsets[i]] * p.mx[i] + uy[p.offsets[i]] * p.my[i];
            setup.sign = sum < 0.0 ? -1.0 : 1.0;
        }
        // In the coordinates of the gradient (a window of the level when lazy).
        Pose local{pose.x - level.ox, pose.y - level.oy, pose.angle, pose.scale};
        const Pose start = local;
        refineLeastSquares(points, level.gradient, m_polarity, setup, local);
        // A refinement that ran away (clutter) keeps the discrete pose.
        if (std::hypot(local.x - start.x, local.y - start.y) > 3.0)
            local = start;
        score = subPixelScore(points, level.gradient, local, m_polarity);
        pose = Pose{local.x + level.ox, local.y + level.oy, local.angle, local.scale};
        break;
    }
    }
    c.score = score;
    // Level coordinates of the crop -> picture; then the origin placed with the pose.
    const double x1 = fromLevel(pose.x, m_lowest) + m_crop.x;
    const double y1 = fromLevel(pose.y, m_lowest) + m_crop.y;
    const double ca = std::cos(pose.angle), sa = std::sin(pose.angle);
    const double ox = m_settings.originColumn, oy = m_settings.originRow;
    match.column = x1 + pose.scale * (ca * ox + sa * oy);
    match.row = y1 + pose.scale * (-sa * ox + ca * oy);
    match.angle = pose.angle;
    match.scale = pose.scale;
    match.score = score;
}

Herror Search::run(std::vector<Match> *matches)
{
    matches->clear();
    // Searched ranges, clipped to the model's.
    m_angleLow = std::max(m_p.angleStart, m_model.angleStart);
    m_angleHigh = std::min(m_p.angleStart + std::max(m_p.angleExtent, 0.0), m_model.angleStart + m_model.angleExtent);
    m_scaleLow = std::max(m_p.scaleMin, m_model.scaleMin);
    m_scaleHigh = std::min(m_p.scaleMax, m_model.scaleMax);
    if (m_angleHigh < m_angleLow - 1e-12 || m_scaleHigh < m_scaleLow - 1e-12)
        return kSuccess;
    m_angleHigh = std::max(m_angleHigh, m_angleLow);
    m_scaleHigh = std::max(m_scaleHigh, m_scaleLow);
    // The reference point lies in the picture, and so does every point of a placed model: no
    // scale at which the farthest point is further away than the picture's diagonal can match.
    if (m_model.radius > 0.0f) {
        const double fitting = std::hypot(double(m_image.width), double(m_image.height)) / m_model.radius;
        if (fitting < m_scaleLow)
            return kSuccess;
        m_scaleHigh = std::min(m_scaleHigh, fitting);
    }
    if (const Herror err = prepareLevels(); err != kSuccess)
        return err;
    if (m_levels.empty())
        return kSuccess;
    std::vector<Candidate> candidates;
    if (const Herror err = searchTop(candidates); err != kSuccess)
        return err;
    std::vector<Match> found;
    for (Candidate &candidate : candidates) {
        if (expired())
            return kErrTimeout;
        if (m_top == m_lowest) {
            // The top level is the lowest: settle angle and scale on its finer steps.
            Candidate best{};
            if (bestInWindow(m_lowest, candidate, best, float(m_p.minScore * kLowestFactor)) < 0.0f)
                continue;
            candidate = best;
        } else if (!track(candidate)) {
            continue;
        }
        Match match{};
        refine(candidate, match);
        if (match.score >= m_p.minScore)
            found.push_back(match);
    }
    if (expired())
        return kErrTimeout;
    std::sort(found.begin(), found.end(), [](const Match &a, const Match &b) { return a.score > b.score; });
    std::vector<Quad> boxes;
    for (const Match &m : found) {
        const Quad box = boxOf(m_model, m, m_settings.originColumn, m_settings.originRow);
        const double area = polygonArea(std::vector<cv::Point2d>(box.corners.begin(), box.corners.end()));
        bool keep = true;
        for (size_t i = 0; i < matches->size() && keep; ++i) {
            const Match &o = (*matches)[i];
            // The same object reached from two candidates.
            if (std::hypot(o.row - m.row, o.column - m.column) < 2.0) {
                keep = false;
                break;
            }
            const double other = polygonArea(std::vector<cv::Point2d>(boxes[i].corners.begin(), boxes[i].corners.end()));
            const double smaller = std::min(area, other);
            if (smaller > 0.0 && intersectionArea(box, boxes[i]) / smaller > m_p.maxOverlap)
                keep = false;
        }
        if (!keep)
            continue;
        matches->push_back(m);
        boxes.push_back(box);
        if (m_p.numMatches > 0 && int(matches->size()) >= m_p.numMatches)
            break;
    }
    return kSuccess;
}

} // namespace

Herror ShapeModelSearch::find(const ImageElement &image, const ModelSnapshot &model, const SearchParameters &parameters,
                              std::vector<Match> *matches)
{
    if (model.data->metric != Metric::IgnoreColorPolarity && image.channels() != 1)
        return kErrWrongChannelCount;
    Search search(image, model, parameters);
    std::vector<Match> found;
    const Herror err = search.run(&found);
    if (err != kSuccess)
        return err;
    *matches = std::move(found);
    return kSuccess;
}

} // namespace Halcon::ShapeMatching
